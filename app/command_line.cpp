#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

CommandLine readCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("An editor for the data tables of a Veldra Saga ROM image."));
    // a help option of our own: Qt's adds --help-all, whose Qt options a
    // start without a window system cannot list
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                  QStringLiteral("Displays this help and ends."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("IMAGE"), QStringLiteral("The ROM image to load at start, as File > Load would."),
                                 QStringLiteral("[IMAGE]"));

    CommandLine line;
    const bool parsed = parser.parse(arguments);
    // help and version win over an option the parser does not know, which
    // may be one of Qt's own (-platform) where no window system was started
    if (parser.isSet(help)) {
        line.exitCode = 0;
        line.output = parser.helpText();
        return line;
    }
    if (parser.isSet(version)) {
        line.exitCode = 0;
        line.output = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion()
                      + QLatin1Char('\n');
        return line;
    }
    if (!parsed) {
        line.exitCode = 2;
        line.output = parser.errorText() + QStringLiteral("\n\n") + parser.helpText();
        return line;
    }
    const QStringList images = parser.positionalArguments();
    if (images.size() > 1) {
        line.exitCode = 2;
        line.output = QStringLiteral("Only one image can be loaded; %1 were given.\n").arg(images.size()) + parser.helpText();
        return line;
    }
    line.image = images.value(0);
    return line;
}

bool asksForTextOnly(const QStringList& arguments)
{
    static const QStringList flags{QStringLiteral("-h"), QStringLiteral("--help"), QStringLiteral("-?"),
                                   QStringLiteral("-v"), QStringLiteral("--version")};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--"))
            break;  // what follows are file names
        if (flags.contains(arguments[i]))
            return true;
    }
    return false;
}

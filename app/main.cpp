#include "app/app_shell.h"
#include "app/command_line.h"
#include "app/qt_platform.h"

#include <QApplication>

#include <cstdio>

namespace {

void nameProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("Veldra Forge"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELDRA_FORGE_VERSION));
    // where the settings live: ~/.config/veldra-forge/ on Linux
    QCoreApplication::setOrganizationName(QStringLiteral("veldra-forge"));
}

int printAndEnd(const CommandLine& line)
{
    std::fputs(line.output.toLocal8Bit().constData(), *line.exitCode == 0 ? stdout : stderr);
    return *line.exitCode;
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (asksForTextOnly(arguments)) {
        QCoreApplication app(argc, argv);
        nameProgram();
        return printAndEnd(readCommandLine(QCoreApplication::arguments()));
    }

    QApplication app(argc, argv);
    nameProgram();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.veldraforge.VeldraForge"));
    const CommandLine line = readCommandLine(QApplication::arguments());
    if (line.exitCode)
        return printAndEnd(line);
    // the editors are separate top-level windows; the program ends with Exit
    // or with the main window
    QApplication::setQuitOnLastWindowClosed(false);
    QtPlatform platform;
    AppShell shell(platform);
    shell.start(line.image);
    return QApplication::exec();
}

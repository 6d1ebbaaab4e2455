#include "app/emulator.h"

#include "rom/command_words.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

const QString kKey = QStringLiteral("emulatorCommand");

// `word` with %f replaced by `image` and %% by a percent sign
QString expand(const QString& word, const QString& image, bool& named)
{
    QString out;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] == QLatin1Char('%') && i + 1 < word.size()) {
            if (word[i + 1] == QLatin1Char('f')) {
                out += image;
                named = true;
                ++i;
                continue;
            }
            if (word[i + 1] == QLatin1Char('%')) {
                out += QLatin1Char('%');
                ++i;
                continue;
            }
        }
        out += word[i];
    }
    return out;
}

// the first file named `name` in a folder of the PATH, runnable or not
QString onPath(const QString& name)
{
    for (const QString& folder : qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        const QFileInfo file(QDir(folder), name);
        if (file.exists() && !file.isDir())
            return file.absoluteFilePath();
    }
    return {};
}

}  // namespace

QString emulatorCommand() { return QSettings().value(kKey).toString(); }

void setEmulatorCommand(const QString& command)
{
    if (command.trimmed().isEmpty())
        QSettings().remove(kKey);
    else
        QSettings().setValue(kKey, command.trimmed());
}

EmulatorLaunch emulatorLaunch(const QString& command, const QString& image)
{
    const auto split = splitCommandWords(command.toStdString());
    if (!split)
        return {QString(), {}, QString::fromStdString(split.error())};
    QStringList words;
    for (const std::string& word : *split)
        words << QString::fromStdString(word);
    if (words.isEmpty())
        return {};
    bool named = false;
    for (QString& word : words)
        word = expand(word, image, named);
    if (!named)
        words << image;
    EmulatorLaunch launch;
    launch.program = words.takeFirst();
    launch.arguments = words;
    return launch;
}

QString startEmulator(const EmulatorLaunch& launch)
{
    if (!launch.refusal.isEmpty())
        return launch.refusal;
    if (launch.program.isEmpty())
        return QStringLiteral("the command names no program");
    // a program named without a folder is looked for on the PATH, as a shell would
    const bool bare = !launch.program.contains(QLatin1Char('/'));
    QString found = bare ? QStandardPaths::findExecutable(launch.program) : launch.program;
    if (found.isEmpty())
        found = onPath(launch.program);  // a file of that name that is not a program
    if (found.isEmpty())
        return QStringLiteral("%1 was not found on the PATH").arg(launch.program);
    const QFileInfo info(found);
    if (!info.exists())
        return QStringLiteral("%1 does not exist").arg(found);
    if (info.isDir() || !info.isExecutable())
        return QStringLiteral("%1 is not a program that can be run").arg(found);
    QProcess process;
    process.setProgram(found);
    process.setArguments(launch.arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        const QString why = process.errorString();
        return why.isEmpty() ? QStringLiteral("%1 could not be started").arg(found) : why;
    }
    return {};
}

EmulatorDialog::EmulatorDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Emulator"));
    setWindowTitle(QStringLiteral("Emulator"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("&Command line that runs the image in an emulator (%f stands for the image's "
                                            "path; without %f the path comes last):"),
                             this);
    label->setWordWrap(true);
    layout->addWidget(label);
    m_command = new QLineEdit(emulatorCommand(), this);
    m_command->setObjectName(QStringLiteral("EmulatorCommand"));
    m_command->setPlaceholderText(QStringLiteral("mednafen %f"));
    m_command->setMinimumWidth(420);
    label->setBuddy(m_command);
    layout->addWidget(m_command);
    auto* note = new QLabel(QStringLiteral("The words are split by a shell's quoting rules (single and double quotes "
                                           "keep blanks in a word, a backslash quotes the next character) and the program "
                                           "is started without a shell: pipes, redirections, variables, ~ and wildcards "
                                           "are refused unless quoted."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("EmulatorProblem"));
    m_problem->setWordWrap(true);
    m_problem->hide();
    layout->addWidget(m_problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("Buttons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Cancel"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &EmulatorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EmulatorDialog::reject);
}

void EmulatorDialog::accept()
{
    // a command that cannot be split stays open here, with the reason
    if (const EmulatorLaunch launch = emulatorLaunch(m_command->text(), QStringLiteral("image")); !launch.refusal.isEmpty()) {
        m_problem->setText(QStringLiteral("Not kept: %1.").arg(launch.refusal));
        m_problem->show();
        return;
    }
    setEmulatorCommand(m_command->text());
    QDialog::accept();
}

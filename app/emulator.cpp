#include "app/emulator.h"

#include <QDialogButtonBox>
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
    QStringList words = QProcess::splitCommand(command);
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
    if (launch.program.isEmpty())
        return QStringLiteral("the command names no program");
    // a program named without a folder is looked for on the PATH, as a shell would
    const bool bare = !launch.program.contains(QLatin1Char('/'));
    const QString found = bare ? QStandardPaths::findExecutable(launch.program) : launch.program;
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
    auto* note = new QLabel(QStringLiteral("The words are split as a shell splits them (double quotes keep blanks in a "
                                           "word) and the program is started without a shell."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
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
    setEmulatorCommand(m_command->text());
    QDialog::accept();
}

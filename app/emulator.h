#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;

// The emulator the user runs the image in: a command line remembered with the
// other settings, in which %f stands for the image's path. It is split into a
// program and its arguments by a shell's quoting rules (splitCommandWords:
// blanks, single and double quotes, backslashes; shell syntax beyond quoting
// is refused with the reason) and started without any shell, so that no
// path, however named, is read as shell syntax. %f is replaced inside its
// word by the path as it is; %% stands for a percent sign. A command without
// %f gets the path as its last argument.

QString emulatorCommand();
void setEmulatorCommand(const QString& command);

struct EmulatorLaunch {
    QString program;
    QStringList arguments;
    QString refusal;  // why the command cannot be split into words; empty when it can
};

// The program and arguments `command` starts on `image`; an empty program
// when the command names none or cannot be split (see refusal).
EmulatorLaunch emulatorLaunch(const QString& command, const QString& image);

// Starts the emulator without waiting for it; an empty string when it started,
// else why it could not.
QString startEmulator(const EmulatorLaunch& launch);

// Settings > Emulator...: the command line, with what %f means. OK keeps it
// (an empty one is forgotten), Cancel keeps the one remembered.
class EmulatorDialog : public QDialog {
    Q_OBJECT
public:
    explicit EmulatorDialog(QWidget* parent = nullptr);

    void accept() override;

private:
    QLineEdit* m_command;
    QLabel* m_problem;
};

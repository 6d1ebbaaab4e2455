#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The built veldra-cli, run as a separate process as a user's shell would run it.
struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QString err;

    QString outText() const { return QString::fromUtf8(out); }
};

QString cliPath();
// Runs the tool with `args` in `workDir` (the current folder when empty) and
// waits for it.
CliRun runCli(const QStringList& args, const QString& workDir = {});

// A file's whole contents, and writing a new one.
QByteArray fileContents(const QString& path);
void writeFile(const QString& path, const QByteArray& data);

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

// A build of the tool: its program, and the program that runs it where it
// cannot start on its own (wine64 for the Windows build).
struct CliProgram {
    QString runner;
    QString path;

    bool isWindowsBuild() const { return path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive); }
};

// The tool under test: the one VELDRA_CLI names (started through
// VELDRA_CLI_RUNNER when that is set), else the tool of this build.
CliProgram cliUnderTest();
// The tool of this build, whatever is under test.
CliProgram nativeCli();
QString cliPath();

// Runs the tool under test with `args` in `workDir` (the current folder when
// empty) and waits for it.
CliRun runCli(const QStringList& args, const QString& workDir = {});
CliRun runProgram(const CliProgram& program, const QStringList& args, const QString& workDir = {});

// Where the tool's standard output goes in runCliWithOutput: a full device,
// a pipe whose reader has gone away, or nowhere (the descriptor closed).
enum class BrokenOutput { Full, ReaderGone, Closed };

// Runs the tool as runCli does, its standard output broken as `output` says.
// The tool starts with every signal at its default action, as a shell starts
// it, whatever this test process does with them; exitCode stays -1 when a
// signal ends it, which `err` then says.
CliRun runCliWithOutput(const QStringList& args, BrokenOutput output);

// A file's whole contents, and writing a new one.
QByteArray fileContents(const QString& path);
void writeFile(const QString& path, const QByteArray& data);

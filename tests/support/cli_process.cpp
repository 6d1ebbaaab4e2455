#include "tests/support/cli_process.h"

#include <QFile>
#include <QProcess>

CliProgram nativeCli() { return {QString(), QStringLiteral(VELDRA_CLI_PATH)}; }

CliProgram cliUnderTest()
{
    const QString path = qEnvironmentVariable("VELDRA_CLI");
    if (path.isEmpty())
        return nativeCli();
    return {qEnvironmentVariable("VELDRA_CLI_RUNNER"), path};
}

QString cliPath() { return cliUnderTest().path; }

CliRun runProgram(const CliProgram& program, const QStringList& args, const QString& workDir)
{
    QProcess process;
    if (!workDir.isEmpty())
        process.setWorkingDirectory(workDir);
    if (program.runner.isEmpty())
        process.start(program.path, args);
    else
        process.start(program.runner, QStringList{program.path} + args);
    process.closeWriteChannel();  // the tool reads no input, as in CI
    CliRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

CliRun runCli(const QStringList& args, const QString& workDir) { return runProgram(cliUnderTest(), args, workDir); }

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

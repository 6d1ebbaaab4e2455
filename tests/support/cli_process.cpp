#include "tests/support/cli_process.h"

#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <vector>

extern char** environ;

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

CliRun runCliWithOutput(const QStringList& args, BrokenOutput output)
{
    CliRun run;
    int errPipe[2];
    int outPipe[2] = {-1, -1};
    if (::pipe(errPipe) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    switch (output) {
    case BrokenOutput::Full:
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
        break;
    case BrokenOutput::ReaderGone:
        if (::pipe(outPipe) != 0)
            return run;
        ::close(outPipe[0]);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
        posix_spawn_file_actions_addclose(&actions, outPipe[1]);
        break;
    case BrokenOutput::Closed:
        posix_spawn_file_actions_addclose(&actions, 1);
        break;
    }
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[1]);
    // every signal at its default action and none blocked, as a shell starts a program
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes, &all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const CliProgram tool = cliUnderTest();
    std::vector<QByteArray> words;
    if (!tool.runner.isEmpty())
        words.push_back(tool.runner.toLocal8Bit());
    words.push_back(tool.path.toLocal8Bit());
    const QByteArray program = words.front();
    for (const QString& arg : args)
        words.push_back(arg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(errPipe[1]);
    if (outPipe[1] >= 0)
        ::close(outPipe[1]);
    QByteArray err;
    char chunk[4096];
    while (spawned == 0) {
        const ssize_t n = ::read(errPipe[0], chunk, sizeof chunk);
        if (n > 0)
            err.append(chunk, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(errPipe[0]);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid)
        return run;
    run.err = QString::fromUtf8(err);
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        run.err += QStringLiteral("[ended by signal %1]").arg(WTERMSIG(status));
    return run;
}

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

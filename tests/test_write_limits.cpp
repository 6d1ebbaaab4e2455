#include "tests/support/cli_process.h"
#include "tests/support/file_faults.h"
#include "tests/support/test_support.h"

#include "rom/history/data_folder.h"
#include "rom/tables.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTest>

#include <filesystem>
#include <fstream>

#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

// What a user's system does to a writer: a file size limit that falls inside
// the record, another program writing the same image at the same moment, an
// output that is not a plain file. Every process here keeps the system's own
// handling of SIGXFSZ: only the program may keep it from ending a write.

namespace {

constexpr int kEntry = 4;
const std::uint32_t kAt = tables::weapons.base + kEntry * tables::weapons.recordSize;
const char* const kChildVariable = "VELDRA_WRITE_LIMITS_CHILD";

// The tool as its own process, the file size limit set in the child before
// the tool starts, and SIGXFSZ put back to the system's default there.
struct LimitedRun {
    bool normalExit = false;
    int exitCode = -1;
    QString err;
};

LimitedRun runCliUnderLimit(const QStringList& args, rlim_t limit)
{
    QProcess process;
    process.setChildProcessModifier([limit] {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit l{limit, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &l);
    });
    process.start(cliPath(), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit, process.exitCode(),
            QString::fromUtf8(process.readAllStandardError())};
}

// Holds the writers' lock on a file as another program would.
class HeldLock {
public:
    explicit HeldLock(const QString& path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC))
    {
        if (m_fd < 0 || ::flock(m_fd, LOCK_EX) != 0)
            qFatal("cannot lock %s", qPrintable(path));
    }
    ~HeldLock() { release(); }
    void release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};


}  // namespace

class WriteLimitsTest : public QObject {
    Q_OBJECT
private slots:
    void aWindowSaveUnderASizeLimitDoesNotEndTheProgram();
    void windowSaveInAFreshProcess();  // the child of the test above
    void theToolUnderASizeLimitPutsTheRecordsBack_data();
    void theToolUnderASizeLimitPutsTheRecordsBack();
    void aWriterWaitsForAnotherAndThenGivesUp();
    void twoWritersAtOnceLoseNoChange();
    void anOutputThatIsNotAPlainFileIsNeverReplaced();
    void anOutputNameAsLongAsTheSystemAllowsIsWritten();
};

// A window's Save in a process of its own that has written nothing before:
// nothing the test did earlier can have set the signal aside for it.
void WriteLimitsTest::aWindowSaveUnderASizeLimitDoesNotEndTheProgram()
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setChildProcessModifier([] { std::signal(SIGXFSZ, SIG_DFL); });
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("windowSaveInAFreshProcess")});
    QVERIFY(child.waitForFinished(60000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput() + child.readAllStandardError());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, qPrintable("the program was ended: " + out));
    QCOMPARE(child.exitCode(), 0);
    QVERIFY2(out.contains(QLatin1String("PASS   : WriteLimitsTest::windowSaveInAFreshProcess")), qPrintable(out));
}

void WriteLimitsTest::windowSaveInAFreshProcess()
{
    if (qEnvironmentVariableIsEmpty(kChildVariable))
        QSKIP("run by aWindowSaveUnderASizeLimitDoesNotEndTheProgram in a process of its own");
    Session s;
    QWidget* w = s.openEditor(3, QStringLiteral("Weapon"));
    clickRow(child<QListWidget>(w, QStringLiteral("List1")), kEntry);
    const Bytes before = s.image.bytes();
    keepNoHistory(s.image.path().toStdString());
    // Attack is the record's first byte, Critical Hit % its third: the limit falls between them
    typeInto(child<QLineEdit>(w, QStringLiteral("Text1")), QString::number((before[kAt] + 1) % 250));
    typeInto(child<QLineEdit>(w, QStringLiteral("Text3")), QString::number((before[kAt + 2] + 1) % 100));
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit limit{kAt + 2, old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    clickSave(w);
    ::setrlimit(RLIMIT_FSIZE, &old);

    QVERIFY2(s.image.bytes() == before, "the record must be wholly as it was");
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains(QLatin1String("size limit")) && s.platform.messages[0].contains(QLatin1String("put back")),
             qPrintable(s.platform.messages[0]));
    QVERIFY(child<QLabel>(w, QStringLiteral("bar"))->text().startsWith(QLatin1String("Not saved: ")));
}

void WriteLimitsTest::theToolUnderASizeLimitPutsTheRecordsBack_data()
{
    QTest::addColumn<QStringList>("command");  // IMAGE and FILE stand for the image and the import file
    QTest::addColumn<QByteArray>("importFile");
    QTest::addColumn<qint64>("limit");
    QTest::newRow("set, the limit inside the record")
        << QStringList{"set", "IMAGE", "weapons", "4", "attack=120", "critical-hit=50"} << QByteArray() << qint64(kAt + 2);
    QTest::newRow("import of three records, the limit inside the middle one")
        << QStringList{"import", "IMAGE", "FILE"}
        << QByteArray(R"({"tables": {"weapons": [{"index": 3, "attack": 121}, {"index": 4, "attack": 122, "critical-hit": 51},)"
                      R"( {"index": 5, "attack": 123}]}})")
        << qint64(kAt + 2);
    QTest::newRow("checksum --fix, the limit inside the checksum")
        << QStringList{"checksum", "IMAGE", "--fix"} << QByteArray() << qint64(0xFFDE);
}

void WriteLimitsTest::theToolUnderASizeLimitPutsTheRecordsBack()
{
    QFETCH(QStringList, command);
    QFETCH(QByteArray, importFile);
    QFETCH(qint64, limit);
    SampleImage image;
    image.poke(0x100000, {0x5A, 0xA5, 0x33});  // so that the stored checksum no longer matches
    const QString file = QFileInfo(image.path()).dir().filePath(QStringLiteral("changes.json"));
    writeFile(file, importFile);
    command.replaceInStrings(QStringLiteral("IMAGE"), image.path());
    command.replaceInStrings(QStringLiteral("FILE"), file);
    const Bytes before = image.bytes();
    keepNoHistory(image.path().toStdString());

    const LimitedRun run = runCliUnderLimit(command, rlim_t(limit));
    QVERIFY2(run.normalExit, "the tool was ended by a signal");
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QLatin1String("size limit")), qPrintable(run.err));
    QVERIFY2(image.bytes() == before, qPrintable("the image must be as it was; the tool said: " + run.err));

    // without the limit the same command goes through
    QCOMPARE(runCli(command).exitCode, 0);
    QVERIFY(image.bytes() != before);
}

void WriteLimitsTest::aWriterWaitsForAnotherAndThenGivesUp()
{
    SampleImage image;
    const QStringList set{"set", image.path(), "weapons", "4", "attack=77"};
    {  // the other writer lets go after half a second: this one waited and wrote
        const Bytes old = image.bytesAt(kAt, 1);
        QVERIFY(old != Bytes{77});
        HeldLock held(image.path());
        QProcess writer;
        writer.start(cliPath(), set);
        QVERIFY(writer.waitForStarted());
        QVERIFY2(!writer.waitForFinished(500), "the writer must wait while the image is locked");
        QCOMPARE(image.bytesAt(kAt, 1), old);
        held.release();
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitCode(), 0);
        QCOMPARE(image.bytesAt(kAt, 1), Bytes{77});
    }
    {  // the other writer never lets go: this one gives up, names the file, writes nothing
        HeldLock held(image.path());
        const Bytes before = image.bytes();
        QElapsedTimer waited;
        waited.start();
        const CliRun run = runCli({"set", image.path(), "weapons", "4", "attack=78"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(image.path()) && run.err.contains(QLatin1String("another program")), qPrintable(run.err));
        QVERIFY(waited.elapsed() >= 2500);
        QVERIFY(image.bytes() == before);
    }
}

// Two writers of different fields of one record, started together round
// after round: each round must find both changes in the file.
void WriteLimitsTest::twoWritersAtOnceLoseNoChange()
{
    SampleImage image;
    const std::uint32_t stats = tables::enemyStats.base + 7 * tables::enemyStats.recordSize;
    const std::uint32_t level = stats + tables::enemyStats.field("s2")->offset;
    const std::uint32_t speed = stats + tables::enemyStats.field("s9")->offset;
    int lost = 0;
    for (int round = 1; round <= 120; ++round) {
        QProcess a;
        QProcess b;
        a.start(cliPath(), {"set", image.path(), "enemy-stats", "7", QStringLiteral("level=%1").arg(round)});
        b.start(cliPath(), {"set", image.path(), "enemy-stats", "7", QStringLiteral("speed=%1").arg(255 - round)});
        QVERIFY(a.waitForFinished(20000) && b.waitForFinished(20000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);
        const Bytes now = image.bytes();
        if (now[level] != round || now[speed] != 255 - round)
            ++lost;
    }
    QCOMPARE(lost, 0);
}

void WriteLimitsTest::anOutputThatIsNotAPlainFileIsNeverReplaced()
{
    SampleImage image;
    const QString fifo = QFileInfo(image.path()).dir().filePath(QStringLiteral("pipe"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QList<QStringList> commands{
        {"dump", image.path(), "weapons", "--output", fifo, "--force"},
        {"strip-header", image.path(), "--output", fifo, "--force"},
        {"patch", "create", image.path(), image.path(), "--output", fifo, "--force", "--format", "ips"},
    };
    for (const QStringList& command : commands) {
        const CliRun run = runCli(command);
        QVERIFY2(run.exitCode != 0, qPrintable(command.join(' ')));
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &st) == 0);
        QVERIFY2(S_ISFIFO(st.st_mode), qPrintable("still a named pipe after " + command.join(' ')));
    }
    const CliRun dump = runCli({"dump", image.path(), "weapons", "--output", fifo, "--force"});
    QVERIFY2(dump.err.contains(QLatin1String("not a regular file")), qPrintable(dump.err));
}

void WriteLimitsTest::anOutputNameAsLongAsTheSystemAllowsIsWritten()
{
    SampleImage image;
    const QString name = QString(250, QLatin1Char('w')) + QStringLiteral(".json");  // 255 bytes, the most a name may have
    const QString output = QFileInfo(image.path()).dir().filePath(name);
    const CliRun run = runCli({"dump", image.path(), "weapons", "--output", output});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(fileContents(output).contains("\"weapons\""));
    QCOMPARE(QDir(QFileInfo(output).path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary left
}

QTEST_MAIN(WriteLimitsTest)
#include "test_write_limits.moc"

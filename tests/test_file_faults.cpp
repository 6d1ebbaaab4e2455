#include "tests/support/file_faults.h"
#include "tests/support/test_support.h"

#include "rom/tables.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

// Real file faults met by a Save, an undo and a copy: each leaves the record
// (or the file) as it was, or says what happened, and never claims a save.

namespace {

enum class Fault { SizeLimitBeforeRecord, SizeLimitInsideRecord, ReadOnly, Removed, Folder };

constexpr int kEntry = 4;
const std::uint32_t kAt = tables::weapons.base + kEntry * tables::weapons.recordSize;

QAction* action(Session& s, const char* name) { return s.mainWindow()->findChild<QAction*>(name); }
QString bar(QWidget* w) { return child<QLabel>(w, QStringLiteral("bar"))->text(); }

QWidget* weaponOnEntry(Session& s)
{
    QWidget* w = s.openEditor(3, QStringLiteral("Weapon"));
    clickRow(child<QListWidget>(w, QStringLiteral("List1")), kEntry);
    return w;
}

// Runs `step` with the fault in place; the file's own state is put back after, save for removal.
template <typename Step>
void withFault(Fault fault, const QString& path, Step step)
{
    switch (fault) {
    case Fault::SizeLimitBeforeRecord: {
        const FileSizeLimit limit(kAt);
        step();
        break;
    }
    case Fault::SizeLimitInsideRecord: {
        const FileSizeLimit limit(kAt + 2);
        step();
        break;
    }
    case Fault::ReadOnly: {
        const ReadOnlyFile readOnly(path.toStdString());
        step();
        break;
    }
    case Fault::Removed:
        QFile::remove(path);
        step();
        break;
    case Fault::Folder:
        QFile::remove(path);
        QDir().mkdir(path);
        step();
        break;
    }
}

}  // namespace

class FileFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void aSaveThatFailsSaysSoAndKeepsTheRecord_data();
    void aSaveThatFailsSaysSoAndKeepsTheRecord();
    void anUndoThatFailsStaysToBeUndone();
    void aCopyThatFailsLeavesNoFile();
};

void FileFaultsTest::aSaveThatFailsSaysSoAndKeepsTheRecord_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("said");
    QTest::newRow("file size limit before the record") << Fault::SizeLimitBeforeRecord
                                                       << "size limit for files (ulimit -f); entry 4 of the weapons table is as it was";
    QTest::newRow("file size limit inside the record")
        << Fault::SizeLimitInsideRecord << "the write stopped part-way, and entry 4 of the weapons table was put back as it was";
    QTest::newRow("read-only") << Fault::ReadOnly << "permission denied (is the file read-only?)";
    QTest::newRow("removed") << Fault::Removed << "no such file";
    QTest::newRow("a folder in its place") << Fault::Folder << "it is a folder";
}

void FileFaultsTest::aSaveThatFailsSaysSoAndKeepsTheRecord()
{
    QFETCH(Fault, fault);
    QFETCH(QString, said);
    Session s;
    QWidget* w = weaponOnEntry(s);
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, QStringLiteral("Text1")), QString::number((before[kAt] + 1) % 250));
    withFault(fault, s.image.path(), [&] { clickSave(w); });

    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains(said), qPrintable(s.platform.messages[0]));
    QVERIFY2(s.platform.messages[0].contains(s.image.path()), qPrintable(s.platform.messages[0]));
    QVERIFY2(bar(w).startsWith(QLatin1String("Not saved: ")), qPrintable(bar(w)));
    QVERIFY(!action(s, "UndoSave")->isEnabled());  // nothing to undo: nothing was saved
    if (fault == Fault::Removed || fault == Fault::Folder) {
        QVERIFY(!QFileInfo(s.image.path()).isFile());  // never created
    } else {
        QVERIFY2(s.image.bytes() == before, "the record must be as it was");
        // once the fault is gone, the same Save goes through
        clickSave(w);
        QCOMPARE(s.image.bytesAt(kAt, 1), Bytes{std::uint8_t((before[kAt] + 1) % 250)});
    }
}

void FileFaultsTest::anUndoThatFailsStaysToBeUndone()
{
    Session s;
    QWidget* w = weaponOnEntry(s);
    const Bytes original = s.image.bytes();
    typeInto(child<QLineEdit>(w, QStringLiteral("Text1")), QString::number((original[kAt] + 1) % 250));
    clickSave(w);
    const Bytes saved = s.image.bytes();
    for (Fault fault : {Fault::SizeLimitInsideRecord, Fault::ReadOnly}) {
        s.platform.messages.clear();
        withFault(fault, s.image.path(), [&] { action(s, "UndoSave")->trigger(); });
        QCOMPARE(s.platform.messages.size(), 1);
        QVERIFY2(s.platform.messages[0].startsWith(QLatin1String("Undo failed: ")), qPrintable(s.platform.messages[0]));
        QVERIFY(s.image.bytes() == saved);
        QVERIFY(action(s, "UndoSave")->isEnabled());
        QCOMPARE(child<QLineEdit>(w, QStringLiteral("Text1"))->text(), QString::number(saved[kAt]));
    }
    action(s, "UndoSave")->trigger();
    QVERIFY(s.image.bytes() == original);
}

void FileFaultsTest::aCopyThatFailsLeavesNoFile()
{
    Session s;
    const QString copy = QFileInfo(s.image.path()).dir().filePath(QStringLiteral("copy.sfc"));
    s.platform.saveAnswers << copy;
    {
        const FileSizeLimit limit(1 << 20);  // a quarter of the image
        action(s, "SaveCopy")->trigger();
    }
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].startsWith(QLatin1String("No copy was written: ")), qPrintable(s.platform.messages[0]));
    QVERIFY2(s.platform.messages[0].contains(QLatin1String("size limit")), qPrintable(s.platform.messages[0]));
    QCOMPARE(QDir(QFileInfo(copy).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("sample.sfc")});
}

QTEST_MAIN(FileFaultsTest)
#include "test_file_faults.moc"

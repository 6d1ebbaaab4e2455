#include "tests/enemy_steps.h"

#include "app/main_window.h"
#include "editors/common/label_set.h"
#include "editors/common/labels.h"
#include "tests/support/layout_check.h"
#include "rom/tables.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

const QString kExample = QStringLiteral(VELDRA_SOURCE_DIR "/examples/label-set");

QAction* action(Session& s, const QString& name) { return s.mainWindow()->findChild<QAction*>(name); }

QStringList linesOf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// a copy of the example set that a case may spoil
class LabelFolder {
public:
    LabelFolder()
    {
        for (const QString& name : QDir(kExample).entryList({"*.txt"}, QDir::Files))
            QFile::copy(QDir(kExample).filePath(name), path(name));
    }
    QString path() const { return m_dir.path(); }
    QString path(const QString& file) const { return m_dir.filePath(file); }
    void write(const QString& file, const QByteArray& bytes) const
    {
        QFile f(path(file));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
    }

private:
    QTemporaryDir m_dir;
};

// Settings > Label Set..., answering the folder dialog with `folder`
void chooseLabelSet(Session& s, const QString& folder)
{
    s.platform.folderAnswers << folder;
    action(s, "LabelSet")->trigger();
}

QString enemyText(Session& s, int row)
{
    QWidget* w = openMonster(s);
    const QString text = child<QListWidget>(w, "List1")->item(row)->text();
    w->close();
    QTest::qWait(0);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return text;
}

QByteArray lines(int count, const QByteArray& stem)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += stem + QByteArray::number(i) + "\n";
    return out;
}

}  // namespace

class LabelSetTest : public QObject {
    Q_OBJECT
private slots:
    void exampleSetRelabelsTheEditors();
    void choiceIsRememberedAndBuiltInGoesBack();
    void lineEndsAndByteOrderMarkAreRead();
    void aTooLargeOrOddFileIsRefusedBeforeItIsRead();
    void labelsAtTheLongestKeepEveryWindowOnTheScreen();
    void aBadSetIsRefusedByFileAndLine_data();
    void aBadSetIsRefusedByFileAndLine();
    void aRememberedSetThatTurnedBadFallsBack();
    void shippedExampleSetIsComplete();
};

void LabelSetTest::exampleSetRelabelsTheEditors()
{
    Session s;
    QVERIFY(action(s, "BuiltInLabels")->isChecked());
    chooseLabelSet(s, kExample);
    QVERIFY(s.platform.messages.isEmpty());
    QVERIFY(action(s, "LabelSet")->isChecked());
    QCOMPARE(labelFolder(), QDir(kExample).absolutePath());

    const QStringList enemies = linesOf(kExample + "/enemies.txt");
    QCOMPARE(enemyText(s, 0x0A), enemies[0x0A]);
    QWidget* chars = s.openEditor(0, "Character");
    QCOMPARE(child<QListWidget>(chars, "List1")->item(6)->text(), linesOf(kExample + "/characters.txt")[6]);
    QWidget* weapons = s.openEditor(3, "Weapon");
    QCOMPARE(child<QListWidget>(weapons, "List1")->item(1)->text(), linesOf(kExample + "/items.txt")[1]);
    QCOMPARE(s.shell().showWindow("Gato")->windowTitle(), QString("Change Gato from Old Arena to What Monster?"));

    // the labels are texts only: saving through them writes the same bytes
    clickRow(child<QListWidget>(chars, "List1"), 3);
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(chars, "Text2"), "200");
    clickSave(chars);
    const auto position = tables::characterSprites.base + 3 * 5 + 1;
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(position, 1));
    QVERIFY(child<QLabel>(chars, "bar")->text().contains(linesOf(kExample + "/characters.txt")[3]));

    // with editors open, the user learns that those keep their texts
    action(s, "BuiltInLabels")->trigger();
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains("opened from now on"));
}

void LabelSetTest::choiceIsRememberedAndBuiltInGoesBack()
{
    Session s(false);
    LabelFolder folder;
    chooseLabelSet(s, folder.path());
    s.restart(s.image.path());
    QVERIFY(action(s, "LabelSet")->isChecked());
    QCOMPARE(enemyText(s, 0), linesOf(kExample + "/enemies.txt")[0]);

    // Cancel keeps the set in use
    chooseLabelSet(s, QString());
    QVERIFY(action(s, "LabelSet")->isChecked());
    QCOMPARE(enemyText(s, 0), linesOf(kExample + "/enemies.txt")[0]);

    action(s, "BuiltInLabels")->trigger();
    QVERIFY(action(s, "BuiltInLabels")->isChecked());
    QCOMPARE(enemyText(s, 0), QString("00 - Enemy 00"));
    s.restart(s.image.path());
    QVERIFY(action(s, "BuiltInLabels")->isChecked());
    QCOMPARE(enemyText(s, 0), QString("00 - Enemy 00"));
    QVERIFY(s.platform.messages.isEmpty());
}

void LabelSetTest::lineEndsAndByteOrderMarkAreRead()
{
    Session s;
    LabelFolder folder;
    QFile::remove(folder.path("enemies.txt"));  // a set may leave lists out
    folder.write("characters.txt", "\xEF\xBB\xBF" "Ann\r\nBo \r\nCy\r\nDi\r\nEd\r\nFay\r\nGus");
    // lines that end in CR alone, as older Mac text files have them, and a mix of all three
    QByteArray crOnly = lines(256, "N");
    crOnly.replace('\n', '\r');
    folder.write("npcs.txt", crOnly);
    folder.write("gato_place.txt", "Dune Gate\r");
    QByteArray mixed = lines(260, "I");
    mixed.replace("I7\nI8\nI9\n", "I7\r\nI8\rI9\n");
    folder.write("items.txt", mixed);
    chooseLabelSet(s, folder.path());
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    QWidget* w = s.openEditor(0, "Character");
    auto* list = child<QListWidget>(w, "List1");
    QCOMPARE(list->item(0)->text(), QString("Ann"));
    QCOMPARE(list->item(1)->text(), QString("Bo "));  // blanks are part of a label
    QCOMPARE(list->item(6)->text(), QString("Gus"));
    QCOMPARE(enemyText(s, 0xFF), QString("FF - Enemy FF"));  // left out: built in
    QCOMPARE(labelList("npcs").size(), 256);
    QCOMPARE(labelList("npcs")[17], QString("N17"));
    QCOMPARE(labelList("gato_place"), QStringList{"Dune Gate"});
    QCOMPARE(labelList("items").mid(6, 5), (QStringList{"I6", "I7", "I8", "I9", "I10"}));
}

void LabelSetTest::aTooLargeOrOddFileIsRefusedBeforeItIsRead()
{
    Session s(false);
    {
        // 300 MiB, sparse: refused by its size, with the limit, before a byte is read
        LabelFolder folder;
        QFile big(folder.path("npcs.txt"));
        QVERIFY(big.open(QIODevice::ReadWrite));
        QVERIFY(big.resize(qint64(300) * 1024 * 1024));
        big.close();
        chooseLabelSet(s, folder.path());
        QCOMPARE(s.platform.messages.size(), 1);
        QVERIFY2(s.platform.messages[0].contains(folder.path("npcs.txt") + " is 314572800 bytes long; a label file may have at most 1048576 bytes"),
                 qPrintable(s.platform.messages[0]));
    }
    {
        // a folder where a file should be (a named pipe or a device would be refused alike)
        LabelFolder folder;
        QFile::remove(folder.path("items.txt"));
        QVERIFY(QDir(folder.path()).mkdir("items.txt"));
        chooseLabelSet(s, folder.path());
        QCOMPARE(s.platform.messages.size(), 2);
        QVERIFY2(s.platform.messages[1].contains(folder.path("items.txt") + " is not a regular file"), qPrintable(s.platform.messages[1]));
    }
    QVERIFY(action(s, "BuiltInLabels")->isChecked());
    QCOMPARE(labelList("npcs")[0], QString("00 NPC 00"));
}

void LabelSetTest::labelsAtTheLongestKeepEveryWindowOnTheScreen()
{
    // every label as long as allowed, in the widest letters: each window
    // still fits the screen and shows every caption whole
    Session s;
    LabelFolder folder;
    for (const QString& name : LabelSet::fileNames()) {
        const QByteArray label = QByteArray(longestLabel(name), 'W');
        QByteArray all;
        for (int i = 0; i < labelList(name).size(); ++i)
            all += label + "\n";
        folder.write(name + ".txt", all);
    }
    chooseLabelSet(s, folder.path());
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const char* editors[] = {"Character", "NPC", "Monster", "Weapon", "Armor", "Accessory", "Item2", "KeyItemandConsumables", "Chests"};
    QList<QWidget*> windows;
    for (int i = 0; i < int(std::size(editors)); ++i)
        windows << s.openEditor(i, editors[i]);
    action(s, "Gato1")->trigger();
    windows << s.shell().windows().find("Gato");
    for (QWidget* w : windows) {
        QVERIFY(w);
        QVERIFY2(w->width() <= screen.width() && w->height() <= screen.height(),
                 qPrintable(QStringLiteral("%1: %2 x %3 on a screen of %4 x %5")
                                .arg(w->objectName()).arg(w->width()).arg(w->height()).arg(screen.width()).arg(screen.height())));
        const QStringList faults = layoutFaults(w);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }
}

void LabelSetTest::aBadSetIsRefusedByFileAndLine_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contents");  // empty: remove every label file
    QTest::addColumn<QString>("reason");
    QTest::newRow("a line short") << "enemies.txt" << lines(255, "E") << "enemies.txt, line 256: the file ends here";
    QTest::newRow("a line too many") << "items.txt" << lines(261, "I") << "items.txt, line 261: one line too many";
    QTest::newRow("an empty line at the end counts")
        << "characters.txt" << QByteArray("A\nB\nC\nD\nE\nF\nG\n\n") << "characters.txt, line 8";
    QByteArray latin1 = lines(256, "N");
    latin1.replace("N16\n", "Caf\xE9 16\n");
    QTest::newRow("not UTF-8") << "npcs.txt" << latin1 << "npcs.txt, line 17: this line is not UTF-8";
    QTest::newRow("no label files") << "" << QByteArray() << "holds none of the label files";
    QByteArray tooLong = lines(260, "I");
    tooLong.replace("I4\n", QByteArray(3000, 'x') + "\n");
    QTest::newRow("a label of 3,000 characters")
        << "items.txt" << tooLong << "items.txt, line 5: this label has 3000 characters; a label of this list may have at most 32";
    QByteArray longName = "A\nB\nC\n" + QString(17, QChar(0x00E9)).toUtf8() + "\nE\nF\nG\n";  // 17 characters in 34 bytes
    QTest::newRow("a character name of 17 characters")
        << "characters.txt" << longName << "characters.txt, line 4: this label has 17 characters; a label of this list may have at most 16";
}

void LabelSetTest::aBadSetIsRefusedByFileAndLine()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    QFETCH(QString, reason);
    Session s(false);
    LabelFolder good;
    chooseLabelSet(s, good.path());
    LabelFolder bad;
    if (file.isEmpty()) {
        for (const QString& name : QDir(bad.path()).entryList({"*.txt"}))
            QFile::remove(bad.path(name));
    } else {
        bad.write(file, contents);
    }
    chooseLabelSet(s, bad.path());
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains(reason), qPrintable(s.platform.messages[0]));
    if (!file.isEmpty())
        QVERIFY(s.platform.messages[0].contains(bad.path(file)));
    // the labels in use stay, now and at the next start
    QCOMPARE(labelFolder(), QDir(good.path()).absolutePath());
    QVERIFY(action(s, "LabelSet")->isChecked());
    s.restart(s.image.path());
    QCOMPARE(labelFolder(), QDir(good.path()).absolutePath());

    // from the built-in labels, a refusal keeps those
    action(s, "BuiltInLabels")->trigger();
    chooseLabelSet(s, bad.path());
    QVERIFY(action(s, "BuiltInLabels")->isChecked());
    QCOMPARE(enemyText(s, 1), QString("01 - Enemy 01"));
}

void LabelSetTest::aRememberedSetThatTurnedBadFallsBack()
{
    Session s(false);
    auto folder = std::make_unique<LabelFolder>();
    chooseLabelSet(s, folder->path());
    folder->write("gato_place.txt", "One\nTwo\n");
    s.restart(s.image.path());
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains("gato_place.txt, line 2"));
    QVERIFY(action(s, "BuiltInLabels")->isChecked());
    QCOMPARE(enemyText(s, 2), QString("02 - Enemy 02"));
    // forgotten: the next start says nothing
    s.restart();
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(action(s, "BuiltInLabels")->isChecked());
}

void LabelSetTest::shippedExampleSetIsComplete()
{
    // the example set shipped with the program passes and has every list
    Session s(false);
    chooseLabelSet(s, kExample);
    QVERIFY(s.platform.messages.isEmpty());
    for (const char* name : {"characters", "npcs", "enemies", "items", "gato_place"})
        QCOMPARE(labelList(name), linesOf(kExample + "/" + QString(name) + ".txt"));
}

QTEST_MAIN(LabelSetTest)
#include "test_label_sets.moc"

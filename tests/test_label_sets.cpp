#include "tests/enemy_steps.h"

#include "app/main_window.h"
#include "editors/common/labels.h"
#include "rom/tables.h"

#include <QAction>
#include <QComboBox>
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
    void crlfAndByteOrderMarkAreRead();
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

void LabelSetTest::crlfAndByteOrderMarkAreRead()
{
    Session s;
    LabelFolder folder;
    QFile::remove(folder.path("enemies.txt"));  // a set may leave lists out
    folder.write("characters.txt", "\xEF\xBB\xBF" "Ann\r\nBo \r\nCy\r\nDi\r\nEd\r\nFay\r\nGus");
    chooseLabelSet(s, folder.path());
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    QWidget* w = s.openEditor(0, "Character");
    auto* list = child<QListWidget>(w, "List1");
    QCOMPARE(list->item(0)->text(), QString("Ann"));
    QCOMPARE(list->item(1)->text(), QString("Bo "));  // blanks are part of a label
    QCOMPARE(list->item(6)->text(), QString("Gus"));
    QCOMPARE(enemyText(s, 0xFF), QString("FF - Enemy FF"));  // left out: built in
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

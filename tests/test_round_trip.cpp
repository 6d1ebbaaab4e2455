#include "tests/support/test_support.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

// Saving what was just read must give back the very bytes that were read: for
// every entry of every editor window, a Save with no edit leaves the whole
// image as it was. The sample image holds every kind of byte, values no list
// entry stands for among them.
class RoundTripTest : public QObject {
    Q_OBJECT
private slots:
    void savingEveryEntryUntouchedChangesNothing_data();
    void savingEveryEntryUntouchedChangesNothing();
    void gatoSavedUntouchedChangesNothing();
};

void RoundTripTest::savingEveryEntryUntouchedChangesNothing_data()
{
    QTest::addColumn<int>("editor");  // row of the main window's editor list
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("saves");
    QTest::addColumn<int>("entries");
    QTest::newRow("characters") << 0 << "Character" << QStringList{"Save"} << 7;
    QTest::newRow("NPCs") << 1 << "NPC" << QStringList{"Save"} << 256;
    QTest::newRow("enemies") << 2 << "Monster" << QStringList{"Save", "Save2", "Save3", "Save4"} << 256;
    QTest::newRow("weapons") << 3 << "Weapon" << QStringList{"Save"} << 86;
    QTest::newRow("armor") << 4 << "Armor" << QStringList{"Save"} << 58;
    QTest::newRow("accessories") << 5 << "Accessory" << QStringList{"Save"} << 40;
    QTest::newRow("item secondary") << 6 << "Item2" << QStringList{"Save"} << 148;
    QTest::newRow("consumables") << 7 << "KeyItemandConsumables" << QStringList{"Save"} << 72;
    QTest::newRow("chests") << 8 << "Chests" << QStringList{"Save"} << 256;
}

void RoundTripTest::savingEveryEntryUntouchedChangesNothing()
{
    QFETCH(int, editor);
    QFETCH(QString, window);
    QFETCH(QStringList, saves);
    QFETCH(int, entries);
    Session s;
    const Bytes before = s.image.bytes();
    QWidget* w = s.openEditor(editor, window);
    QVERIFY(w);
    auto* list = child<QListWidget>(w, "List1");
    QCOMPARE(list->count(), entries);
    auto* bar = child<QLabel>(w, "bar");
    for (int entry = 0; entry < entries; ++entry) {
        list->setCurrentRow(entry);
        for (const QString& save : saves) {
            bar->clear();
            child<QPushButton>(w, save)->click();
            // a refused save writes nothing and so would pass unseen: every save must be made
            QVERIFY2(s.platform.messages.isEmpty(),
                     qPrintable(QStringLiteral("entry %1, %2: %3").arg(entry).arg(save, s.platform.messages.join(' '))));
            QVERIFY2(bar->text().startsWith(QLatin1String("Saved")), qPrintable(QStringLiteral("entry %1").arg(entry)));
        }
    }
    const std::vector<std::size_t> changed = changedOffsets(before, s.image.bytes());
    QVERIFY2(changed.empty(), qPrintable(QStringLiteral("%1 bytes changed, the first at 0x%2")
                                             .arg(changed.size())
                                             .arg(changed.empty() ? 0 : changed.front(), 0, 16)));
}

void RoundTripTest::gatoSavedUntouchedChangesNothing()
{
    Session s;
    const Bytes before = s.image.bytes();
    QWidget* w = s.shell().showWindow(QStringLiteral("Gato"));
    QVERIFY(w);
    child<QPushButton>(w, "Save")->click();
    QVERIFY(s.platform.messages.isEmpty());
    QVERIFY(child<QLabel>(w, "bar")->text().startsWith(QLatin1String("Gato is now")));
    QCOMPARE(s.image.bytes(), before);
}

QTEST_MAIN(RoundTripTest)
#include "test_round_trip.moc"

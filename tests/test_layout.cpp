#include "tests/support/layout_check.h"
#include "tests/support/test_support.h"

#include "editors/common/status_line.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

namespace {

struct WindowEntry {
    const char* name;
    int editorListIndex;  // -1: not opened from the editor list
};

constexpr WindowEntry kWindows[] = {
    {"Main", -1},      {"Dialog", -1},   {"Character", 0}, {"NPC", 1},
    {"Monster", 2},    {"Weapon", 3},    {"Armor", 4},     {"Accessory", 5},
    {"Item2", 6},      {"KeyItemandConsumables", 7},       {"Chests", 8},
    {"Gato", -1},      {"History", -1},  {"HistorySettings", -1},
};

QWidget* open(Session& s, const QString& name, int editorListIndex)
{
    if (name == QLatin1String("Main"))
        return s.mainWindow();
    if (editorListIndex >= 0)
        return s.openEditor(editorListIndex, name);
    const char* action = name == QLatin1String("Gato")              ? "Gato1"
                         : name == QLatin1String("History")         ? "History"
                         : name == QLatin1String("HistorySettings") ? "HistorySettings"
                                                                    : "About";
    s.mainWindow()->findChild<QAction*>(action)->trigger();
    return s.shell().windows().find(name);
}

int longestEntry(const QListWidget* list)
{
    int longest = 0;
    for (int i = 1; i < list->count(); ++i)
        if (list->item(i)->text().size() > list->item(longest)->text().size())
            longest = i;
    return longest;
}

// The window's faults in the states a user passes through: as it opens (with
// its first status text), on the first entries (the chest types take turns
// there), on the entry with the longest text and on the last entry, after a
// Save, and on every page of a window with pages.
QStringList faultsAsUsed(QWidget* w)
{
    QStringList faults = layoutFaults(w);
    auto* list = child<QListWidget>(w, "List1");
    if (list && list->isVisible() && list->isEnabled() && list->count() > 0) {
        for (int row : {0, 1, 2, 3, longestEntry(list), int(list->count()) - 1}) {
            if (row >= list->count())
                continue;
            clickRow(list, row);
            faults += layoutFaults(w);
        }
    }
    const QStringList pages{"Command1", "Command4", "Command5", "Command6"};
    const QStringList saves{"Save", "Save2", "Save3", "Save4"};
    for (int i = 0; i < pages.size(); ++i) {
        if (auto* selector = child<QPushButton>(w, pages[i])) {
            QTest::mouseClick(selector, Qt::LeftButton);
            faults += layoutFaults(w);
        }
        if (auto* save = child<QPushButton>(w, saves[i]); save && save->isVisible()) {
            clickSave(w, saves[i]);
            faults += layoutFaults(w);
        }
    }
    faults.removeDuplicates();
    return faults;
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void everyCaptionFitsAndNothingOverlaps_data();
    void everyCaptionFitsAndNothingOverlaps();
    void aStatusTooLongForTheLineEndsInAnEllipsisWithTheWholeTextAsToolTip();

private:
    QFont m_platformFont;
};

void LayoutTest::initTestCase() { m_platformFont = QApplication::font(); }

void LayoutTest::cleanup() { QApplication::setFont(m_platformFont); }

void LayoutTest::everyCaptionFitsAndNothingOverlaps_data()
{
    QTest::addColumn<double>("pointSize");  // 0: the platform's own
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("editorListIndex");
    const double platformSize = QApplication::font().pointSizeF();
    const std::pair<const char*, double> fonts[] = {
        {"platform font", 0.0},
        {"11 pt", 11.0},
        {"1.5x platform font", platformSize * 1.5},
    };
    for (const auto& [fontName, size] : fonts)
        for (const WindowEntry& window : kWindows)
            QTest::addRow("%s, %s", window.name, fontName) << size << QString::fromLatin1(window.name) << window.editorListIndex;
    // its paths and size wrap over more lines at a large font
    QTest::addRow("HistorySettings, 14 pt") << 14.0 << QStringLiteral("HistorySettings") << -1;
}

void LayoutTest::everyCaptionFitsAndNothingOverlaps()
{
    QFETCH(double, pointSize);
    QFETCH(QString, window);
    QFETCH(int, editorListIndex);
    if (pointSize > 0) {
        QFont font = m_platformFont;
        font.setPointSizeF(pointSize);
        QApplication::setFont(font);
    }
    Session s;
    QWidget* w = open(s, window, editorListIndex);
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QStringList faults = faultsAsUsed(w);
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("\n") + faults.join(QLatin1Char('\n'))));
}

void LayoutTest::aStatusTooLongForTheLineEndsInAnEllipsisWithTheWholeTextAsToolTip()
{
    Session s;
    QWidget* w = s.openEditor(3, "Weapon");
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto* bar = child<StatusLine>(w, "bar");
    QVERIFY(bar);
    QVERIFY(!bar->isElided());
    const QString reason = QStringLiteral("Not saved: cannot open ") + QString(40, QLatin1Char('d')) + QStringLiteral("/image.sfc");
    bar->setText(reason);
    QCOMPARE(bar->text(), reason);
    QVERIFY(bar->isElided());
    QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), bar->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(bar, &help);
    QCOMPARE(QToolTip::text(), reason);
    bar->setText(QStringLiteral("Weapon Number 1"));
    QVERIFY(!bar->isElided());
}

QTEST_MAIN(LayoutTest)
#include "test_layout.moc"

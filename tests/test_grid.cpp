#include "tests/support/cli_process.h"
#include "tests/support/test_support.h"

#include "app/qt_platform.h"
#include "editors/grid/grid_model.h"
#include "rom/field_lists.h"
#include "rom/record_io.h"
#include "rom/tables.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimer>

// The table grid driven as a user would: Ctrl+G, clicks on cells, keys typed
// into the cell editor, Ctrl+V, a header click, Save; then the file's bytes.

namespace {

QAction* action(Session& s, const char* name) { return s.mainWindow()->findChild<QAction*>(name); }

struct Grid {
    QWidget* window = nullptr;
    QTableView* view = nullptr;

    QAbstractItemModel* shown() const { return view->model(); }
    QString bar() const { return child<QLabel>(window, QStringLiteral("bar"))->text(); }
    QPushButton* save() const { return child<QPushButton>(window, QStringLiteral("GridSave")); }
    // the view's column of the field with this caption
    int column(const QString& caption) const
    {
        for (int c = 0; c < shown()->columnCount(); ++c)
            if (shown()->headerData(c, Qt::Horizontal).toString() == caption)
                return c;
        return -1;
    }
    // the view's row of entry `index`
    int row(int index) const
    {
        for (int r = 0; r < shown()->rowCount(); ++r)
            if (shown()->headerData(r, Qt::Vertical).toInt() == index)
                return r;
        return -1;
    }
    QModelIndex cell(int index, const QString& caption) const { return shown()->index(row(index), column(caption)); }
    QString text(int index, const QString& caption) const { return cell(index, caption).data().toString(); }
    QString refusal(int index, const QString& caption) const
    {
        return cell(index, caption).data(GridModel::kRefusalRole).toString();
    }
};

// Ctrl+G in the main window, then the table chosen in GridTable
Grid openGrid(Session& s, const char* tableKey = "enemy-stats")
{
    s.mainWindow()->activateWindow();
    if (!QTest::qWaitForWindowActive(s.mainWindow()))
        return {};
    QTest::keyClick(s.mainWindow(), Qt::Key_G, Qt::ControlModifier);
    Grid g;
    g.window = s.shell().windows().find(QStringLiteral("Grid"));
    if (!g.window)
        return g;
    g.view = child<QTableView>(g.window, QStringLiteral("GridView"));
    auto* tables = child<QComboBox>(g.window, QStringLiteral("GridTable"));
    tables->setCurrentIndex(tables->findData(QString::fromLatin1(tableKey)));
    g.window->activateWindow();
    if (!QTest::qWaitForWindowActive(g.window))
        return {};
    return g;
}

void clickCell(const Grid& g, const QModelIndex& index, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    g.view->scrollTo(index);
    QTest::mouseClick(g.view->viewport(), Qt::LeftButton, modifiers, g.view->visualRect(index).center());
}

// typing over the current cell: the first key opens its editor, Enter closes it
void typeInCell(const Grid& g, const QString& text)
{
    QTest::keyClick(g.view, text.at(0).toLatin1());
    // the editor just opened has the focus (those closed before await
    // deletion): a line edit, or a drop-down that hands keys to its own
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && g.view->isAncestorOf(editor));
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    // the view commits the editor's text on its next turn, as the user's event loop would run it
    QCoreApplication::processEvents();
}

void pasteText(const Grid& g, const QString& text)
{
    QApplication::clipboard()->setText(text);
    QTest::keyClick(g.view, Qt::Key_V, Qt::ControlModifier);
}

// the position of a field's bytes in the image
std::uint32_t place(const Table& table, int index, const char* field)
{
    return *recordPosition(table, index) + table.field(field)->offset;
}

std::vector<std::size_t> offsets(std::initializer_list<std::pair<std::uint32_t, std::size_t>> ranges)
{
    std::vector<std::size_t> all;
    for (const auto& [position, count] : ranges)
        for (std::size_t o : offsetRange(position, count))
            all.push_back(o);
    std::sort(all.begin(), all.end());
    return all;
}

}  // namespace

class TestGrid : public QObject {
    Q_OBJECT
private slots:
    void opensWithEveryTableAndShowsLabelsAndBits();
    void editSaveWritesOnlyTheChangedBytes();
    void multiSetAndRelativeChanges_data();
    void multiSetAndRelativeChanges();
    void refusedValueBlocksSaveUntilMended();
    void pasteSpreadsheetBlock();
    void pasteLeavesEmptyCellsAsTheyAre();
    void sortAndFilterChangeOnlyTheView();
    void previewListsChangesAsTheToolPrintsThem();
    void batchIsOneUndoStepAndEditorsReadAgain();
    void saveNamesTheEditorsWhoseEditsItReplaces();
    void recordChangedOnDiskRefusesTheWholeBatch();
    void revertAndAnotherLoad();
    void aLongSaveQuestionKeepsItsButtonsOnTheScreen();
};

void TestGrid::opensWithEveryTableAndShowsLabelsAndBits()
{
    Session s;
    const Grid g = openGrid(s);
    QVERIFY(g.view);
    auto* tables = child<QComboBox>(g.window, QStringLiteral("GridTable"));
    QCOMPARE(tables->count(), 15);
    QCOMPARE(tables->itemData(4).toString(), QStringLiteral("enemy-stats"));
    // a table of one entry says so in the singular
    tables->setCurrentIndex(tables->findData(QStringLiteral("gato")));
    QVERIFY2(g.bar().contains(QStringLiteral(": 1 entry read from")), qPrintable(g.bar()));
    tables->setCurrentIndex(tables->findData(QStringLiteral("enemy-stats")));
    QCOMPARE(action(s, "TableGrid")->text(), QStringLiteral("Table Grid..."));
    QCOMPARE(action(s, "TableGrid")->parent()->objectName(), QStringLiteral("Tools"));

    // a row per entry named as the editor's list names it, a column per field by its caption
    QCOMPARE(g.shown()->rowCount(), 256);
    QCOMPARE(g.shown()->index(5, 0).data().toString(), QStringLiteral("05 - Enemy 05"));
    QVERIFY(g.column(QStringLiteral("HP")) > 0);
    QVERIFY(g.column(QStringLiteral("Magic Def")) > 0);

    // a list field shows its entry's label
    s.image.poke(place(tables::weapons, 2, "Combo1"), {1});
    tables->setCurrentIndex(tables->findData(QStringLiteral("weapons")));
    const auto inflicts = valueList(ValueListId::Inflicts);
    QCOMPARE(g.text(2, QStringLiteral("Does Weapon Inflict Status?")),
             QString::fromStdString(inflicts[std::size_t(entryShowing(inflicts, 1))].label));
    // a bit shows a check box
    s.image.poke(place(tables::itemSecondary, 3, "KeyItem"), {0x08});
    tables->setCurrentIndex(tables->findData(QStringLiteral("item-secondary")));
    QCOMPARE(g.cell(3, QStringLiteral("Key Item")).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(g.cell(3, QStringLiteral("Use in Battle")).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QVERIFY(g.text(3, QStringLiteral("Key Item")).isEmpty());
}

void TestGrid::editSaveWritesOnlyTheChangedBytes()
{
    Session s;
    s.image.poke(place(tables::enemyStats, 3, "s1"), {0, 0});
    const Grid g = openGrid(s);
    const Bytes before = s.image.bytes();
    clickCell(g, g.cell(3, QStringLiteral("HP")), Qt::NoModifier);
    typeInCell(g, QStringLiteral("1234"));
    QCOMPARE(g.text(3, QStringLiteral("HP")), QStringLiteral("1234"));
    QCOMPARE(s.image.bytes(), before);  // nothing written before Save
    // a list field takes the label of an entry typed in its drop-down
    const auto effects = valueList(ValueListId::HitEffects);
    const std::uint32_t effect = place(tables::enemyStats, 3, "s22");
    const std::size_t wanted = before[effect] == 5 ? 6 : 5;
    clickCell(g, g.cell(3, QStringLiteral("Hit Effect")));
    typeInCell(g, QString::fromStdString(effects[wanted].label));
    QCOMPARE(g.text(3, QStringLiteral("Hit Effect")), QString::fromStdString(effects[wanted].label));
    s.platform.askAnswers << true;
    QTest::mouseClick(g.save(), Qt::LeftButton);
    QCOMPARE(s.platform.questions.size(), 1);
    const Bytes after = s.image.bytes();
    QCOMPARE(changedOffsets(before, after), offsets({{place(tables::enemyStats, 3, "s1"), 2}, {effect, 1}}));
    QCOMPARE(std::size_t(after[effect]), std::size_t(effects[wanted].value));
    QCOMPARE(int(after[place(tables::enemyStats, 3, "s1")] | after[place(tables::enemyStats, 3, "s1") + 1] << 8), 1234);
    QVERIFY2(g.bar().startsWith(QStringLiteral("Saved 2 fields in 1 record")), qPrintable(g.bar()));
    QVERIFY(!g.save()->isEnabled());
}

void TestGrid::multiSetAndRelativeChanges_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("levels");    // entries 10..13 before
    QTest::addColumn<QList<int>>("expected");  // after; -1 where refused
    const QList<int> levels{5, 7, 250, 0};
    QTest::newRow("value") << QStringLiteral("42") << levels << QList<int>{42, 42, 42, 42};
    QTest::newRow("plus, one out of range") << QStringLiteral("+10") << levels << QList<int>{15, 17, -1, 10};
    QTest::newRow("minus, below 0 refused") << QStringLiteral("-5") << levels << QList<int>{0, 2, 245, -1};
    // 7.5 and 10.5 round to the even neighbour, as Save rounds; 375 is out of range
    QTest::newRow("times, half to even") << QStringLiteral("*1.5") << levels << QList<int>{8, 10, -1, 0};
    // the window's field clamps a typed 300 to 255
    QTest::newRow("clamped as the window's field") << QStringLiteral("300") << levels << QList<int>{255, 255, 255, 255};
}

void TestGrid::multiSetAndRelativeChanges()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, levels);
    QFETCH(QList<int>, expected);
    Session s;
    for (int i = 0; i < 4; ++i)
        s.image.poke(place(tables::enemyStats, 10 + i, "s2"), {std::uint8_t(levels[i])});
    const Grid g = openGrid(s);
    const Bytes before = s.image.bytes();
    clickCell(g, g.cell(10, QStringLiteral("Level")));
    clickCell(g, g.cell(13, QStringLiteral("Level")), Qt::ShiftModifier);
    typeInCell(g, typed);
    bool anyRefused = false;
    for (int i = 0; i < 4; ++i) {
        if (expected[i] < 0) {
            anyRefused = true;
            QVERIFY(!g.refusal(10 + i, QStringLiteral("Level")).isEmpty());
            QCOMPARE(g.text(10 + i, QStringLiteral("Level")), typed);
        } else {
            QCOMPARE(g.text(10 + i, QStringLiteral("Level")), QString::number(expected[i]));
        }
    }
    QCOMPARE(g.text(9, QStringLiteral("Level")), QString::number(before[place(tables::enemyStats, 9, "s2")]));
    QCOMPARE(g.save()->isEnabled(), !anyRefused);
    if (anyRefused)
        return;
    s.platform.askAnswers << true;
    QTest::mouseClick(g.save(), Qt::LeftButton);
    std::vector<std::size_t> changed;
    for (int i = 0; i < 4; ++i)
        if (expected[i] != levels[i]) {
            QCOMPARE(int(s.image.bytes()[place(tables::enemyStats, 10 + i, "s2")]), expected[i]);
            changed.push_back(place(tables::enemyStats, 10 + i, "s2"));
        }
    QCOMPARE(changedOffsets(before, s.image.bytes()), changed);
}

void TestGrid::refusedValueBlocksSaveUntilMended()
{
    Session s;
    const Grid g = openGrid(s, "weapons");
    clickCell(g, g.cell(4, QStringLiteral("Attack")));
    typeInCell(g, QStringLiteral("12x"));
    const QString reason = g.refusal(4, QStringLiteral("Attack"));
    QVERIFY2(reason.contains(QStringLiteral("Attack")), qPrintable(reason));
    QCOMPARE(g.text(4, QStringLiteral("Attack")), QStringLiteral("12x"));  // stays as typed
    QCOMPARE(g.cell(4, QStringLiteral("Attack")).data(Qt::ToolTipRole).toString(), reason);
    QVERIFY(g.bar().contains(reason));
    QVERIFY(!g.save()->isEnabled());
    // Ctrl+S past the disabled button writes nothing either
    const Bytes before = s.image.bytes();
    QTest::keyClick(g.view, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(s.image.bytes(), before);
    QVERIFY(s.platform.questions.isEmpty());
    // a label no entry has, in a list field
    const QString status = g.text(4, QStringLiteral("Inflicted Status"));
    clickCell(g, g.cell(4, QStringLiteral("Inflicted Status")));
    typeInCell(g, QStringLiteral("Nothing Such"));
    QVERIFY(!g.refusal(4, QStringLiteral("Inflicted Status")).isEmpty());
    clickCell(g, g.cell(4, QStringLiteral("Inflicted Status")));
    typeInCell(g, status);
    QVERIFY(g.refusal(4, QStringLiteral("Inflicted Status")).isEmpty());
    clickCell(g, g.cell(4, QStringLiteral("Attack")));
    typeInCell(g, QStringLiteral("12"));
    QVERIFY(g.refusal(4, QStringLiteral("Attack")).isEmpty());
    QVERIFY(g.save()->isEnabled());
}

void TestGrid::pasteSpreadsheetBlock()
{
    Session s;
    const Grid g = openGrid(s);
    const Bytes before = s.image.bytes();
    // too large a block from the last rows changes nothing
    clickCell(g, g.cell(255, QStringLiteral("Level")));
    pasteText(g, QStringLiteral("1\n2\n"));
    QVERIFY2(g.bar().startsWith(QStringLiteral("Not pasted")), qPrintable(g.bar()));
    QVERIFY(!child<QPushButton>(g.window, QStringLiteral("GridRevert"))->isEnabled());
    // a block of two rows and three columns from Level on, as a spreadsheet copies it
    clickCell(g, g.cell(20, QStringLiteral("Level")));
    pasteText(g, QStringLiteral("11\t12\t13\r\n21\tabc\t23\r\n"));
    QCOMPARE(g.text(20, QStringLiteral("Level")), QStringLiteral("11"));
    QCOMPARE(g.text(20, QStringLiteral("Unknown 2")), QStringLiteral("13"));
    QCOMPARE(g.text(21, QStringLiteral("Level")), QStringLiteral("21"));
    QVERIFY(!g.refusal(21, QStringLiteral("Unknown 1")).isEmpty());
    QVERIFY(g.bar().contains(QStringLiteral("1 refused")));
    clickCell(g, g.cell(21, QStringLiteral("Unknown 1")));
    typeInCell(g, QStringLiteral("22"));
    s.platform.askAnswers << true;
    QTest::mouseClick(g.save(), Qt::LeftButton);
    const Bytes after = s.image.bytes();
    std::vector<std::size_t> expected;
    const std::uint8_t values[2][3] = {{11, 12, 13}, {21, 22, 23}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            const std::uint32_t at = place(tables::enemyStats, 20 + r, "s2") + std::uint32_t(c);
            QCOMPARE(after[at], values[r][c]);
            if (before[at] != values[r][c])
                expected.push_back(at);
        }
    QCOMPARE(changedOffsets(before, after), expected);
}

void TestGrid::pasteLeavesEmptyCellsAsTheyAre()
{
    Session s;
    // attack, the field between, critical hit: the field between is not 0 where the block passes over it
    s.image.poke(place(tables::weapons, 10, "Text1"), {210, 5, 33});
    s.image.poke(place(tables::weapons, 11, "Text1"), {211, 9, 44});
    s.image.poke(place(tables::weapons, 12, "Text1"), {212, 9, 55});
    const Grid g = openGrid(s, "weapons");
    const Bytes before = s.image.bytes();
    const QString attack = QStringLiteral("Attack");
    const QString critical = QStringLiteral("Critical Hit %");
    const int gap = g.column(critical) - g.column(attack);
    QVERIFY(gap > 1);

    // the grid's own copy of two cells with a gap between them
    clickCell(g, g.cell(10, attack));
    clickCell(g, g.cell(10, critical), Qt::ControlModifier);
    QTest::keyClick(g.view, Qt::Key_C, Qt::ControlModifier);
    QVERIFY2(g.bar() == QStringLiteral("Copied 1 row of %1 columns").arg(gap + 1), qPrintable(g.bar()));
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied.count(QLatin1Char('\t')), gap);
    clickCell(g, g.cell(11, attack));
    QTest::keyClick(g.view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(g.text(11, attack), QStringLiteral("210"));
    QCOMPARE(g.text(11, critical), QStringLiteral("33"));
    QVERIFY2(g.bar().contains(QStringLiteral("left as")), qPrintable(g.bar()));
    // a spreadsheet row ending in a tab, and a row with an empty first cell
    clickCell(g, g.cell(12, attack));
    pasteText(g, QStringLiteral("7\t\n\t\n"));
    QCOMPARE(g.text(12, attack), QStringLiteral("7"));
    QVERIFY2(g.bar().startsWith(QStringLiteral("Pasted 1 value in 2 rows")), qPrintable(g.bar()));

    s.platform.askAnswers << true;
    QTest::mouseClick(g.save(), Qt::LeftButton);
    QVERIFY2(!s.platform.questions.last().contains(QStringLiteral("-> 0")), qPrintable(s.platform.questions.last()));
    const Bytes after = s.image.bytes();
    QCOMPARE(changedOffsets(before, after),
             offsets({{place(tables::weapons, 11, "Text1"), 1}, {place(tables::weapons, 11, "Text3"), 1},
                      {place(tables::weapons, 12, "Text1"), 1}}));
    QCOMPARE(s.image.bytesAt(place(tables::weapons, 11, "Text1"), 3), (Bytes{210, 9, 33}));
    QCOMPARE(s.image.bytesAt(place(tables::weapons, 12, "Text1"), 3), (Bytes{7, 9, 55}));
}

void TestGrid::sortAndFilterChangeOnlyTheView()
{
    Session s;
    s.image.poke(place(tables::enemyStats, 77, "s1"), {0, 0});  // the lowest HP
    const Grid g = openGrid(s);
    const Bytes before = s.image.bytes();
    const int hp = g.column(QStringLiteral("HP"));
    QHeaderView* header = g.view->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(hp) + header->sectionSize(hp) / 2, header->height() / 2));
    QCOMPARE(g.shown()->headerData(0, Qt::Vertical).toInt(), 77);
    for (int r = 1; r < g.shown()->rowCount(); ++r)
        QVERIFY(g.shown()->index(r - 1, hp).data(GridModel::kSortRole).toLongLong()
                <= g.shown()->index(r, hp).data(GridModel::kSortRole).toLongLong());
    QCOMPARE(s.image.bytes(), before);
    // an edit in the sorted view reaches the entry shown, and the row stays where it is
    clickCell(g, g.shown()->index(0, hp));
    typeInCell(g, QStringLiteral("+9"));
    QCOMPARE(g.shown()->headerData(0, Qt::Vertical).toInt(), 77);
    QCOMPARE(g.text(77, QStringLiteral("HP")), QStringLiteral("9"));
    // the filter narrows the rows by name or number, as the editors' lists
    auto* filter = child<QLineEdit>(g.window, QStringLiteral("Filter"));
    QTest::keyClicks(filter, QStringLiteral("4D"));
    QCOMPARE(g.shown()->rowCount(), 1);
    QCOMPARE(g.text(77, QStringLiteral("HP")), QStringLiteral("9"));
    typeInto(filter, QStringLiteral("Enemy 4E"));
    QCOMPARE(g.shown()->rowCount(), 1);
    QCOMPARE(g.row(77), -1);
    QCOMPARE(s.image.bytes(), before);
}

void TestGrid::previewListsChangesAsTheToolPrintsThem()
{
    Session s;
    const Grid g = openGrid(s, "enemy-names");
    clickCell(g, g.cell(6, QStringLiteral("Enemy Name")));
    typeInCell(g, QStringLiteral("Orb 7"));
    auto* tables = child<QComboBox>(g.window, QStringLiteral("GridTable"));
    // a switch with edits asks first: No keeps them
    tables->setCurrentIndex(tables->findData(QStringLiteral("weapons")));
    QCOMPARE(tables->currentData().toString(), QStringLiteral("enemy-names"));
    QVERIFY(s.platform.questions.last().contains(QStringLiteral("1 unsaved edit")));
    const Bytes before = s.image.bytes();
    QTest::mouseClick(g.save(), Qt::LeftButton);  // answered No
    QCOMPARE(s.image.bytes(), before);
    const QString question = s.platform.questions.last();
    const CliRun tool = runCli({QStringLiteral("set"), s.image.path(), QStringLiteral("enemy-names"), QStringLiteral("6"),
                                QStringLiteral("name=Orb 7"), QStringLiteral("--dry-run")});
    QCOMPARE(tool.exitCode, 0);
    QVERIFY(!tool.outText().isEmpty());
    QVERIFY2(question.endsWith(tool.outText() + QStringLiteral("1 field in 1 record would change")), qPrintable(question));
}

void TestGrid::batchIsOneUndoStepAndEditorsReadAgain()
{
    Session s;
    for (int index : {1, 2, 40})
        s.image.poke(place(tables::weapons, index, "Text1"), {10});
    const Bytes original = s.image.bytes();
    QWidget* weapon = s.openEditor(3, QStringLiteral("Weapon"));
    clickRow(child<QListWidget>(weapon, QStringLiteral("List1")), 2);
    const Grid g = openGrid(s, "weapons");
    for (int index : {1, 2, 40}) {
        clickCell(g, g.cell(index, QStringLiteral("Attack")));
        typeInCell(g, QStringLiteral("99"));
    }
    s.platform.askAnswers << true;
    QTest::mouseClick(g.save(), Qt::LeftButton);
    const Bytes saved = s.image.bytes();
    QCOMPARE(changedOffsets(original, saved).size(), std::size_t(3));
    // the open editor shows the entry the batch wrote
    QCOMPARE(child<QLineEdit>(weapon, QStringLiteral("Text1"))->text(), QStringLiteral("99"));
    QVERIFY(child<QLabel>(weapon, QStringLiteral("bar"))->text().startsWith(QStringLiteral("Grid Save -- ")));
    QCOMPARE(s.shell().saveLog().history().entries().size(), std::size_t(1));
    QCOMPARE(s.shell().saveLog().history().entries().front().records.size(), std::size_t(3));
    // one Undo Save takes the whole batch back, and the grid and the editor follow
    action(s, "UndoSave")->trigger();
    QCOMPARE(s.image.bytes(), original);
    QCOMPARE(g.text(40, QStringLiteral("Attack")), QString::number(original[place(tables::weapons, 40, "Text1")]));
    QCOMPARE(child<QLineEdit>(weapon, QStringLiteral("Text1"))->text(),
             QString::number(original[place(tables::weapons, 2, "Text1")]));
    action(s, "RedoSave")->trigger();
    QCOMPARE(s.image.bytes(), saved);
}

void TestGrid::saveNamesTheEditorsWhoseEditsItReplaces()
{
    Session s;
    s.image.poke(place(tables::weapons, 2, "Text1"), {10});
    QWidget* weapon = s.openEditor(3, QStringLiteral("Weapon"));
    auto* list = child<QListWidget>(weapon, QStringLiteral("List1"));
    auto* attack = child<QLineEdit>(weapon, QStringLiteral("Text1"));
    clickRow(list, 2);
    typeInto(attack, QStringLiteral("55"));
    const Grid g = openGrid(s, "weapons");
    clickCell(g, g.cell(2, QStringLiteral("Attack")));
    typeInCell(g, QStringLiteral("99"));
    const Bytes before = s.image.bytes();
    const QString named = QStringLiteral("Weapon (%1)").arg(list->item(2)->text());

    // No: nothing saved, and the editor keeps its typing
    s.platform.askAnswers << false;
    QTest::mouseClick(g.save(), Qt::LeftButton);
    QVERIFY2(s.platform.questions.last().contains(QStringLiteral("Unsaved edits in an open editor would be replaced: ")
                                                  + named),
             qPrintable(s.platform.questions.last()));
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(attack->text(), QStringLiteral("55"));
    QVERIFY2(g.bar().contains(named), qPrintable(g.bar()));

    // Yes: saved, and the editor shows the saved record in place of its typing
    s.platform.askAnswers << true;
    QTest::mouseClick(g.save(), Qt::LeftButton);
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(place(tables::weapons, 2, "Text1"), 1));
    QCOMPARE(attack->text(), QStringLiteral("99"));
    QVERIFY2(child<QLabel>(weapon, QStringLiteral("bar"))->text().startsWith(QStringLiteral("Grid Save -- ")),
             qPrintable(child<QLabel>(weapon, QStringLiteral("bar"))->text()));

    // an editor whose edits are of another entry is not named
    clickRow(list, 3);
    typeInto(attack, QStringLiteral("66"));
    clickCell(g, g.cell(2, QStringLiteral("Attack")));
    typeInCell(g, QStringLiteral("98"));
    s.platform.askAnswers << true;
    QTest::mouseClick(g.save(), Qt::LeftButton);
    QVERIFY2(!s.platform.questions.last().contains(QStringLiteral("Unsaved edits")), qPrintable(s.platform.questions.last()));
    QCOMPARE(attack->text(), QStringLiteral("66"));
    QCOMPARE(int(s.image.bytes()[place(tables::weapons, 2, "Text1")]), 98);
}

void TestGrid::recordChangedOnDiskRefusesTheWholeBatch()
{
    Session s;
    for (int index : {1, 5})
        s.image.poke(place(tables::weapons, index, "Text1"), {10});
    const std::uint8_t critical = s.image.bytes()[place(tables::weapons, 5, "Text3")] ^ 0x55;
    const Grid g = openGrid(s, "weapons");
    for (int index : {1, 5}) {
        clickCell(g, g.cell(index, QStringLiteral("Attack")));
        typeInCell(g, QStringLiteral("77"));
    }
    // another program changes entry 5 after the grid read it
    s.image.poke(place(tables::weapons, 5, "Text3"), {critical});
    const Bytes onDisk = s.image.bytes();
    s.platform.askAnswers << true << true;  // save; then read the changed entry again
    QTest::mouseClick(g.save(), Qt::LeftButton);
    QCOMPARE(s.image.bytes(), onDisk);  // all or none: entry 1 is not written either
    QVERIFY(s.platform.questions.last().contains(QStringLiteral("was changed")));
    QVERIFY(s.shell().saveLog().history().entries().empty());
    // entry 5 shows the disk's values, entry 1 keeps its edit
    QCOMPARE(g.text(5, QStringLiteral("Critical Hit %")), QString::number(critical));
    QCOMPARE(g.text(1, QStringLiteral("Attack")), QStringLiteral("77"));
    s.platform.askAnswers << true;
    QTest::mouseClick(g.save(), Qt::LeftButton);
    QCOMPARE(changedOffsets(onDisk, s.image.bytes()), offsetRange(place(tables::weapons, 1, "Text1"), 1));
}

void TestGrid::revertAndAnotherLoad()
{
    Session s;
    s.image.poke(place(tables::enemyStats, 8, "s1"), {100, 0});
    const Grid g = openGrid(s);
    const QString hp = g.text(8, QStringLiteral("HP"));
    clickCell(g, g.cell(8, QStringLiteral("HP")));
    typeInCell(g, QStringLiteral("+1"));
    QVERIFY(g.text(8, QStringLiteral("HP")) != hp);
    QTest::mouseClick(child<QPushButton>(g.window, QStringLiteral("GridRevert")), Qt::LeftButton);
    QCOMPARE(g.text(8, QStringLiteral("HP")), hp);
    QVERIFY(!g.save()->isEnabled());

    // Load of the same image keeps the edits; of another drops them and reads it
    clickCell(g, g.cell(8, QStringLiteral("HP")));
    typeInCell(g, QStringLiteral("555"));
    s.load(s.image.path());
    QCOMPARE(g.text(8, QStringLiteral("HP")), QStringLiteral("555"));
    SampleImage other;
    other.poke(place(tables::enemyStats, 8, "s1"), {0x39, 0x05});
    s.load(other.path());
    QCOMPARE(g.text(8, QStringLiteral("HP")), QStringLiteral("1337"));
    QVERIFY(!g.save()->isEnabled());
    QVERIFY(g.bar().contains(QStringLiteral("dropped")));
}

QTEST_MAIN(TestGrid)
void TestGrid::aLongSaveQuestionKeepsItsButtonsOnTheScreen()
{
    // a batch save of every enemy's HP asks with a line per change: the
    // question's buttons stay on the screen, every line under Show Details
    QStringList lines{QStringLiteral("Save to sample.sfc?"), QString()};
    for (int i = 0; i < 256; ++i)
        lines << QStringLiteral("enemy-stats[%1].hp: 100 -> 110").arg(i);
    lines << QStringLiteral("256 fields in 256 entries would change");
    const QString question = lines.join(QLatin1Char('\n'));

    QtPlatform platform;
    QString shown, details;
    int height = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        shown = box->text();
        details = box->detailedText();
        height = box->sizeHint().height();
        box->button(QMessageBox::No)->click();
    });
    QVERIFY(!platform.ask(nullptr, question));
    QVERIFY2(height > 0 && height < QGuiApplication::primaryScreen()->availableGeometry().height(),
             qPrintable(QString::number(height)));
    QVERIFY(shown.startsWith(QLatin1String("Save to sample.sfc?\n\nenemy-stats[0].hp: 100 -> 110\n")));
    QVERIFY(shown.contains(QLatin1String("... and 236 more lines: Show Details lists them all.")));
    QVERIFY(shown.endsWith(QLatin1String("\n256 fields in 256 entries would change")));
    QCOMPARE(details, question);

    // a short question shows whole, with nothing under details
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        shown = box->text();
        details = box->detailedText();
        box->button(QMessageBox::Yes)->click();
    });
    QVERIFY(platform.ask(nullptr, QStringLiteral("Save to sample.sfc?\n\nweapons[4].attack: 80 -> 12")));
    QCOMPARE(shown, QStringLiteral("Save to sample.sfc?\n\nweapons[4].attack: 80 -> 12"));
    QVERIFY(details.isEmpty());
}

#include "test_grid.moc"

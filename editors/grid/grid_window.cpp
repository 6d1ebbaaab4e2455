#include "editors/grid/grid_window.h"

#include "editors/common/combo_accessible.h"
#include "editors/common/counted.h"
#include "editors/common/editor_host.h"
#include "editors/common/list_filter.h"
#include "editors/common/platform.h"
#include "editors/common/save_log.h"
#include "editors/common/status_line.h"
#include "editors/grid/grid_model.h"
#include "editors/grid/grid_view.h"
#include "rom/change_text.h"
#include "rom/entry_names.h"
#include "rom/history/checked_write.h"
#include "rom/table_blocks.h"

#include <QAccessible>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <set>

namespace {

const char* const kFirstTable = "enemy-stats";

QString caption(const Table& table) { return QString::fromStdString(tableCaption(table)); }

// the rows of tab-separated text as a spreadsheet copies them: a final line
// break ends the last row, CR LF counts as one
std::vector<QStringList> tabRows(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    std::vector<QStringList> rows;
    if (text.isEmpty())
        return rows;
    for (const QString& line : text.split(QLatin1Char('\n')))
        rows.push_back(line.split(QLatin1Char('\t')));
    return rows;
}

}  // namespace

GridWindow::GridWindow(EditorHost& host) : QWidget(nullptr, Qt::Window), m_host(host)
{
    setObjectName(QStringLiteral("Grid"));
    setWindowTitle(QStringLiteral("Table Grid[*]"));
    setAttribute(Qt::WA_DeleteOnClose);

    announceComboCaptions();
    m_tables = new QComboBox(this);
    m_tables->setObjectName(QStringLiteral("GridTable"));
    m_tables->setAccessibleName(QStringLiteral("Table"));
    for (const KeyedTable& table : keyedTables())
        m_tables->addItem(caption(*table.table), QString::fromLatin1(table.key().data(), qsizetype(table.key().size())));
    m_tables->setCurrentIndex(m_tables->findData(QString::fromLatin1(kFirstTable)));
    auto* tableLabel = new QLabel(QStringLiteral("&Table:"), this);
    tableLabel->setBuddy(m_tables);
    m_filter = new ListFilter(this);

    m_model = new GridModel(this);
    m_proxy = new GridProxy(this);
    m_proxy->setSourceModel(m_model);
    // edits do not move rows under the cursor: a sort is made by a header click
    m_proxy->setDynamicSortFilter(false);
    m_view = new GridView(this);
    m_view->setObjectName(QStringLiteral("GridView"));
    m_view->setModel(m_proxy);
    auto* delegate = new GridDelegate(*m_model, m_view);
    m_view->setItemDelegate(delegate);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(0, Qt::AscendingOrder);
    m_view->setWordWrap(false);
    // rows of one height, and column widths measured on a sample of rows:
    // 256 rows of two dozen fields open at once
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->horizontalHeader()->setResizeContentsPrecision(48);

    m_bar = new StatusLine(this);
    m_bar->setObjectName(QStringLiteral("bar"));
    m_revert = new QPushButton(QStringLiteral("&Revert"), this);
    m_revert->setObjectName(QStringLiteral("GridRevert"));
    m_revert->setToolTip(QStringLiteral("Drops every edit not saved yet"));
    m_save = new QPushButton(QStringLiteral("&Save"), this);
    m_save->setObjectName(QStringLiteral("GridSave"));

    auto* top = new QHBoxLayout;
    top->addWidget(tableLabel);
    top->addWidget(m_tables);
    top->addStretch(1);
    top->addWidget(m_filter);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_bar, 1);
    bottom->addWidget(m_revert);
    bottom->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);
    resize(960, 560);

    connect(m_tables, &QComboBox::currentIndexChanged, this, &GridWindow::GridTable_Click);
    connect(m_filter, &QLineEdit::textChanged, m_proxy, &GridProxy::setFilterText);
    connect(m_save, &QPushButton::clicked, this, &GridWindow::GridSave_Click);
    connect(m_revert, &QPushButton::clicked, this, &GridWindow::GridRevert_Click);
    connect(delegate, &GridDelegate::typed, this, &GridWindow::applyTyped);
    connect(m_view, &GridView::pasteRequested, this, &GridWindow::paste);
    connect(m_view, &GridView::copyRequested, this, &GridWindow::copy);
    connect(m_model, &GridModel::editsChanged, this, &GridWindow::editsChanged);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this, &GridWindow::showCurrentCell);
    // the grid follows every write to its table: a window's save, an undo, a
    // redo, a restore; a row with edits keeps them and says so
    connect(&host.saveLog(), &SaveLog::recordChanged, this, [this](const RecordChangeEvent& change) {
        if (!m_model->table() || m_model->table()->table != change.table)
            return;
        if (change.source != objectName() && m_model->rowHasEdits(change.index) && m_model->readRecord(change.index) != change.bytes)
            setStatus(QStringLiteral("%1 changed %2 in the image; your unsaved edits of it are kept (Save will offer "
                                     "to read it again).")
                          .arg(change.writer, m_model->entryName(change.index)));
        m_model->recordWritten(change.index, change.bytes);
    });
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, &GridWindow::GridSave_Click);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this), &QShortcut::activated, this, [this] {
        if (mayDropEdits(QStringLiteral("Closing the grid"))) {
            m_closeAsked = true;
            close();
        }
    });
    readTable();
}

void GridWindow::setStatus(const QString& text) { m_bar->setText(text); }

void GridWindow::announceRefusal(const QString& text)
{
    setStatus(text);
    // a refused cell shows red: the reader is told the reason at once
    QAccessibleEvent alert(m_bar, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void GridWindow::readTable()
{
    const KeyedTable* table = findKeyedTable(m_tables->currentData().toString().toStdString());
    if (!table)
        return;
    m_shownTable = m_tables->currentIndex();
    // the table is announced by the caption of the table it shows
    m_view->setAccessibleName(caption(*table->table));
    const Status read = m_model->load(*table, RomImage(m_host.romPath().toStdString()));
    m_view->resizeColumnsToContents();
    if (!read) {
        setStatus(QStringLiteral("%1 could not be read: %2").arg(caption(*table->table), QString::fromStdString(read.error())));
        m_host.platform().showMessage(this, QString::fromStdString(read.error()));
        return;
    }
    setStatus(QStringLiteral("%1: %2 read from %3")
                  .arg(caption(*table->table), counted(table->table->count, "entry", "entries"),
                       QFileInfo(m_host.romPath()).fileName()));
}

void GridWindow::GridTable_Click()
{
    if (m_tables->currentIndex() == m_shownTable)
        return;
    if (!mayDropEdits(QStringLiteral("Switching to %1").arg(m_tables->currentText()))) {
        const QSignalBlocker quiet(m_tables);  // back to the table shown, which is not read again
        m_tables->setCurrentIndex(m_shownTable);
        return;
    }
    readTable();
}

bool GridWindow::mayDropEdits(const QString& what)
{
    const int edits = m_model->editedCellCount();
    if (edits == 0)
        return true;
    return m_host.platform().ask(this, QStringLiteral("%1 drops %2 unsaved %3 of %4. Go on?")
                                           .arg(what)
                                           .arg(edits)
                                           .arg(edits == 1 ? QStringLiteral("edit") : QStringLiteral("edits"))
                                           .arg(caption(*m_model->table()->table)));
}

void GridWindow::applyTyped(const QModelIndex& edited, const QString& text)
{
    // the selected cells of the edited cell's column, as source rows, taken
    // before any is set
    std::set<int> rows{m_proxy->mapToSource(edited).row()};
    for (const QModelIndex& index : m_view->selectionModel()->selectedIndexes())
        if (index.column() == edited.column())
            rows.insert(m_proxy->mapToSource(index).row());
    const int column = m_proxy->mapToSource(edited).column();
    const QString field = QString::fromStdString(m_model->fieldAt(column)->label);
    QString firstRefusal;
    int refused = 0;
    for (int row : rows) {
        const QString reason = m_model->setCellText(row, column, text);
        if (!reason.isEmpty() && refused++ == 0)
            firstRefusal = reason;
    }
    QString status;
    if (rows.size() == 1)
        status = refused ? QStringLiteral("Refused: ") + firstRefusal
                         : QStringLiteral("%1 · %2: %3 (not saved yet)")
                               .arg(m_model->entryName(*rows.begin()), field,
                                    m_model->index(*rows.begin(), column).data(Qt::EditRole).toString());
    else
        status = QStringLiteral("%1 cells of %2 set to %3%4")
                     .arg(rows.size())
                     .arg(field, text.trimmed(),
                          refused ? QStringLiteral("; %1 refused: %2").arg(refused).arg(firstRefusal) : QString());
    if (refused)
        announceRefusal(status);
    else
        setStatus(status);
}

void GridWindow::paste()
{
    const QModelIndex start = m_view->currentIndex();
    if (!start.isValid()) {
        setStatus(QStringLiteral("Not pasted: select the cell where the block's first value goes."));
        return;
    }
    const std::vector<QStringList> block = tabRows(QGuiApplication::clipboard()->text());
    if (block.empty()) {
        setStatus(QStringLiteral("Not pasted: the clipboard holds no text."));
        return;
    }
    qsizetype width = 0;
    for (const QStringList& cells : block)
        width = std::max(width, cells.size());
    const int rows = int(block.size());
    if (start.row() + rows > m_proxy->rowCount() || start.column() + width > m_proxy->columnCount()) {
        setStatus(QStringLiteral("Not pasted: the block of %1 and %2 does not fit from the selected cell "
                                 "(%3 and %4 %5 shown from there).")
                      .arg(counted(rows, "row"), counted(width, "column"),
                           counted(m_proxy->rowCount() - start.row(), "row"),
                           counted(m_proxy->columnCount() - start.column(), "column"),
                           m_proxy->rowCount() - start.row() == 1 && m_proxy->columnCount() - start.column() == 1
                               ? QStringLiteral("is") : QStringLiteral("are")));
        return;
    }
    // the cells as source positions, checked before any is set: a column that
    // is shown, not settable, may only be given what it shows
    struct Cell {
        int row;
        int column;
        QString text;
    };
    std::vector<Cell> cells;
    int blanks = 0;
    for (int r = 0; r < rows; ++r) {
        for (qsizetype c = 0; c < block[std::size_t(r)].size(); ++c) {
            const QModelIndex at = m_proxy->mapToSource(m_proxy->index(start.row() + r, start.column() + int(c)));
            const QString text = block[std::size_t(r)][c];
            // an empty cell (a gap in the grid's own copy, a spreadsheet row
            // ending in a tab) gives no value: its field stays as it is
            if (text.trimmed().isEmpty()) {
                ++blanks;
                continue;
            }
            if (!(m_model->flags(at) & Qt::ItemIsEditable)) {
                if (text.trimmed() == at.data(Qt::DisplayRole).toString().trimmed())
                    continue;
                setStatus(QStringLiteral("Not pasted: %1 of %2 is shown, not settable, and the block gives it \"%3\".")
                              .arg(m_model->headerData(at.column(), Qt::Horizontal, Qt::DisplayRole).toString(),
                                   m_model->entryName(at.row()), text));
                return;
            }
            cells.push_back({at.row(), at.column(), text});
        }
    }
    int refused = 0;
    QString firstRefusal;
    for (const Cell& cell : cells) {
        const QString reason = m_model->setCellText(cell.row, cell.column, cell.text);
        if (!reason.isEmpty() && refused++ == 0)
            firstRefusal = reason;
    }
    m_view->selectionModel()->select(
        QItemSelection(start, m_proxy->index(start.row() + rows - 1, start.column() + int(width) - 1)),
        QItemSelectionModel::ClearAndSelect);
    const QString status =
        QStringLiteral("Pasted %1 in %2%3%4")
            .arg(counted(int(cells.size()), "value"), counted(rows, "row"),
                 blanks ? QStringLiteral("; %1 left as %2")
                              .arg(counted(blanks, "empty cell"),
                                   blanks == 1 ? QStringLiteral("it was") : QStringLiteral("they were"))
                        : QString(),
                 refused ? QStringLiteral("; %1 refused: %2").arg(refused).arg(firstRefusal) : QString());
    if (refused)
        announceRefusal(status);
    else
        setStatus(status);
}

void GridWindow::copy()
{
    const QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    int top = selected.first().row(), bottom = top, left = selected.first().column(), right = left;
    for (const QModelIndex& index : selected) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    QStringList lines;
    for (int r = top; r <= bottom; ++r) {
        QStringList cells;
        for (int c = left; c <= right; ++c) {
            const QModelIndex index = m_proxy->index(r, c);
            cells << (m_view->selectionModel()->isSelected(index) ? index.data(Qt::EditRole).toString() : QString());
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    setStatus(QStringLiteral("Copied %1 of %2").arg(counted(bottom - top + 1, "row"), counted(right - left + 1, "column")));
}

void GridWindow::editsChanged()
{
    const int refused = m_model->refusedCount();
    const bool changed = !m_model->changes().empty();
    m_save->setEnabled(changed && refused == 0);
    m_revert->setEnabled(m_model->hasEdits());
    m_save->setToolTip(refused ? QStringLiteral("%1 refused %2 block Save: type values their fields take, or Revert")
                                     .arg(refused)
                                     .arg(refused == 1 ? QStringLiteral("value") : QStringLiteral("values"))
                               : QStringLiteral("Lists the changes, then writes them as one save"));
    setWindowModified(m_model->hasEdits());
}

void GridWindow::showCurrentCell()
{
    const QString reason = m_view->currentIndex().data(GridModel::kRefusalRole).toString();
    if (!reason.isEmpty())
        setStatus(QStringLiteral("Refused: ") + reason);
}

void GridWindow::GridRevert_Click()
{
    const int edits = m_model->editedCellCount();
    m_model->revert();
    setStatus(QStringLiteral("Reverted %1 %2: the grid shows what the image holds")
                  .arg(edits)
                  .arg(edits == 1 ? QStringLiteral("edit") : QStringLiteral("edits")));
}

void GridWindow::GridSave_Click()
{
    if (!m_model->table())
        return;
    const KeyedTable& table = *m_model->table();
    if (const int refused = m_model->refusedCount(); refused > 0) {
        setStatus(QStringLiteral("Not saved: %1 refused %2 first (see the marked cells)")
                      .arg(refused)
                      .arg(refused == 1 ? QStringLiteral("value is to be mended") : QStringLiteral("values are to be mended")));
        return;
    }
    const std::vector<GridModel::Change> changes = m_model->changes();
    if (changes.empty()) {
        setStatus(QStringLiteral("Nothing to save: every value is what the image holds."));
        return;
    }
    std::string lines;
    std::size_t fields = 0;
    for (const GridModel::Change& change : changes)
        for (const FieldChange& field : fieldChanges(table, change.read, change.edited)) {
            lines += changeLine(table, change.index, field) + "\n";
            ++fields;
        }
    const QString count = QString::fromStdString(changeCount(fields, changes.size()));
    const QString file = QFileInfo(m_host.romPath()).fileName();
    std::vector<ExpectedWrite> writes;
    for (const GridModel::Change& change : changes)
        writes.push_back({table.table, change.index, change.read, change.edited});
    // editors whose typing this save would replace are named, and give way only on Yes
    const QStringList editors = m_host.saveLog().unsavedEditsOf(writes);
    const QString replaced =
        editors.isEmpty() ? QString()
                          : QStringLiteral("\n\nUnsaved edits in %1 would be replaced: %2. Yes drops them (%3 the saved "
                                           "values); No saves nothing and keeps them.")
                                .arg(editors.size() == 1 ? QStringLiteral("an open editor") : QStringLiteral("open editors"),
                                     editors.join(QStringLiteral(", ")),
                                     editors.size() == 1 ? QStringLiteral("it shows") : QStringLiteral("they show"));
    if (!m_host.platform().ask(this, QStringLiteral("Save to %1?\n\n%2%3 would change%4")
                                         .arg(file, QString::fromStdString(lines), count, replaced))) {
        setStatus(editors.isEmpty() ? QStringLiteral("Not saved: the edits stay for you to go on.")
                                    : QStringLiteral("Not saved: the edits here and in %1 stay for you to go on.")
                                          .arg(editors.join(QStringLiteral(", "))));
        return;
    }
    SaveEntry about;
    about.entryLabel = changes.size() == 1 ? m_model->entryName(changes.front().index).toStdString()
                                           : std::to_string(changes.size()) + " entries";
    about.source = objectName().toStdString();
    about.time = std::chrono::system_clock::now();
    const RomImage image(m_host.romPath().toStdString());
    // the image's journal first, then the records, all or none; the windows
    // that show a written record read it again
    const CheckedWrite written = m_host.saveLog().saveBatch(image, writes, std::move(about), QStringLiteral("Grid Save"), true);
    if (written.changedOnDisk()) {
        const int index = changes[written.which].index;
        const QString entry = QStringLiteral("%1 (%2)").arg(m_model->entryName(index),
                                                            QString::fromStdString(entryName(*table.table, index)));
        setStatus(QStringLiteral("Not saved: %1 was changed in the image since the grid read it").arg(entry));
        if (!m_host.platform().ask(this, QStringLiteral("%1 was changed in %2 since the grid read it, by another window "
                                                        "or another program. Nothing was saved.\n\nRead the changed "
                                                        "entries again? Your edits of them are dropped; your other "
                                                        "edits stay.")
                                             .arg(entry, m_host.romPath())))
            return;
        const Table* const only[] = {table.table};
        const auto blocks = TableBlocks::read(image, only);
        if (!blocks) {
            m_host.platform().showMessage(this, QString::fromStdString(blocks.error()));
            return;
        }
        int again = 0;
        for (const GridModel::Change& change : changes) {
            const auto onDisk = blocks->record(*table.table, change.index);
            if (!std::equal(onDisk.begin(), onDisk.end(), change.read.begin(), change.read.end())) {
                m_model->replaceRecord(change.index, Bytes(onDisk.begin(), onDisk.end()));
                ++again;
            }
        }
        setStatus(QStringLiteral("Not saved: %1 changed %2 read again; the other edits stay")
                      .arg(again)
                      .arg(again == 1 ? QStringLiteral("entry was") : QStringLiteral("entries were")));
        return;
    }
    if (!written) {
        setStatus(QStringLiteral("Not saved: ") + QString::fromStdString(written.message));
        m_host.platform().showMessage(this, QString::fromStdString(written.message));
        return;
    }
    // what the grid holds is what it wrote
    m_model->markSaved();
    setStatus(QStringLiteral("Saved %1 to %2.").arg(count, file));
}

void GridWindow::imageLoaded(bool anotherImage)
{
    if (anotherImage) {
        const int dropped = m_model->editedCellCount();
        readTable();
        if (dropped)
            setStatus(m_bar->text() + QStringLiteral("; %1 unsaved %2 of the image loaded before dropped")
                                          .arg(dropped)
                                          .arg(dropped == 1 ? QStringLiteral("edit") : QStringLiteral("edits")));
        return;
    }
    if (!m_model->table())
        return;
    // the same image again: entries without edits show what it holds now
    const Table* const only[] = {m_model->table()->table};
    const auto blocks = TableBlocks::read(RomImage(m_host.romPath().toStdString()), only);
    if (!blocks)
        return;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const auto record = blocks->record(*only[0], row);
        m_model->recordWritten(row, Bytes(record.begin(), record.end()));
    }
}

void GridWindow::closeEvent(QCloseEvent* event)
{
    // the window's own close button asks; closing with the program does not
    if (!m_closeAsked && event->spontaneous() && !mayDropEdits(QStringLiteral("Closing the grid"))) {
        event->ignore();
        return;
    }
    event->accept();
}

QWidget* createGridWindow(EditorHost& host) { return new GridWindow(host); }

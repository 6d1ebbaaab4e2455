#include "app/compare_window.h"

#include "app/app_shell.h"
#include "editors/common/counted.h"
#include "editors/common/editor_window.h"
#include "editors/common/labels.h"
#include "editors/common/platform.h"
#include "editors/common/save_log.h"
#include "editors/enemy/monster_window.h"
#include "rom/entry_names.h"
#include "rom/history/checked_write.h"
#include "rom/history/field_changes.h"
#include "rom/files.h"
#include "rom/identity.h"
#include "rom/image_facts.h"
#include "rom/image_diff.h"
#include "rom/image_facts_text.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace {

const QString kDot = QStringLiteral(" ") + QChar(0x00B7) + QStringLiteral(" ");

QString qs(const std::string& text) { return QString::fromStdString(text); }

// "0x012345-0x012347 (3 bytes)"
QString runText(const ByteRun& run)
{
    const std::uint64_t n = run.last - run.first + 1;
    return qs(hexWord(run.first, 6)) + QLatin1Char('-') + qs(hexWord(run.last, 6))
           + QStringLiteral(" (%1 %2)").arg(n).arg(n == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"));
}

// A value as the windows show it: a list field by its entry's label, a bit as
// its check box's state, a name without its padding.
QString valueText(const KeyedField& field, const FieldValue& value, const std::string* label, bool withNumber)
{
    if (const auto* bit = std::get_if<bool>(&value))
        return *bit ? QStringLiteral("on") : QStringLiteral("off");
    if (const auto* text = std::get_if<std::string>(&value)) {
        if (field.kind != KeyKind::Name)
            return qs(*text);
        std::string shown = *text;
        shown.erase(shown.find_last_not_of(' ') + 1);
        return QLatin1Char('"') + qs(shown) + QLatin1Char('"');
    }
    const QString number = QString::number(std::get<std::int64_t>(value));
    if (!label)
        return number;
    return withNumber ? qs(*label) + QStringLiteral(" (") + number + QLatin1Char(')') : qs(*label);
}

// The entry as its window's list shows it, from the label set in use.
class EntryTexts {
public:
    QString text(const Table& table, int index)
    {
        auto found = m_lists.find(&table);
        if (found == m_lists.end())
            found = m_lists.emplace(&table, entryLabels(table)).first;
        if (index >= 0 && index < found->second.size())
            return found->second[index];
        return qs(entryListText(table, index));
    }

private:
    std::map<const Table*, QStringList> m_lists;
};

}  // namespace

EntryEditor editorOfTable(const Table& table)
{
    using namespace tables;
    const struct {
        const Table* table;
        const char* window;
        const char* page;
    } kEditors[] = {
        {&characterSprites, "Character", ""},  {&npcSprites, "NPC", ""},
        {&enemySpriteCreation, "Monster", "Command1"}, {&enemyNames, "Monster", ""},
        {&enemyStats, "Monster", "Command4"},  {&enemyAiPointers, "Monster", "Command5"},
        {&enemyRewards, "Monster", "Command6"}, {&weapons, "Weapon", ""},
        {&armor, "Armor", ""},                 {&accessoryEffects, "Accessory", ""},
        {&accessoryEquip, "Accessory", ""},    {&itemSecondary, "Item2", ""},
        {&consumables, "KeyItemandConsumables", ""}, {&gatoSlot, "Gato", ""},
        {&chests, "Chests", ""},
    };
    for (const auto& editor : kEditors)
        if (editor.table == &table)
            return {QString::fromLatin1(editor.window), QString::fromLatin1(editor.page)};
    return {};
}

CompareWindow::CompareWindow(AppShell& shell) : QWidget(nullptr, Qt::Window), m_host(shell)
{
    setObjectName(QStringLiteral("Compare"));
    setWindowTitle(QStringLiteral("Compare"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    m_files = new QLabel(this);
    m_files->setObjectName(QStringLiteral("Files"));
    m_files->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_files->setWordWrap(true);
    layout->addWidget(m_files);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("CompareList"));
    m_list->setAccessibleName(QStringLiteral("Differences"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setUniformItemSizes(true);
    layout->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    auto addButton = [this, buttons](const char* name, const QString& text, const QString& tip, void (CompareWindow::*handler)()) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(tip);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };
    m_previous = addButton("PreviousDifference", QStringLiteral("&Previous"), QStringLiteral("The difference above (Alt+P)"),
                           &CompareWindow::PreviousDifference_Click);
    m_next = addButton("NextDifference", QStringLiteral("&Next"), QStringLiteral("The difference below (Alt+N)"),
                       &CompareWindow::NextDifference_Click);
    buttons->addStretch(1);
    m_take = addButton("TakeValue", QStringLiteral("&Take Value"),
                       QStringLiteral("Writes the other image's value of the selected fields into the image being edited"),
                       &CompareWindow::TakeValue_Click);
    m_open = addButton("OpenEntry", QStringLiteral("&Open Entry"), QStringLiteral("Opens the entry's editor on it"),
                       &CompareWindow::OpenEntry_Click);
    layout->addLayout(buttons);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("bar"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    resize(720, 420);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CompareWindow::showButtons);
    connect(m_list, &QListWidget::itemActivated, this, &CompareWindow::OpenEntry_Click);
    // a save, an undo or a redo anywhere changes what differs
    connect(&m_host.saveLog(), &SaveLog::changed, this, &CompareWindow::refresh);
    showButtons();
}

bool CompareWindow::compareWith(const QString& other)
{
    const QString name = QFileInfo(other).fileName();
    const auto identity = readIdentityValue(other.toStdString());
    // the game behind a 512-byte copier header, as File > Load recognises it:
    // compared without the header
    bool headered = false;
    if (identity && !isGameIdentity(*identity))
        if (const auto bytes = readWholeFile(other.toStdString()); bytes && hasCopierHeader(*bytes))
            headered = true;
    if (!headered && (!identity || !isGameIdentity(*identity))) {
        const QString why = identity ? QString() : QStringLiteral(" (%1)").arg(qs(identity.error()));
        m_host.platform().showMessage(
            this, QStringLiteral("%1 is not a Veldra Saga ROM%2; nothing was compared.").arg(name, why));
        return false;
    }
    m_other = QFileInfo(other).absoluteFilePath();
    m_otherHeadered = headered;
    m_list->clear();
    m_rows.clear();
    refresh();
    return true;
}

bool CompareWindow::event(QEvent* event)
{
    // another program (or Fix Checksum) may have changed either file meanwhile
    if (event->type() == QEvent::WindowActivate && !m_other.isEmpty())
        refresh();
    return QWidget::event(event);
}

void CompareWindow::refresh()
{
    if (m_other.isEmpty())
        return;
    const QString loaded = m_host.romPath();
    m_files->setText(QStringLiteral("This image: %1\nOther image: %2").arg(loaded, m_other));
    auto a = RomImage(loaded.toStdString()).readAll();
    auto b = m_otherHeadered ? readWholeFile(m_other.toStdString()) : RomImage(m_other.toStdString()).readAll();
    if (b && m_otherHeadered) {
        if (hasCopierHeader(*b))
            b.value().erase(b.value().begin(), b.value().begin() + std::ptrdiff_t(kCopierHeaderSize));
        else
            b = Result<Bytes>::failure(m_other.toStdString() + " no longer holds the game behind a copier header");
    }
    if (!a || !b) {
        m_loaded.clear();
        m_otherBytes.clear();
        m_rows.clear();
        m_list->clear();
        m_status->setText(QStringLiteral("Not compared: ") + qs(!a ? a.error() : b.error()));
        showButtons();
        return;
    }
    m_loaded = std::move(*a);
    m_otherBytes = std::move(*b);
    fill();
}

void CompareWindow::fill()
{
    // the row selected (or current) before is selected again where it is still listed
    const int current = m_list->currentRow();
    std::vector<Row> kept;
    for (int row : selectedRows())
        kept.push_back(m_rows[std::size_t(row)]);
    const std::optional<Row> currentRow =
        current >= 0 && std::size_t(current) < m_rows.size() ? std::optional<Row>(m_rows[std::size_t(current)]) : std::nullopt;

    const ImageDiff diff = diffImages(m_loaded, m_otherBytes);
    EntryTexts entries;
    std::vector<Row> rows;
    QStringList texts;
    if (diff.sizesDiffer) {
        rows.push_back({Row::Kind::Size});
        texts << QStringLiteral("File size: %1 -> %2 bytes").arg(m_loaded.size()).arg(m_otherBytes.size());
    }
    int differences = 0;
    for (const KeyedTable& table : keyedTables()) {
        const QString title = qs(tableTitle(*table.table));
        const std::size_t headingAt = rows.size();
        auto entryOf = [&](int index) { return title + kDot + entries.text(*table.table, index) + kDot; };
        for (std::size_t i = 0; i < diff.fields.size(); ++i) {
            const FieldDifference& d = diff.fields[i];
            if (d.table != &table)
                continue;
            // a chest's raw word is listed only where its type and value do not tell the change
            if (d.field->kind == KeyKind::ChestContents) {
                const bool told = std::any_of(diff.fields.begin(), diff.fields.end(), [&d](const FieldDifference& o) {
                    return o.table == d.table && o.index == d.index
                           && (o.field->kind == KeyKind::ChestType || o.field->kind == KeyKind::ChestValue);
                });
                if (told)
                    continue;
            }
            const bool sameLabels = d.labelA && d.labelB && *d.labelA == *d.labelB;
            rows.push_back({Row::Kind::Field, &table, d.index, d.field});
            texts << entryOf(d.index) + qs(d.field->label) + QStringLiteral(": ")
                         + valueText(*d.field, d.a, d.labelA, sameLabels) + QStringLiteral(" -> ")
                         + valueText(*d.field, d.b, d.labelB, sameLabels);
        }
        for (const UnshownDifference& d : diff.unshown) {
            if (d.table != &table)
                continue;
            rows.push_back({Row::Kind::Unshown, &table, d.index});
            texts << entryOf(d.index) + QStringLiteral("bytes differ that no field shows: ") + runText(d.bytes);
        }
        for (const MissingEntries& m : diff.missing) {
            if (m.table != &table)
                continue;
            rows.push_back({Row::Kind::Missing, &table, m.first});
            const QString which = m.first == m.last ? QStringLiteral("entry %1").arg(m.first)
                                                    : QStringLiteral("entries %1..%2").arg(m.first).arg(m.last);
            texts << title + kDot + which + kDot
                         + (m.onlyInA ? QStringLiteral("only in this image: ") : QStringLiteral("only in the other image: "))
                         + runText(m.bytes);
        }
        if (rows.size() > headingAt) {
            const int count = int(rows.size() - headingAt);
            differences += count;
            rows.insert(rows.begin() + std::ptrdiff_t(headingAt), Row{Row::Kind::Heading, &table});
            texts.insert(qsizetype(headingAt), QStringLiteral("%1 (%2)").arg(title).arg(count));
        }
    }
    if (!diff.outside.empty()) {
        rows.push_back({Row::Kind::Heading});
        texts << QStringLiteral("Outside all tables (%1)").arg(diff.outside.size());
        for (const ByteRun& run : diff.outside) {
            rows.push_back({Row::Kind::Outside});
            texts << QStringLiteral("Outside all tables") + kDot + runText(run);
        }
        differences += int(diff.outside.size());
    }

    m_rows = std::move(rows);
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
        m_list->addItems(texts);
        QFont bold = m_list->font();
        bold.setBold(true);
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i].kind != Row::Kind::Heading)
                continue;
            QListWidgetItem* item = m_list->item(int(i));
            item->setFlags(Qt::ItemIsEnabled);
            item->setFont(bold);
        }
        int again = -1;
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            const Row& row = m_rows[i];
            if (currentRow && row.sameAs(*currentRow))
                again = int(i);
            if (std::any_of(kept.begin(), kept.end(), [&row](const Row& k) { return row.sameAs(k); }))
                m_list->item(int(i))->setSelected(true);
        }
        if (again < 0 && current >= 0 && !m_rows.empty())
            again = std::min<int>(current, int(m_rows.size()) - 1);
        if (again >= 0)
            m_list->setCurrentRow(again, QItemSelectionModel::NoUpdate);
    }
    const QString other = QFileInfo(m_other).fileName();
    const QString header = m_otherHeadered ? QStringLiteral(" %1 has a 512-byte copier header; it is compared without it.").arg(other)
                                           : QString();
    m_status->setText((differences == 0 && !diff.sizesDiffer
                           ? QStringLiteral("No differences: this image and %1 hold the same bytes.").arg(other)
                           : QStringLiteral("%1 between this image and %2.").arg(counted(differences, "difference"), other))
                      + header);
    showButtons();
}

std::vector<int> CompareWindow::selectedRows() const
{
    std::vector<int> rows;
    for (const QListWidgetItem* item : m_list->selectedItems())
        rows.push_back(m_list->row(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CompareWindow::showButtons()
{
    bool fields = false;
    bool entry = false;
    for (int row : selectedRows()) {
        if (std::size_t(row) >= m_rows.size())
            continue;
        fields = fields || m_rows[std::size_t(row)].kind == Row::Kind::Field;
        entry = entry || m_rows[std::size_t(row)].table != nullptr;
    }
    m_take->setEnabled(fields);
    m_open->setEnabled(entry);
    m_previous->setEnabled(!m_rows.empty());
    m_next->setEnabled(!m_rows.empty());
}

void CompareWindow::NextDifference_Click() { step(1); }

void CompareWindow::PreviousDifference_Click() { step(-1); }

void CompareWindow::step(int direction)
{
    // with no difference selected, Next starts at the top and Previous at the bottom
    int row = m_list->currentRow();
    if (row < 0 || !m_list->item(row)->isSelected())
        row = direction > 0 ? -1 : int(m_rows.size());
    for (int i = row + direction; i >= 0 && i < int(m_rows.size()); i += direction) {
        if (m_rows[std::size_t(i)].kind == Row::Kind::Heading)
            continue;
        m_list->setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
        m_list->scrollToItem(m_list->item(i));
        return;
    }
    if (row < 0 || row >= int(m_rows.size()))
        m_status->setText(QStringLiteral("No differences to step to."));
    else
        m_status->setText(direction > 0 ? QStringLiteral("No difference below the one selected.")
                                        : QStringLiteral("No difference above the one selected."));
}

void CompareWindow::TakeValue_Click()
{
    // the fields chosen, entry by entry, in the list's order
    struct Taken {
        const KeyedTable* table;
        int index;
        std::vector<const KeyedField*> fields;
    };
    std::vector<Taken> taken;
    int skipped = 0;
    for (int r : selectedRows()) {
        const Row& row = m_rows[std::size_t(r)];
        if (row.kind != Row::Kind::Field) {
            skipped += row.kind == Row::Kind::Heading ? 0 : 1;
            continue;
        }
        auto at = std::find_if(taken.begin(), taken.end(),
                               [&row](const Taken& t) { return t.table == row.table && t.index == row.index; });
        if (at == taken.end())
            at = taken.insert(taken.end(), {row.table, row.index, {}});
        at->fields.push_back(row.field);
    }
    if (taken.empty()) {
        m_status->setText(QStringLiteral("Nothing was written: select the differing fields whose value to take."));
        return;
    }
    // each record as the compare read it, with the chosen fields' bytes (or bits) of the other image
    std::vector<ExpectedWrite> writes;
    QStringList labels;
    EntryTexts entries;
    int values = 0;
    for (const Taken& t : taken) {
        const Table& table = *t.table->table;
        const std::size_t at = std::size_t(table.base) + std::size_t(t.index) * table.recordSize;
        if (at + table.recordSize > m_loaded.size() || at + table.recordSize > m_otherBytes.size())
            continue;
        Bytes expected(m_loaded.begin() + std::ptrdiff_t(at), m_loaded.begin() + std::ptrdiff_t(at + table.recordSize));
        Bytes record = expected;
        const std::span<const std::uint8_t> from(m_otherBytes.data() + at, table.recordSize);
        for (const KeyedField* field : t.fields)
            copyFieldValue(*field, record, from);
        values += int(t.fields.size());
        if (record == expected)
            continue;
        labels << entries.text(table, t.index);
        writes.push_back({&table, t.index, std::move(expected), std::move(record)});
    }
    labels.removeDuplicates();
    if (writes.empty()) {
        refresh();
        return;
    }
    SaveEntry entry;
    entry.entryLabel = labels.join(QStringLiteral(", ")).toStdString();
    entry.source = "Compare";
    entry.time = std::chrono::system_clock::now();
    const RomImage image(m_host.romPath().toStdString());
    // the image's journal first, then the records, all or none (compares again)
    // every open editor showing a written record reads it again, or keeps its
    // unsaved edits and says so
    const CheckedWrite written = m_host.saveLog().saveBatch(image, writes, std::move(entry), QStringLiteral("Take Value"));
    if (!written) {
        const QString why = written.changedOnDisk()
                                ? QStringLiteral("%1 was changed in the image since it was compared. Nothing was written; "
                                                 "the images are compared again.")
                                      .arg(qs(entryName(*writes[written.which].table, writes[written.which].index)))
                                : QStringLiteral("Nothing was written: %1").arg(qs(written.message));
        m_host.platform().showMessage(this, why);
        refresh();
        m_status->setText(why);
        return;
    }
    QString note = QStringLiteral("Took %1 %2 of %3 into %4 %5.")
                       .arg(values)
                       .arg(values == 1 ? QStringLiteral("value") : QStringLiteral("values"))
                       .arg(QFileInfo(m_other).fileName())
                       .arg(writes.size())
                       .arg(writes.size() == 1 ? QStringLiteral("entry") : QStringLiteral("entries"));
    if (skipped > 0)
        note += QStringLiteral(" Rows of bytes rather than fields are not taken (%1 selected).").arg(skipped);
    m_status->setText(note);
}

void CompareWindow::OpenEntry_Click()
{
    const int current = m_list->currentRow();
    const std::vector<int> selected = selectedRows();
    int r = std::find(selected.begin(), selected.end(), current) != selected.end() ? current
            : selected.empty()                                                     ? -1
                                                                                   : selected.front();
    if (r < 0 || std::size_t(r) >= m_rows.size() || !m_rows[std::size_t(r)].table || m_rows[std::size_t(r)].index < 0) {
        m_status->setText(QStringLiteral("Select a difference of an entry to open it."));
        return;
    }
    const Row row = m_rows[std::size_t(r)];
    const Table& table = *row.table->table;
    const EntryEditor editor = editorOfTable(table);
    if (editor.window.isEmpty() || m_host.romPath().isEmpty())
        return;
    if (&table == &tables::gatoSlot) {
        m_host.showWindow(editor.window);  // its one slot; its lists choose the slot's enemy
        return;
    }
    // an editor holding unsaved edits keeps its entry unless the user agrees to drop them
    if (auto* open = qobject_cast<EditorWindow*>(m_host.windows().find(editor.window)); open && open->hasUserEdits()) {
        if (!m_host.platform().ask(this, QStringLiteral("The %1 window has edits that are not saved. Show %2 there "
                                                        "anyway? The edits are then lost.")
                                             .arg(open->windowTitle(), EntryTexts().text(table, row.index)))) {
            m_host.showWindow(editor.window);
            return;
        }
    }
    QWidget* window = m_host.showWindow(editor.window);
    if (!window)
        return;
    if (auto* monster = qobject_cast<MonsterWindow*>(window)) {
        monster->showEnemy(row.index);
        if (auto* page = window->findChild<QPushButton*>(editor.page); page && !editor.page.isEmpty())
            page->click();
        return;
    }
    auto* list = window->findChild<QListWidget*>(QStringLiteral("List1"));
    if (!list || row.index >= list->count())
        return;
    // a filter that hides the entry would leave it selected out of sight
    if (auto* filter = window->findChild<QLineEdit*>(QStringLiteral("Filter")); filter && !filter->text().isEmpty())
        filter->clear();
    list->setCurrentRow(row.index);
    list->scrollToItem(list->item(row.index));
}

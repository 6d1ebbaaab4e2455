#include "editors/common/editor_window.h"

#include "editors/common/combo_accessible.h"
#include "editors/common/editor_host.h"
#include "editors/common/labels.h"
#include "editors/common/platform.h"
#include "editors/common/save_log.h"
#include "editors/common/status_line.h"
#include "rom/files.h"
#include "rom/record_io.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>

#include <memory>

QRect twipsRect(int left, int top, int width, int height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}

int selectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

namespace {

// Notes which entry was selected when a mouse button went down on a list, so
// that a click can tell whether its press selected the entry or found it
// selected already (by an earlier click or by the program, as on opening).
class PressWatcher : public QObject {
public:
    explicit PressWatcher(QListWidget* list) : QObject(list), m_list(list) { list->viewport()->installEventFilter(this); }

    int rowBeforePress() const { return m_row; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            m_row = selectedRow(m_list);
        return false;
    }

private:
    QListWidget* m_list;
    int m_row = -1;
};

}  // namespace

EditorWindow::EditorWindow(EditorHost& host, const QString& objectName, const QString& caption, int clientWidthTwips,
                           int clientHeightTwips)
    : QWidget(nullptr, Qt::Window), m_host(host)
{
    announceComboCaptions();
    setObjectName(objectName);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twips(clientWidthTwips), twips(clientHeightTwips));
    connect(&host.saveLog(), &SaveLog::recordChanged, this, &EditorWindow::recordChanged);
    host.saveLog().watchEdits(this);

    // the keyboard of a document window: Save, and two ways to close
    auto* save = new QShortcut(QKeySequence::Save, this);
    save->setObjectName(QStringLiteral("SaveShortcut"));
    connect(save, &QShortcut::activated, this, &EditorWindow::pressShownSave);
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
}

void EditorWindow::pressShownSave()
{
    // the enemy window shows one page, and with it one Save, at a time
    static const QRegularExpression saveName(QStringLiteral("^Save\\d*$"));
    for (QPushButton* button : findChildren<QPushButton*>(saveName)) {
        if (button->isVisible() && button->isEnabled()) {
            button->click();
            return;
        }
    }
}

RomImage EditorWindow::image() const { return RomImage(m_host.romPath().toStdString()); }

QLabel* EditorWindow::makeStatusLine(int widthTwips, const QColor& background)
{
    auto* bar = new StatusLine(this);
    m_statusLine = bar;
    bar->setObjectName(QStringLiteral("bar"));
    // 240 high, not 255: the list starts 240 twips down and the two must not overlap
    bar->setGeometry(twipsRect(0, 0, widthTwips, 240));
    bar->setAutoFillBackground(true);
    QPalette pal = bar->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::WindowText, Qt::black);
    bar->setPalette(pal);
    return bar;
}

QListWidget* EditorWindow::makeList(const QString& objectName, const QRect& geometry, const QStringList& entries)
{
    auto* list = new QListWidget(this);
    list->setObjectName(objectName);
    // a screen reader says "Weapon, list", not a nameless "list"
    list->setAccessibleName(windowTitle().trimmed());
    list->setGeometry(geometry);
    QFont font(QStringLiteral("Franklin Gothic Medium"));
    font.setPointSizeF(8.25);
    list->setFont(font);
    // every entry is one line of text in the list's font: the list lays out
    // 256 entries from the size of one rather than measuring each
    list->setUniformItemSizes(true);
    list->addItems(entries);
    return list;
}

std::optional<Bytes> EditorWindow::readEntry(const Table& table, int index)
{
    auto record = readRecord(image(), table, index);
    if (!record) {
        complain(record.error());
        return std::nullopt;
    }
    noteRead(table, index);
    return *record;
}

void EditorWindow::noteRead(const Table& table, int index)
{
    m_readFrom[{&table, index}] = m_host.romPath();
    m_userEdits = false;  // the controls show what the image holds
}

void EditorWindow::watchUserEdits()
{
    // the signals a user's own input raises, never the program's setText or setChecked
    static const QStringList kNoEdits{QStringLiteral("Filter"), QStringLiteral("preread"), QStringLiteral("namebox")};
    const auto edited = [this] { m_userEdits = true; };
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        if (!kNoEdits.contains(edit->objectName()))
            connect(edit, &QLineEdit::textEdited, this, edited);
    for (QComboBox* combo : findChildren<QComboBox*>())
        connect(combo, &QComboBox::activated, this, edited);
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        if (button->isCheckable() && !kNoEdits.contains(button->objectName()))
            connect(button, &QAbstractButton::clicked, this, edited);
}

bool EditorWindow::readFromOtherImage(const std::vector<ExpectedWrite>& writes, const QString& entryLabel)
{
    const QString loaded = m_host.romPath();
    for (const ExpectedWrite& w : writes) {
        const auto source = m_readFrom.find({w.table, w.index});
        if (source == m_readFrom.end() || source->second == loaded
            || sameFile(source->second.toStdString(), loaded.toStdString()))
            continue;
        const QString entry = entryLabel + QStringLiteral(" (") + QString::fromStdString(entryName(*w.table, w.index))
                              + QStringLiteral(")");
        m_readAgainFrom = source->second;
        showNotSaved(QStringLiteral("%1 was read from %2, but the image loaded now is %3").arg(entry, source->second, loaded));
        m_readAgainAsked = m_host.platform().ask(
            this, QStringLiteral("%1 was read from %2, but the image loaded now is %3. Nothing was saved to either file.\n\n"
                                 "Read it again from %3? The values shown here are then replaced by those in that image.")
                      .arg(entry, source->second, loaded));
        return true;
    }
    return false;
}

EditorWindow::SaveOutcome EditorWindow::saveRecords(const std::vector<ExpectedWrite>& writes, const QString& entryLabel,
                                                     bool merge)
{
    // values read from another image than the one loaded now are not the
    // user's edits of this one: nothing is written, to either file
    if (readFromOtherImage(writes, entryLabel))
        return m_readAgainAsked ? SaveOutcome::ReadAgain : SaveOutcome::Refused;
    m_readAgainFrom.clear();
    SaveEntry about;
    about.entryLabel = entryLabel.toStdString();
    about.source = objectName().toStdString();
    about.time = std::chrono::system_clock::now();
    // the save's journal entry goes in first: without it nothing is written
    const CheckedWrite written = m_host.saveLog().save(image(), writes, std::move(about), merge);
    if (written.changedOnDisk()) {
        const ExpectedWrite& changed = writes[written.which];
        const QString entry = entryLabel + QStringLiteral(" (") + QString::fromStdString(entryName(*changed.table, changed.index))
                              + QStringLiteral(")");
        showNotSaved(entry + QStringLiteral(" was changed in the image since this window read it"));
        const bool again = m_host.platform().ask(
            this, QStringLiteral("%1 was changed in %2 since this window read it, by another window or another program. "
                                 "Nothing was saved.\n\nRead it again? The values shown here are then replaced by "
                                 "those in the image.")
                      .arg(entry, QString::fromStdString(image().path().string())));
        return again ? SaveOutcome::ReadAgain : SaveOutcome::Refused;
    }
    if (!written) {
        refuseSave(written.message);
        return SaveOutcome::Refused;
    }
    for (const ExpectedWrite& w : writes)
        noteRead(*w.table, w.index);  // what the window holds is now what it wrote there
    return SaveOutcome::Saved;
}

EditorWindow::SaveOutcome EditorWindow::saveRecord(const Table& table, int index, const Bytes& expected,
                                                   const Bytes& record, const QString& entryLabel, bool merge)
{
    return saveRecords({{&table, index, expected, record}}, entryLabel, merge);
}

void EditorWindow::showReadAgain(const QString& label, const QString& what)
{
    if (m_readAgainFrom.isEmpty())
        showNotSaved(label + QStringLiteral(" had been changed in the image; ") + what + QStringLiteral(" was read again"));
    else
        showNotSaved(label + QStringLiteral(" was read from ") + m_readAgainFrom + QStringLiteral("; ") + what
                     + QStringLiteral(" was read again from ") + m_host.romPath());
}

QString EditorWindow::restoredCaption(const QString& label, const QString& writer) const
{
    return writer + QStringLiteral(" -- ") + label + QStringLiteral(" -- read again.");
}

void EditorWindow::recordChanged(const RecordChangeEvent& change)
{
    recordWritten(*change.table, change.index, change.bytes);
    // the window's own save: it shows what it wrote
    if (change.source == objectName() || !showsRecord(*change.table, change.index))
        return;
    if (!m_userEdits || change.dropsEdits) {
        recordRestored(*change.table, change.index, change.writer);
        return;
    }
    // the user's typing stays; the record the window holds is the one it
    // read, so its Save finds the change and offers to read it again
    if (m_statusLine)
        m_statusLine->setText(QStringLiteral("%1 changed %2 in the image; your unsaved edits here are kept (Save will "
                                             "offer to read it again).")
                                  .arg(change.writer, entryLabels(*change.table).value(change.index)));
}

QString EditorWindow::unsavedEditsOf(const Table& table, int index) const
{
    if (!m_userEdits || !showsRecord(table, index))
        return {};
    return QStringLiteral("%1 (%2)").arg(windowTitle().trimmed(), entryLabels(table).value(index));
}

void EditorWindow::onClickOfSelected(QListWidget* list, std::function<void()> again)
{
    auto* watcher = new PressWatcher(list);
    connect(list, &QListWidget::itemClicked, this, [watcher, list, again](QListWidgetItem* item) {
        if (list->row(item) == watcher->rowBeforePress())
            again();
    });
}

void EditorWindow::retryFailedReads(QListWidget* list, std::function<bool()> failed, std::function<void()> read)
{
    onClickOfSelected(list, [failed, read] {
        if (failed())
            read();
    });
}

void EditorWindow::complain(const QString& reason) { m_host.platform().showMessage(this, reason); }

void EditorWindow::refuseSave(const QString& reason)
{
    showNotSaved(reason);
    complain(reason);
}

void EditorWindow::showNotSaved(const QString& reason)
{
    // one line: the paragraphs of a longer reason joined
    QString line = reason;
    line.replace(QRegularExpression(QStringLiteral("\\s*\\n+\\s*")), QStringLiteral(": "));
    if (m_statusLine)
        m_statusLine->setText(QStringLiteral("Not saved: ") + line);
}

#include "editors/enemy/monster_window.h"

#include "editors/common/control_table.h"
#include "editors/common/font_fit.h"
#include "editors/common/place_tips.h"
#include "editors/enemy/ai_pointer_page.h"
#include "editors/enemy/enemy_lists.h"
#include "editors/enemy/rewards_page.h"
#include "editors/enemy/sprite_creation_page.h"
#include "editors/enemy/stats_page.h"
#include "rom/game_text.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace {

constexpr int kWidth = 6015;
constexpr int kListTop = 240;
constexpr int kListHeight = 1830;
constexpr int kNameRowTop = kListTop + kListHeight;
constexpr int kSelectorTop = kNameRowTop + 495;
constexpr int kPagesTop = kSelectorTop + 330;

}  // namespace

MonsterWindow::MonsterWindow(EditorHost& host) : EditorWindow(host, QStringLiteral("Monster"), QStringLiteral("Enemy"), kWidth, 7320)
{
    m_bar = makeStatusLine(kWidth);
    const QRect listPlace = twipsRect(0, kListTop, kWidth, kListHeight);
    auto* list1 = makeList(QStringLiteral("List1"), listPlace, EnemyLists::builtInTexts());
    auto* list2 = makeList(QStringLiteral("List2"), listPlace, {});

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::StyledPanel);
    frame1->setGeometry(twipsRect(0, kNameRowTop, kWidth, 495));
    m_preread = EnemyLists::makePrereadBox(frame1);
    m_preread->setGeometry(twipsRect(120, 120, 2760, 255));
    auto* nameLabel = new QLabel(QStringLiteral("Enemy Name :"), frame1);
    nameLabel->setObjectName(QStringLiteral("Label39"));
    nameLabel->setGeometry(twipsRect(2940, 120, 1260, 255));
    m_namebox = new QLineEdit(frame1);
    m_namebox->setObjectName(QStringLiteral("namebox"));
    m_namebox->setMaxLength(tables::enemyNames.recordSize);
    m_namebox->setAccessibleName(shownCaption(tables::enemyNames.fields[0]));
    m_namebox->setGeometry(twipsRect(4200, 90, 1695, 285));
    nameLabel->setBuddy(m_namebox);
    m_lists = std::make_unique<EnemyLists>(list1, list2, m_preread);

    auto* command1 = makePageSelector(QStringLiteral("Command1"), QStringLiteral("Sprite Creation"), 0, 1695);
    auto* command4 = makePageSelector(QStringLiteral("Command4"), QStringLiteral("Stats"), 1710, 1200);
    auto* command5 = makePageSelector(QStringLiteral("Command5"), QStringLiteral("AI Pointers"), 2925, 1545);
    auto* command6 = makePageSelector(QStringLiteral("Command6"), QStringLiteral("Rewards"), 4485, 1530);

    m_spriteCreation = new SpriteCreationPage(this);
    m_stats = new StatsPage(this);
    m_aiPointer = new AiPointerPage(this);
    m_rewards = new RewardsPage(this);
    m_pages = {m_spriteCreation, m_stats, m_aiPointer, m_rewards};
    for (EnemyPage* page : m_pages)
        page->setGeometry(twipsRect(0, kPagesTop, kPageWidth, kPageHeight));

    connect(list1, &QListWidget::itemSelectionChanged, this, &MonsterWindow::List1_Click);
    connect(list2, &QListWidget::itemSelectionChanged, this, &MonsterWindow::List2_Click);
    // After a switch of lists, List1 still highlights the enemy selected in it
    // while the fields may show another one: a click (or Enter) on the
    // highlighted entry shows that enemy, as a click on any other entry would.
    for (QListWidget* list : {list1, list2}) {
        const auto showClicked = [this, list] {
            const int row = selectedRow(list);
            if (row >= 0 && row != m_displayed)
                readEnemy(row);
        };
        connect(list, &QListWidget::itemClicked, this, showClicked);
        connect(list, &QListWidget::itemActivated, this, showClicked);
        // a click on the enemy shown reads it again when its name field waits
        // after a refused name (or its read failed)
        onClickOfSelected(list, [this, list] {
            const int row = selectedRow(list);
            if (row >= 0 && row == m_displayed && !m_namebox->isEnabled())
                readEnemy(row);
        });
    }
    connect(m_preread, &QCheckBox::toggled, this, &MonsterWindow::preread_Click);
    // only the user's edits write the name; the program's own setText after a read does not
    connect(m_namebox, &QLineEdit::textEdited, this, &MonsterWindow::namebox_Change);
    connect(command1, &QPushButton::clicked, this, &MonsterWindow::Command1_Click);
    connect(command4, &QPushButton::clicked, this, &MonsterWindow::Command4_Click);
    connect(command5, &QPushButton::clicked, this, &MonsterWindow::Command5_Click);
    connect(command6, &QPushButton::clicked, this, &MonsterWindow::Command6_Click);
    connect(m_spriteCreation->saveButton(), &QPushButton::clicked, this, &MonsterWindow::Save_Click);
    connect(m_stats->saveButton(), &QPushButton::clicked, this, &MonsterWindow::Save2_Click);
    connect(m_aiPointer->saveButton(), &QPushButton::clicked, this, &MonsterWindow::Save3_Click);
    connect(m_rewards->saveButton(), &QPushButton::clicked, this, &MonsterWindow::Save4_Click);
    Form_Load();
    fitWindow();
}

void MonsterWindow::fitWindow()
{
    // a save quotes the entry shown: the longest built-in text or a name of 11 characters read from the image
    const int last = m_lists->list1()->count() - 1;
    QStringList texts{QStringLiteral("Monster Number %1").arg(last), QStringLiteral("Monster Number %1 could not be read").arg(last)};
    for (const QString& entry : {m_lists->list1()->item(longestRow(m_lists->list1()))->text(),
                                 QString(tables::enemyNames.recordSize, QLatin1Char('X'))})
        texts << QStringLiteral("Saved -- ") + entry + QStringLiteral(" -- to ROM.") << restoredCaption(entry, QStringLiteral("Take Value"));
    expectTexts(m_bar, texts);
    fitToFont(this);
}

MonsterWindow::~MonsterWindow() = default;

QPushButton* MonsterWindow::makePageSelector(const QString& objectName, const QString& caption, int left, int width)
{
    // grey labels to look at, buttons to the keyboard
    auto* selector = new QPushButton(caption, this);
    selector->setObjectName(objectName);
    selector->setFlat(true);
    selector->setAutoFillBackground(true);
    QPalette pal = selector->palette();
    pal.setColor(QPalette::Button, kStatusGrey);
    pal.setColor(QPalette::Window, kStatusGrey);
    selector->setPalette(pal);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    selector->setFont(font);
    selector->setGeometry(twipsRect(left, kSelectorTop + 30, width, 270));
    return selector;
}

void MonsterWindow::Form_Load()
{
    m_lists->list1()->setCurrentRow(0);
    showPage(m_spriteCreation);
}

void MonsterWindow::showEnemy(int index)
{
    QListWidget* list1 = m_lists->list1();
    if (index < 0 || index >= list1->count())
        return;
    if (selectedRow(list1) != index)
        list1->setCurrentRow(index);  // reads it
    else if (m_displayed != index)
        readEnemy(index);  // selected in List1, but another enemy was read from List2 since
    if (m_lists->shown() == m_lists->list2()) {
        const QSignalBlocker quiet(m_lists->list2());  // the enemy is read already
        m_lists->list2()->setCurrentRow(index);
    }
}

void MonsterWindow::List1_Click() { readEnemy(selectedRow(m_lists->list1())); }

void MonsterWindow::List2_Click() { readEnemy(selectedRow(m_lists->list2())); }

void MonsterWindow::readEnemy(int index)
{
    // no selection (a list emptied or switched) names no enemy
    if (index < 0 || index >= m_lists->list1()->count())
        return;
    m_displayed = index;
    const auto n = static_cast<std::int16_t>(index);
    // nothing of the enemy shown before may be saved onto this one; what is
    // not read is greyed out afterwards (greying every page out and in again
    // on each switch would cost more than the switch itself)
    for (EnemyPage* page : m_pages)
        page->forget();
    m_nameSlot.reset();
    // the five records in one opening of the image; they are used up by the
    // reads below and dropped at the end of this switch
    fetchEnemy(index);
    // after one failed read the rest are not tried: one message is enough
    bool read = ReadSpriteCreation(n);
    read = read && ReadStats(n);
    read = read && ReadAIPointer(n);
    read = read && ReadRewards(n);
    m_fetched.clear();
    for (EnemyPage* page : m_pages)
        if (!page->hasRecord())
            page->setEnabled(false);
    m_namebox->setEnabled(m_nameSlot.has_value());
    m_bar->setText(read ? QStringLiteral("Monster Number %1").arg(index)
                        : QStringLiteral("Monster Number %1 could not be read").arg(index));
}

void MonsterWindow::fetchEnemy(int index)
{
    const Table* tables[] = {&tables::enemySpriteCreation, &tables::enemyNames, &tables::enemyStats,
                             &tables::enemyAiPointers, &tables::enemyRewards};
    std::vector<RomImage::Range> ranges;
    for (const Table* table : tables) {
        const auto position = recordPosition(*table, index);
        if (!position)
            return;  // each read then goes its own way and says why
        ranges.push_back({*position, table->recordSize});
    }
    auto records = image().readEach(ranges);
    for (std::size_t i = 0; i < records.size(); ++i)
        m_fetched.emplace(tables[i], std::move(records[i]));
}

std::optional<Bytes> MonsterWindow::fetchedOrRead(const Table& table, int index)
{
    const auto it = m_fetched.find(&table);
    if (it == m_fetched.end())
        return readEntry(table, index);
    if (!it->second) {
        complain(it->second.error());
        return std::nullopt;
    }
    noteRead(table, index);
    return *it->second;
}

bool MonsterWindow::readPage(EnemyPage& page, std::int16_t index)
{
    const auto record = fetchedOrRead(page.table(), index);
    page.showRecord(record, index);
    return record.has_value();
}

bool MonsterWindow::ReadSpriteCreation(std::int16_t index)
{
    return readPage(*m_spriteCreation, index) && readName(index);
}

bool MonsterWindow::ReadStats(std::int16_t index) { return readPage(*m_stats, index); }

bool MonsterWindow::ReadAIPointer(std::int16_t index) { return readPage(*m_aiPointer, index); }

bool MonsterWindow::ReadRewards(std::int16_t index) { return readPage(*m_rewards, index); }

bool MonsterWindow::readName(std::int16_t index)
{
    const auto slot = fetchedOrRead(tables::enemyNames, index);
    if (!slot)
        return false;
    m_nameSlot = slot;
    // setText is no edit: it writes nothing, so reading never changes a name
    m_namebox->setText(QString::fromStdString(decodeGameText(*slot)));
    if (!m_nameTip)
        m_nameTip = std::make_unique<PlaceTip>(m_namebox, tables::enemyNames, tables::enemyNames.fields[0]);
    m_nameTip->show(index);
    return true;
}

void MonsterWindow::namebox_Change()
{
    if (m_displayed < 0 || !m_nameSlot || !m_namebox->isEnabled())
        return;
    // over the slot as read: a character without a code keeps the byte at its place
    Bytes slot = *m_nameSlot;
    encodeGameText(m_namebox->text().toStdString(), slot);
    const QString label = m_lists->entryText(m_displayed);
    switch (saveRecord(tables::enemyNames, m_displayed, *m_nameSlot, slot, label, true)) {
    case SaveOutcome::Saved:
        m_nameSlot = slot;  // the names list heard of the write (recordWritten)
        break;
    case SaveOutcome::ReadAgain:
        if (readName(static_cast<std::int16_t>(m_displayed))) {
            m_namebox->setEnabled(true);
            m_lists->renameEntry(m_displayed, m_namebox->text());
            showReadAgain(label, QStringLiteral("its name"));
        }
        break;
    case SaveOutcome::Refused:
        // every further key would be refused the same way: the field waits
        // until the enemy is chosen (read) again
        m_namebox->setEnabled(false);
        break;
    }
}

void MonsterWindow::recordWritten(const Table& table, int index, const Bytes& bytes)
{
    // the names read from the image follow every write of a name, by this
    // window, an undo or a redo, whichever enemy the fields show
    if (&table == &tables::enemyNames)
        m_lists->nameWritten(index, bytes);
}

bool MonsterWindow::showsRecord(const Table& table, int index) const
{
    if (index != m_displayed)
        return false;
    return &table == &tables::enemyNames
           || std::any_of(m_pages.begin(), m_pages.end(), [&table](const EnemyPage* page) { return &page->table() == &table; });
}

void MonsterWindow::recordRestored(const Table& table, int index, const QString& writer)
{
    if (!showsRecord(table, index))
        return;
    bool read = true;
    if (&table == &tables::enemyNames) {
        read = readName(static_cast<std::int16_t>(index));
        m_namebox->setEnabled(read);
    }
    for (EnemyPage* page : m_pages)
        if (&page->table() == &table)
            read = readPage(*page, static_cast<std::int16_t>(index));
    const QString label = m_lists->entryText(index);
    m_bar->setText(read ? restoredCaption(label, writer) : QStringLiteral("Monster Number %1 could not be read").arg(index));
}

void MonsterWindow::preread_Click()
{
    const Status switched = m_lists->followBox(image());
    if (!switched)
        complain(switched.error());
}

void MonsterWindow::showPage(EnemyPage* shown)
{
    for (EnemyPage* page : m_pages)
        page->setVisible(page == shown);
}

void MonsterWindow::Command1_Click() { showPage(m_spriteCreation); }

void MonsterWindow::Command4_Click() { showPage(m_stats); }

void MonsterWindow::Command5_Click() { showPage(m_aiPointer); }

void MonsterWindow::Command6_Click() { showPage(m_rewards); }

void MonsterWindow::Save_Click() { savePage(*m_spriteCreation); }

void MonsterWindow::Save2_Click() { savePage(*m_stats); }

void MonsterWindow::Save3_Click() { savePage(*m_aiPointer); }

void MonsterWindow::Save4_Click() { savePage(*m_rewards); }

void MonsterWindow::savePage(EnemyPage& page)
{
    if (m_displayed < 0) {
        refuseSave(QStringLiteral("no enemy is shown. Select an enemy first."));
        return;
    }
    auto record = page.collect();
    if (!record) {
        refuseSave(record.error());
        return;
    }
    const QString label = m_lists->entryText(m_displayed);
    switch (saveRecord(page.table(), m_displayed, *page.record(), *record, label)) {
    case SaveOutcome::Saved:
        page.keep(*record);
        m_bar->setText(QStringLiteral("Saved -- ") + label + QStringLiteral(" -- to ROM."));
        break;
    case SaveOutcome::ReadAgain:
        if (readPage(page, static_cast<std::int16_t>(m_displayed)))
            showReadAgain(label, QStringLiteral("this page"));
        break;
    case SaveOutcome::Refused:
        break;
    }
}

QWidget* createMonsterWindow(EditorHost& host) { return new MonsterWindow(host); }

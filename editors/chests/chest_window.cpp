#include "editors/chests/chest_window.h"

#include "editors/common/control_table.h"
#include "editors/common/labels.h"
#include "editors/common/place_tips.h"
#include "editors/common/value_combo.h"
#include "editors/common/value_entries.h"
#include "rom/chest_contents.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int kWidth = 4935;
constexpr int kContents = 2;  // offset of the contents word in a chest record

const QString kItemCaption = QString::fromUtf8(kChestItemCaption.data(), qsizetype(kChestItemCaption.size()));

QStringList chestEntries(int count)
{
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries << QStringLiteral("Chest Number : %1").arg(i);
    return entries;
}

// Shows a placeholder exactly while the control at its place is hidden, so
// that the two never show one over the other.
class PlaceholderSwitch : public QObject {
public:
    PlaceholderSwitch(QWidget* placeholder, QWidget* control) : QObject(control), m_placeholder(placeholder)
    {
        control->installEventFilter(this);
        m_placeholder->setVisible(control->isHidden());
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
            m_placeholder->setVisible(static_cast<QWidget*>(watched)->isHidden());
        return false;
    }

private:
    QWidget* m_placeholder;
};

// the grey, disabled box that shows where the value control of another type
// would be, in the place of `control` whenever that is hidden
void makePlaceholder(QWidget* box, QWidget* control)
{
    QPalette pal = box->palette();
    pal.setColor(QPalette::Base, kStatusGrey);
    pal.setColor(QPalette::Button, kStatusGrey);
    box->setPalette(pal);
    box->setEnabled(false);
    new PlaceholderSwitch(box, control);
}

QGroupBox* makeFrame(const QString& name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    frame->setGeometry(geometry);
    return frame;
}

using enum ControlKind;

constexpr ControlRow kLocationControls[] = {
    {Group, "Frame7", {}, 120, 1680, 2775, 975, "X && Y location coords"},
    {Caption, "Label1", "Frame7", 120, 240, 1215, 255, "x-position"},
    {Entry, "c1", "Frame7", 1440, 240, 615, 285, "x-position"},
    {Caption, "Label2", "Frame7", 120, 600, 1215, 255, "y-position"},
    {Entry, "c2", "Frame7", 1440, 600, 615, 285, "y-position"},
};

bool isChecked(const QCheckBox* box) { return box->checkState() == Qt::Checked; }

}  // namespace

ChestWindow::ChestWindow(EditorHost& host)
    : TableWindow(host, QStringLiteral("Chests"), QStringLiteral("Treasure Chests"), kWidth + 15, 4575, tables::chests)
{
    QLabel* status = makeStatusLine(kWidth);
    QListWidget* entries = makeList(QStringLiteral("List1"), twipsRect(0, 240, kWidth, 1590), chestEntries(tables::chests.count));

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::StyledPanel);
    // right below the list, not 30 twips into it
    frame1->setGeometry(twipsRect(0, 1830, kWidth, 2745));
    makeValueFrames(frame1);
    makeLocationFrame(frame1);
    makeTypeFrame(frame1);
    auto* save = new QPushButton(QStringLiteral("Save"), frame1);
    save->setObjectName(QStringLiteral("Save"));
    save->setGeometry(twipsRect(3000, 1800, 1815, 855));

    // the contents word is the window's own: it packs the type with the value
    bind(status, entries, save, {QStringLiteral("Text1"), QStringLiteral("c3")});
    Form_Load();
    fitWindow();
}

void ChestWindow::makeValueFrames(QWidget* frame1)
{
    const QStringList items = labelList(QStringLiteral("items"));
    QGroupBox* frame5 = makeFrame(QStringLiteral("Frame5"), kItemCaption, frame1, twipsRect(120, 120, 2775, 735));
    auto* combo1 = new QComboBox(frame5);
    combo1->setObjectName(QStringLiteral("Combo1"));
    combo1->setEditable(true);
    combo1->addItems(items);
    combo1->setGeometry(twipsRect(120, 240, 2535, 315));
    m_c3 = new ValueCombo(QStringLiteral("c3"), frame5);
    addValueEntries(m_c3, ValueListId::Items);  // entry i stands for item number i
    m_c3->setGeometry(twipsRect(120, 240, 2535, 315));
    makePlaceholder(combo1, m_c3);
    for (QWidget* control : {static_cast<QWidget*>(combo1), static_cast<QWidget*>(m_c3)})
        control->setAccessibleName(kItemCaption);
    connect(m_c3, &ValueCombo::chosen, this, &ChestWindow::c3_Click);
    connect(m_c3, &QComboBox::editTextChanged, this, &ChestWindow::c3_Change);

    QGroupBox* frame6 =
        makeFrame(QStringLiteral("Frame6"), QStringLiteral("If Chest holds a Gold Amount"), frame1, twipsRect(120, 960, 2775, 615));
    auto* text4 = new QLineEdit(frame6);
    text4->setObjectName(QStringLiteral("Text4"));
    text4->setGeometry(twipsRect(240, 240, 1695, 285));
    m_text1 = new QLineEdit(QStringLiteral("0"), frame6);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setGeometry(twipsRect(240, 240, 1695, 285));
    makePlaceholder(text4, m_text1);
    for (QWidget* control : {static_cast<QWidget*>(text4), static_cast<QWidget*>(m_text1)})
        control->setAccessibleName(frame6->title());
}

void ChestWindow::makeLocationFrame(QWidget* frame1)
{
    buildControls(frame1, {&tables::chests}, kLocationControls);
}

void ChestWindow::makeTypeFrame(QWidget* frame1)
{
    QGroupBox* frame4 = makeFrame(QStringLiteral("Frame4"), QStringLiteral("Treasure Type"), frame1, twipsRect(3000, 120, 1815, 1095));
    auto makeBox = [frame4](const char* name, const char* caption, int top) {
        auto* box = new QCheckBox(QString::fromLatin1(caption), frame4);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(twipsRect(120, top, 1575, 240));  // 240 apart: a box as high would overlap the next
        return box;
    };
    m_gold = makeBox("gold", "Gold", 240);
    m_events = makeBox("events", "None (event)", 480);
    m_item = makeBox("item", "Item", 720);
}

QString ChestWindow::readCaption(int index) const { return QStringLiteral("Chest Number ") + QString::number(index); }

void ChestWindow::c3_Click(int itemNumber) { m_text1->setText(QString::number(itemNumber)); }

void ChestWindow::c3_Change(const QString& text)
{
    const QString ruled = QString::fromStdString(applyEntryRule(EntryRule::NonNegative, text.toStdString()));
    if (ruled != text)
        m_c3->setEditText(ruled);
}

void ChestWindow::showOwnFields(const Bytes& record)
{
    const ChestContents contents = decodeChestContents(wordAt(record, kContents));
    m_gold->setChecked(contents.type == ChestType::Gold);
    m_events->setChecked(contents.type == ChestType::Event);
    m_item->setChecked(contents.type == ChestType::Item);
    m_c3->setVisible(contents.type == ChestType::Item);
    m_text1->setVisible(contents.type == ChestType::Gold);
    m_text1->setText(QString::number(contents.value));
    if (!m_c3->isHidden())
        m_c3->showStored(contents.value);  // its entry, or the bare number past the list; drops text typed before
}

// Text typed into the shown item drop-down takes effect at Save, as a pick
// would: an entry's label or number picks that entry, an item number past the
// list is taken as it is, anything else refuses the Save.
Status ChestWindow::applyTypedItem()
{
    if (m_c3->isHidden())
        return success();
    const QString typed = m_c3->currentText();
    const int current = m_c3->currentIndex();
    if (typed == (current >= 0 ? m_c3->itemText(current) : QString::number(m_c3->value())))
        return success();  // nothing typed since the last pick or read
    const auto item = resolveChestItem(typed.toStdString(), m_c3->value());
    if (!item)
        return Status::failure(item.error());
    m_c3->showStored(*item);
    m_text1->setText(QString::number(*item));
    return success();
}

Result<Bytes> ChestWindow::collectOwnFields(Bytes record)
{
    const Status typed = applyTypedItem();
    if (!typed)
        return Result<Bytes>::failure(typed.error());
    const auto word = encodeChestContents(isChecked(m_gold), isChecked(m_events), m_text1->text().toStdString(),
                                          wordAt(record, kContents));
    if (!word)
        return Result<Bytes>::failure(word.error());
    putWord(record, kContents, *word);
    return record;
}

QWidget* createChestWindow(EditorHost& host) { return new ChestWindow(host); }

void ChestWindow::showOwnPlaces(int index)
{
    // the contents word: bit 15 marks gold, bit 14 an event, else bits 0..8 name the item
    const Field& contents = *tables::chests.field("Text1");
    const Field goldBit{"gold", "type", kContents + 1, Width::Bit, "Gold", EntryRule::None, 7};
    const Field eventBit{"events", "type", kContents + 1, Width::Bit, "None (event)", EntryRule::None, 6};
    for (QWidget* control : {static_cast<QWidget*>(m_text1), static_cast<QWidget*>(m_c3), static_cast<QWidget*>(m_item)})
        showPlace(control, tables::chests, contents, index);
    showPlace(m_gold, tables::chests, goldBit, index);
    showPlace(m_events, tables::chests, eventBit, index);
}

#include "editors/equipment/accessory_window.h"

#include "editors/common/bit_boxes.h"
#include "editors/common/control_table.h"
#include "editors/common/font_fit.h"
#include "editors/common/labels.h"
#include "rom/accessory_records.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int kWidth = 6255;
constexpr int kBoxHeight = 195;

using enum ControlKind;

// right below the secondary bit field, not 15 twips into it; each caption
// right-aligned up to its field, so that none is cut off in a larger font; no
// change rule: the text stays as typed and Save refuses what does not convert
constexpr ControlRow kNumberControls[] = {
    {Group, "Frame1", {}, 2400, 4815, 3855, 1320, {}},
    {Caption, "Label1", "Frame1", 120, 240, 1995, 255, "type-of-effect", ControlStyle::RightAligned},
    {Entry, "TypeOfEffect", "Frame1", 2160, 240, 375, 285, "type-of-effect", ControlStyle::NoRule},
    {Caption, "Label2", "Frame1", 120, 600, 1995, 255, "accessory-price", ControlStyle::RightAligned},
    {Entry, "Price", "Frame1", 2160, 600, 735, 285, "accessory-price", ControlStyle::NoRule},
    {Caption, "Label3", "Frame1", 120, 960, 1995, 255, "value-of-effect", ControlStyle::RightAligned},
    {Entry, "ValueOfEffect", "Frame1", 2160, 960, 375, 285, "value-of-effect", ControlStyle::NoRule},
};

QGroupBox* makeFrame(const QString& name, const QString& caption, QWidget* parent, const QRect& geometry)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    frame->setGeometry(geometry);
    return frame;
}

}  // namespace

AccessoryWindow::AccessoryWindow(EditorHost& host)
    : EditorWindow(host, QStringLiteral("Accessory"), QStringLiteral("Accessory "), 6270, 6750)
{
    m_bar = makeStatusLine(kWidth);
    m_list = makeList(QStringLiteral("List1"), twipsRect(0, 240, kWidth, 2280),
                      entryLabels(tables::accessoryEffects));
    makeBitFrames();
    makeNumberFrame();
    auto* save = new QPushButton(QStringLiteral("Save"), this);
    save->setObjectName(QStringLiteral("Save"));
    save->setGeometry(twipsRect(2400, 6240, 3855, 495));

    // the two tables name their controls apart, so both forms bind over the whole window
    m_effectForm = std::make_unique<RecordForm>(tables::accessoryEffects, this);
    m_equipForm = std::make_unique<RecordForm>(tables::accessoryEquip, this);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &AccessoryWindow::List1_Click);
    retryFailedReads(m_list, [this] { return !m_effect || !m_equip; }, [this] { List1_Click(); });
    connect(save, &QPushButton::clicked, this, &AccessoryWindow::Save_Click);
    Form_Load();
    fitWindow();
}

void AccessoryWindow::fitWindow()
{
    // the longest accessory name and the highest number give the widest status texts
    const QString label = m_list->item(longestRow(m_list))->text();
    expectTexts(m_bar, {QStringLiteral("Now editing %1 - Item # %2").arg(label).arg(m_list->count() - 1),
                        QStringLiteral("%1 could not be read").arg(label),
                        QStringLiteral("Saved ") + label + QStringLiteral(" to ROM!")});
    fitToFont(this);
}

void AccessoryWindow::makeBitFrames()
{
    QGroupBox* frame4 = makeFrame(QStringLiteral("Frame4"), QStringLiteral("Bit Field"), this, twipsRect(0, 2640, 2295, 4095));
    placeBitBoxes(tables::accessoryEffects,
                  {"b1", "b2", "b3", "b4", "b5", "b6", "b7", "b8", "b9", "b10", "b11", "b12", "b13", "b14", "b15", "b16"},
                  frame4, {120, 240, 0, 240, 16, 2055, kBoxHeight});
    QGroupBox* frame5 =
        makeFrame(QStringLiteral("Frame5"), QStringLiteral("Secondary Bit Field"), this, twipsRect(2400, 2640, 1935, 2175));
    placeBitBoxes(tables::accessoryEquip, {"sb1", "sb2", "sb3", "sb4", "sb5", "sb6", "sb7", "sb8"}, frame5,
                  {120, 240, 0, 240, 8, 1695, kBoxHeight});
    // the equip byte holds PC 1 in its highest bit: the boxes go in bit order
    QGroupBox* frame3 =
        makeFrame(QStringLiteral("Frame3"), QStringLiteral("Equipped by "), this, twipsRect(4440, 2640, 1815, 2175));
    placeBitBoxes(tables::accessoryEquip, tables::equipFlags(), frame3,
                  {120, 240, 0, 240, 8, 975, kBoxHeight});
}

void AccessoryWindow::makeNumberFrame()
{
    buildControls(this, {&tables::accessoryEffects, &tables::accessoryEquip}, kNumberControls);
}

void AccessoryWindow::Form_Load()
{
    // the window opens without a selection: nothing is read until the user picks an accessory
}

void AccessoryWindow::List1_Click()
{
    const int index = selectedRow(m_list);
    if (index < 0)
        return;
    ReadRecord(static_cast<std::int16_t>(index));
    const QString label = m_list->item(index)->text();
    m_bar->setText(m_effect && m_equip ? QStringLiteral("Now editing %1 - Item # %2").arg(label).arg(index)
                                       : QStringLiteral("%1 could not be read").arg(label));
}

void AccessoryWindow::ReadRecord(std::int16_t index)
{
    m_effect.reset();
    m_equip.reset();
    auto records = readAccessory(image(), index);
    if (!records) {
        complain(records.error());
        return;
    }
    noteRead(tables::accessoryEffects, index);
    noteRead(tables::accessoryEquip, index);
    m_effect = records->effect;
    m_equip = records->equip;
    m_effectForm->show(*m_effect);
    m_equipForm->show(*m_equip);
    m_effectForm->showPlaces(index);
    m_equipForm->showPlaces(index);
}

void AccessoryWindow::Save_Click()
{
    const int index = selectedRow(m_list);
    if (!m_effect || !m_equip || index < 0) {
        refuseSave(QStringLiteral("no accessory is shown. Select an accessory that can be read first."));
        return;
    }
    // both records are converted before either is written, so a refused
    // field leaves both as they are
    auto effect = m_effectForm->collect(*m_effect);
    if (!effect) {
        refuseSave(effect.error());
        return;
    }
    auto equip = m_equipForm->collect(*m_equip);
    if (!equip) {
        refuseSave(equip.error());
        return;
    }
    // one save of both records: each is checked before either is written, and
    // should the second write fail the first is put back
    const QString label = m_list->item(index)->text();
    const SaveOutcome saved = saveRecords({{&tables::accessoryEquip, index, *m_equip, *equip},
                                           {&tables::accessoryEffects, index, *m_effect, *effect}},
                                          label);
    if (saved == SaveOutcome::ReadAgain) {
        ReadRecord(static_cast<std::int16_t>(index));
        if (m_effect && m_equip)
            showReadAgain(label, QStringLiteral("it"));
        else
            m_bar->setText(QStringLiteral("%1 could not be read").arg(label));
    }
    if (saved != SaveOutcome::Saved)
        return;
    m_equip = *equip;
    m_effect = *effect;
    m_bar->setText(QStringLiteral("Saved ") + label + QStringLiteral(" to ROM!"));
}

bool AccessoryWindow::showsRecord(const Table& table, int index) const
{
    return (&table == &tables::accessoryEffects || &table == &tables::accessoryEquip) && index == selectedRow(m_list);
}

void AccessoryWindow::recordRestored(const Table& table, int index, const QString& writer)
{
    if (!showsRecord(table, index))
        return;
    ReadRecord(static_cast<std::int16_t>(index));
    const QString label = m_list->item(index)->text();
    m_bar->setText(m_effect && m_equip ? restoredCaption(label, writer) : QStringLiteral("%1 could not be read").arg(label));
}

QWidget* createAccessoryWindow(EditorHost& host) { return new AccessoryWindow(host); }

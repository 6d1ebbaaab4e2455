#include "editors/equipment/equipment_window.h"

#include "editors/common/entry_field.h"
#include "editors/common/labels.h"
#include "editors/common/value_combo.h"
#include "editors/common/value_entries.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int kListTop = 240;
constexpr int kListHeight = 2280;
constexpr int kSaveFrameHeight = 855;

QString fromView(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

ValueCombo* makeValueCombo(const QString& name, ValueListId list, QWidget* parent)
{
    auto* combo = new ValueCombo(name, parent);
    addValueEntries(combo, list);
    return combo;
}

}  // namespace

EquipmentWindow::EquipmentWindow(EditorHost& host, const EquipmentEditorConfig& config)
    : TableWindow(host, config.objectName, config.caption, config.widthTwips, config.heightTwips, *config.table),
      m_numberPrefix(config.numberPrefix)
{
    const int w = config.widthTwips;
    const Table& table = *config.table;
    QLabel* status = makeStatusLine(w);
    QListWidget* entries = makeList(QStringLiteral("List1"), twipsRect(0, kListTop, w, kListHeight),
                                    entryLabels(table));

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::StyledPanel);
    const int frameTop = kListTop + kListHeight;
    frame1->setGeometry(twipsRect(0, frameTop, w, config.frameHeightTwips));
    int labelNumber = 1;
    for (const EquipmentRow& row : config.rows) {
        const Field* field = table.field(row.field);
        Q_ASSERT(field);
        auto* label = new QLabel(fromView(field->label), frame1);
        label->setObjectName(QStringLiteral("Label%1").arg(labelNumber++));
        // as wide as the room before the control, and no wider: a longer caption
        // widens that room when the window is fitted to the font
        label->setGeometry(twipsRect(120, row.top, config.controlLeftTwips - 165, 255));
        const QString name = QString::fromLatin1(row.field);
        QWidget* control = nullptr;
        if (field->list != ValueListId::None) {
            control = makeValueCombo(name, field->list, frame1);
            control->setGeometry(twipsRect(config.controlLeftTwips, row.top, row.controlWidth, 315));
        } else {
            control = new EntryField(name, field->rule, frame1);
            control->setGeometry(twipsRect(config.controlLeftTwips, row.top, row.controlWidth, 285));
        }
        label->setBuddy(control);
    }

    auto* frame2 = new QFrame(this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setFrameShape(QFrame::StyledPanel);
    // right below Frame1, not 15 twips into it
    frame2->setGeometry(twipsRect(0, frameTop + config.frameHeightTwips, w, kSaveFrameHeight - 15));
    auto* save = new QPushButton(QStringLiteral("Save"), frame2);
    save->setObjectName(QStringLiteral("Save"));
    save->setGeometry(twipsRect(120, 240, w - 240, 495));

    bind(status, entries, save);
    Form_Load();
    fitWindow();
}

QString EquipmentWindow::readCaption(int index) const { return m_numberPrefix + QString::number(index); }

namespace {

constexpr EquipmentRow kWeaponRows[] = {
    {"Text1", 240, 1815, 615},  {"Text2", 600, 1815, 615},   {"Text3", 960, 1575, 615},
    {"Combo2", 1320, 1575, 3375}, {"Combo1", 1680, 2055, 735},
};

constexpr EquipmentRow kArmorRows[] = {
    {"Text1", 240, 735, 375},
    {"Combo2", 600, 1215, 2655},
    {"Combo1", 960, 1935, 735},
};

}  // namespace

QWidget* createWeaponWindow(EditorHost& host)
{
    return new EquipmentWindow(host, {QStringLiteral("Weapon"), QStringLiteral("Weapon "), &tables::weapons,
                                      QStringLiteral("Weapon Number "), 5775, 5415, 2055, 2280, kWeaponRows});
}

QWidget* createArmorWindow(EditorHost& host)
{
    return new EquipmentWindow(host, {QStringLiteral("Armor"), QStringLiteral("Armor "), &tables::armor,
                                      QStringLiteral("Armor Number "), 4935, 4815, 1455, 2040, kArmorRows});
}

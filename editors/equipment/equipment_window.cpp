#include "editors/equipment/equipment_window.h"

#include "editors/common/control_table.h"
#include "editors/common/labels.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int kListTop = 240;
constexpr int kListHeight = 2280;

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

    const BuiltControls controls = buildControls(this, {&table}, config.controls);
    auto* save = controls.get<QPushButton>("Save");

    bind(status, entries, save);
    Form_Load();
    fitWindow();
}

QString EquipmentWindow::readCaption(int index) const { return m_numberPrefix + QString::number(index); }

namespace {

using enum ControlKind;

// Frame1 right under the list, the Save frame right below it; a caption is as
// wide as the room before its control, and no wider: a longer caption widens
// that room when the window is fitted to the font
constexpr ControlRow kWeaponControls[] = {
    {Panel, "Frame1", {}, 0, 2520, 5775, 2055},
    {Caption, "Label1", "Frame1", 120, 240, 2115, 255, "attack"},
    {Entry, "Text1", "Frame1", 2280, 240, 615, 285, "attack"},
    {Caption, "Label2", "Frame1", 120, 600, 2115, 255, "always-0"},
    {Entry, "Text2", "Frame1", 2280, 600, 615, 285, "always-0"},
    {Caption, "Label3", "Frame1", 120, 960, 2115, 255, "critical-hit"},
    {Entry, "Text3", "Frame1", 2280, 960, 615, 285, "critical-hit"},
    {Caption, "Label4", "Frame1", 120, 1320, 2115, 255, "inflicted-status"},
    {Choice, "Combo2", "Frame1", 2280, 1320, 3375, 315, "inflicted-status"},
    {Caption, "Label5", "Frame1", 120, 1680, 2115, 255, "does-weapon-inflict-status"},
    {Choice, "Combo1", "Frame1", 2280, 1680, 735, 315, "does-weapon-inflict-status"},
    {Panel, "Frame2", {}, 0, 4575, 5775, 840},
    {Button, "Save", "Frame2", 120, 240, 5535, 495, "Save"},
};

constexpr ControlRow kArmorControls[] = {
    {Panel, "Frame1", {}, 0, 2520, 4935, 1455},
    {Caption, "Label1", "Frame1", 120, 240, 1875, 255, "defense"},
    {Entry, "Text1", "Frame1", 2040, 240, 375, 285, "defense"},
    {Caption, "Label2", "Frame1", 120, 600, 1875, 255, "inflicted-status"},
    {Choice, "Combo2", "Frame1", 2040, 600, 2655, 315, "inflicted-status"},
    {Caption, "Label3", "Frame1", 120, 960, 1875, 255, "does-armor-inflict-status"},
    {Choice, "Combo1", "Frame1", 2040, 960, 735, 315, "does-armor-inflict-status"},
    {Panel, "Frame2", {}, 0, 3975, 4935, 840},
    {Button, "Save", "Frame2", 120, 240, 4695, 495, "Save"},
};

}  // namespace

QWidget* createWeaponWindow(EditorHost& host)
{
    return new EquipmentWindow(host, {QStringLiteral("Weapon"), QStringLiteral("Weapon "), &tables::weapons,
                                      QStringLiteral("Weapon Number "), 5775, 5415, kWeaponControls});
}

QWidget* createArmorWindow(EditorHost& host)
{
    return new EquipmentWindow(host, {QStringLiteral("Armor"), QStringLiteral("Armor "), &tables::armor,
                                      QStringLiteral("Armor Number "), 4935, 4815, kArmorControls});
}

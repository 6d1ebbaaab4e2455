#include "editors/items/item2_window.h"

#include "editors/common/control_table.h"
#include "editors/common/labels.h"
#include "editors/items/item_flag_boxes.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int kWidth = 6015;

using enum ControlKind;

// the flag frames side by side under the list, the number frame right below
// them (not 15 twips into them), Save beside it
constexpr ControlRow kControls[] = {
    {Group, "Frame2", {}, 0, 2520, 3135, 1455, "Bit Field"},
    {Group, "Frame3", {}, 3240, 2520, 2775, 1455, "This Item can be equipped by "},
    {Panel, "Frame1", {}, 0, 3975, 4095, 1320},
    {Caption, "Label1", "Frame1", 120, 240, 2535, 255, "item-price"},
    {Entry, "Text2", "Frame1", 2760, 240, 1215, 285, "item-price"},
    {Caption, "Label3", "Frame1", 120, 600, 2535, 255, "stat-increase"},
    {Entry, "Text3", "Frame1", 2760, 600, 1215, 285, "stat-increase"},
    {Caption, "Label2", "Frame1", 120, 960, 2535, 255, "special-protective-ability"},
    {Entry, "Text4", "Frame1", 2760, 960, 1215, 285, "special-protective-ability"},
    {Button, "Save", {}, 4200, 4080, 1815, 1215, "Save"},
};

}  // namespace

Item2Window::Item2Window(EditorHost& host)
    : TableWindow(host, QStringLiteral("Item2"), QStringLiteral("Item Secondary"), kWidth + 15, 5310,
                  tables::itemSecondary)
{
    const Table& table = tables::itemSecondary;
    QLabel* status = makeStatusLine(kWidth);
    QListWidget* entries = makeList(QStringLiteral("List1"), twipsRect(0, 240, kWidth, 2280),
                                    entryLabels(table));

    const BuiltControls controls = buildControls(this, {&table}, kControls);
    placeItemFlagBoxes(table, controls["Frame2"]);
    placeEquipBoxes(table, controls["Frame3"]);
    auto* save = controls.get<QPushButton>("Save");

    bind(status, entries, save);
    Form_Load();
    fitWindow();
}

QString Item2Window::readCaption(int index) const
{
    return QStringLiteral("Now editing %1 - Item # %2").arg(list()->item(index)->text()).arg(index);
}

QString Item2Window::savedCaption(const QString& label) const
{
    return QStringLiteral("Saved ") + label + QStringLiteral(" to ROM!");
}

QWidget* createItem2Window(EditorHost& host) { return new Item2Window(host); }

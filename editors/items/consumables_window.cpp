#include "editors/items/consumables_window.h"

#include "editors/common/control_table.h"
#include "editors/common/labels.h"
#include "editors/items/item_flag_boxes.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int kWidth = 4575;

using enum ControlKind;

// the bit and price frames side by side under the list, the button frame
// right below them (not 15 twips into them)
constexpr ControlRow kControls[] = {
    {Group, "Frame3", {}, 0, 2040, 3135, 1455, "Bit Field"},
    {Group, "Frame1", {}, 3240, 2040, 1335, 1455, "Item Price"},
    {Entry, "Text1", "Frame1", 120, 480, 1095, 285, "item-price"},
    {Panel, "Frame7", {}, 0, 3495, kWidth, 960},
    {Button, "Save", "Frame7", 120, 120, kWidth - 240, 375, "Save"},
    {Button, "Command3", "Frame7", 120, 540, kWidth - 240, 375, "Exit"},
};

}  // namespace

ConsumablesWindow::ConsumablesWindow(EditorHost& host)
    : TableWindow(host, QStringLiteral("KeyItemandConsumables"), QStringLiteral("Key and Consumable Items"), kWidth + 15,
                  4455, tables::consumables)
{
    const Table& table = tables::consumables;
    QLabel* status = makeStatusLine(kWidth);
    QListWidget* entries = makeList(QStringLiteral("List1"), twipsRect(0, 240, kWidth, 1785),
                                    entryLabels(table));

    const BuiltControls controls = buildControls(this, {&table}, kControls);
    placeItemFlagBoxes(table, controls["Frame3"]);
    auto* save = controls.get<QPushButton>("Save");
    auto* exit = controls.get<QPushButton>("Command3");
    connect(exit, &QPushButton::clicked, this, &ConsumablesWindow::Command3_Click);

    bind(status, entries, save);
    Form_Load();  // shows the hint, which the fit makes room for
    fitWindow();
}

void ConsumablesWindow::Form_Load()
{
    TableWindow::Form_Load();
    if (record())  // a failed read keeps saying so
        bar()->setText(QStringLiteral("Click the Grey description boxes for help with that item."));
}

// closes the window; an unsaved edit is lost, as when another entry is selected
void ConsumablesWindow::Command3_Click() { close(); }

QString ConsumablesWindow::readCaption(int index) const
{
    return QStringLiteral("Key and Consumable Item Number ") + QString::number(index);
}

QWidget* createConsumablesWindow(EditorHost& host) { return new ConsumablesWindow(host); }

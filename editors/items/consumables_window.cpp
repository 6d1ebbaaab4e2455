#include "editors/items/consumables_window.h"

#include "editors/common/entry_field.h"
#include "editors/common/labels.h"
#include "editors/items/item_flag_boxes.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int kWidth = 4575;

}  // namespace

ConsumablesWindow::ConsumablesWindow(EditorHost& host)
    : TableWindow(host, QStringLiteral("KeyItemandConsumables"), QStringLiteral("Key and Consumable Items"), kWidth + 15,
                  4455, tables::consumables)
{
    const Table& table = tables::consumables;
    QLabel* status = makeStatusLine(kWidth);
    QListWidget* entries = makeList(QStringLiteral("List1"), twipsRect(0, 240, kWidth, 1785),
                                    entryLabels(table));

    auto* frame3 = new QGroupBox(QStringLiteral("Bit Field"), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    frame3->setGeometry(twipsRect(0, 2040, 3135, 1455));
    placeItemFlagBoxes(table, frame3);

    auto* frame1 = new QGroupBox(QStringLiteral("Item Price"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(twipsRect(3240, 2040, 1335, 1455));
    auto* price = new EntryField(QStringLiteral("Text1"), table.field("Text1")->rule, frame1);
    price->setGeometry(twipsRect(120, 480, 1095, 285));

    auto* frame7 = new QFrame(this);
    frame7->setObjectName(QStringLiteral("Frame7"));
    frame7->setFrameShape(QFrame::StyledPanel);
    // right below the bit and price frames, not 15 twips into them
    frame7->setGeometry(twipsRect(0, 3495, kWidth, 960));
    auto* save = new QPushButton(QStringLiteral("Save"), frame7);
    save->setObjectName(QStringLiteral("Save"));
    save->setGeometry(twipsRect(120, 120, kWidth - 240, 375));
    auto* exit = new QPushButton(QStringLiteral("Exit"), frame7);
    exit->setObjectName(QStringLiteral("Command3"));
    exit->setGeometry(twipsRect(120, 540, kWidth - 240, 375));
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

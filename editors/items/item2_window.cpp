#include "editors/items/item2_window.h"

#include "editors/common/entry_field.h"
#include "editors/common/labels.h"
#include "editors/items/item_flag_boxes.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int kWidth = 6015;

}  // namespace

Item2Window::Item2Window(EditorHost& host)
    : TableWindow(host, QStringLiteral("Item2"), QStringLiteral("Item Secondary"), kWidth + 15, 5310,
                  tables::itemSecondary)
{
    const Table& table = tables::itemSecondary;
    QLabel* status = makeStatusLine(kWidth);
    QListWidget* entries = makeList(QStringLiteral("List1"), twipsRect(0, 240, kWidth, 2280),
                                    entryLabels(table));

    auto* frame2 = new QGroupBox(QStringLiteral("Bit Field"), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(twipsRect(0, 2520, 3135, 1455));
    placeItemFlagBoxes(table, frame2);
    auto* frame3 = new QGroupBox(QStringLiteral("This Item can be equipped by "), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    frame3->setGeometry(twipsRect(3240, 2520, 2775, 1455));
    placeEquipBoxes(table, frame3);

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::StyledPanel);
    // right below the two bit frames, not 15 twips into them
    frame1->setGeometry(twipsRect(0, 3975, 4095, 1320));
    const std::pair<const char*, const char*> rows[] = {{"Label1", "Text2"}, {"Label3", "Text3"}, {"Label2", "Text4"}};
    int top = 240;
    for (const auto& [labelName, fieldName] : rows) {
        const Field* field = table.field(fieldName);
        auto* label = new QLabel(QString::fromUtf8(field->label.data(), qsizetype(field->label.size())), frame1);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setGeometry(twipsRect(120, top, 2535, 255));
        auto* text = new EntryField(QString::fromLatin1(fieldName), field->rule, frame1);
        text->setGeometry(twipsRect(2760, top, 1215, 285));
        label->setBuddy(text);
        top += 360;
    }

    auto* save = new QPushButton(QStringLiteral("Save"), this);
    save->setObjectName(QStringLiteral("Save"));
    save->setGeometry(twipsRect(4200, 4080, 1815, 1215));

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

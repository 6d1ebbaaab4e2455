#include "editors/common/control_table.h"

#include "editors/common/bit_boxes.h"
#include "editors/common/editor_window.h"
#include "editors/common/entry_field.h"
#include "editors/common/value_combo.h"
#include "editors/common/value_entries.h"
#include "rom/field_keys.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <stdexcept>

namespace {

QString fromView(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

const Field* findField(std::initializer_list<const Table*> tables, std::string_view keyOrControl)
{
    for (const Table* table : tables)
        if (const KeyedTable* keyed = findKeyedTable(table->key))
            if (const KeyedField* k = keyed->find(keyOrControl); k && k->kind == KeyKind::Plain)
                return k->field;
    for (const Table* table : tables)
        if (const Field* field = table->field(keyOrControl))
            return field;
    return nullptr;
}

[[noreturn]] void fault(const ControlRow& row, const std::string& what)
{
    throw std::logic_error("control " + std::string(row.name) + ": " + what);
}

}  // namespace

QString shownCaption(const Field& field)
{
    return field.width == Width::Bit ? bitCaption(field) : fromView(field.label);
}

QWidget* BuiltControls::operator[](std::string_view name) const
{
    const auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : it->second;
}

BuiltControls buildControls(QWidget* root, std::initializer_list<const Table*> tables, std::span<const ControlRow> rows)
{
    BuiltControls built;
    // a caption waits for the control of its field, which becomes its buddy
    std::map<const Field*, QLabel*> captions;
    for (const ControlRow& row : rows) {
        QWidget* parent = root;
        if (!row.parent.empty()) {
            parent = built[row.parent];
            if (!parent)
                fault(row, "its parent " + std::string(row.parent) + " is not made before it");
        }
        const Field* field = nullptr;
        switch (row.kind) {
        case ControlKind::Caption:
        case ControlKind::Entry:
        case ControlKind::Choice:
        case ControlKind::Box:
            field = findField(tables, row.text);
            if (!field)
                fault(row, "no field " + std::string(row.text));
            if (row.kind != ControlKind::Caption && field->name != row.name)
                fault(row, "its field " + std::string(row.text) + " is bound to " + std::string(field->name));
            break;
        default:
            break;
        }

        QWidget* control = nullptr;
        switch (row.kind) {
        case ControlKind::Panel: {
            auto* frame = new QFrame(parent);
            frame->setFrameShape(QFrame::StyledPanel);
            control = frame;
            break;
        }
        case ControlKind::Group:
            control = new QGroupBox(fromView(row.text), parent);
            break;
        case ControlKind::Caption: {
            auto* label = new QLabel(shownCaption(*field), parent);
            if (row.style == ControlStyle::RightAligned)
                label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            captions[field] = label;
            control = label;
            break;
        }
        case ControlKind::Entry:
            control = new EntryField(fromView(row.name), row.style == ControlStyle::NoRule ? EntryRule::None : field->rule,
                                     parent);
            break;
        case ControlKind::Choice: {
            auto* combo = new ValueCombo(fromView(row.name), parent);
            addValueEntries(combo, field->list);
            control = combo;
            break;
        }
        case ControlKind::Box:
            if (field->width != Width::Bit)
                fault(row, "its field is not a bit");
            control = new QCheckBox(shownCaption(*field), parent);
            break;
        case ControlKind::Button:
            control = new QPushButton(fromView(row.text), parent);
            break;
        }
        if (!row.name.empty())
            control->setObjectName(fromView(row.name));
        control->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
        if (field && row.kind != ControlKind::Caption) {
            control->setAccessibleName(shownCaption(*field));
            if (const auto caption = captions.find(field); caption != captions.end())
                caption->second->setBuddy(control);
        }
        if (!row.name.empty())
            built.m_byName.emplace(std::string(row.name), control);
    }
    return built;
}

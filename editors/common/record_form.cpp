#include "editors/common/record_form.h"

#include "editors/common/place_tips.h"
#include "editors/common/value_combo.h"
#include "rom/field_values.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>

#include <stdexcept>
#include <string>

RecordForm::RecordForm(const Table& table, QWidget* root, const QStringList& leftToWindow) : m_table(table)
{
    for (const Field& field : table.fields) {
        const QString name = QString::fromUtf8(field.name.data(), qsizetype(field.name.size()));
        if (field.width == Width::Text || leftToWindow.contains(name))
            continue;
        QWidget* control = root->findChild<QWidget*>(name);
        Binding binding{&field, control, qobject_cast<QCheckBox*>(control), qobject_cast<ValueCombo*>(control),
                        qobject_cast<QLineEdit*>(control)};
        // a field without its control would keep its bytes at every Save
        // while the window seemed to edit the whole record
        if (!binding.box && !binding.combo && !binding.edit)
            throw std::logic_error("the " + std::string(table.name) + " form has no "
                                   + (control ? "check box, drop-down or entry field" : "control") + " named "
                                   + std::string(field.name) + " for " + std::string(field.label));
        m_bindings.push_back(binding);
    }
}

void RecordForm::show(std::span<const std::uint8_t> record) const
{
    for (const Binding& binding : m_bindings) {
        const std::int64_t value = fieldNumber(*binding.field, record);
        if (QCheckBox* box = binding.box) {
            box->setChecked(value != 0);
        } else if (ValueCombo* combo = binding.combo) {
            combo->showStored(int(value));
        } else if (QLineEdit* edit = binding.edit) {
            // the same text again changes nothing (no change signal either),
            // but a line edit would lay it out anew: skip it
            const QString text = QString::number(value);
            if (edit->text() != text)
                edit->setText(text);
        }
    }
}

Result<Bytes> RecordForm::collect(Bytes record) const
{
    for (const Binding& binding : m_bindings) {
        const Field& field = *binding.field;
        Result<ValueChoice> stored = ValueChoice{-1, 0};
        if (QCheckBox* box = binding.box) {
            // only a box that is exactly checked sets its bit
            stored = storeFieldText(field, record, box->checkState() == Qt::Checked ? "1" : "0", Notation::Window,
                                    ValueFit::Adjust);
        } else if (ValueCombo* combo = binding.combo) {
            const ListShown list{combo->entries(), combo->shownChoice()};
            stored = storeFieldText(field, record, combo->currentText().toStdString(), Notation::Window, ValueFit::Adjust,
                                    &list);
            if (stored)
                combo->takeChoice(*stored);
        } else if (QLineEdit* edit = binding.edit) {
            stored = storeFieldText(field, record, edit->text().toStdString(), Notation::Window, ValueFit::Adjust);
        }
        if (!stored)
            return Result<Bytes>::failure(stored.error());
    }
    return record;
}

void RecordForm::showPlaces(int index) const
{
    if (m_tips.empty())
        for (const Binding& binding : m_bindings)
            m_tips.emplace_back(binding.control, m_table, *binding.field);
    for (const PlaceTip& tip : m_tips)
        tip.show(index);
}

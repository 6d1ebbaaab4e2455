#include "editors/common/record_form.h"

#include "editors/common/place_tips.h"
#include "editors/common/value_combo.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>

RecordForm::RecordForm(const Table& table, QWidget* root, const QStringList& leftToWindow) : m_table(table)
{
    for (const Field& field : table.fields) {
        const QString name = QString::fromUtf8(field.name.data(), qsizetype(field.name.size()));
        if (field.width == Width::Text || leftToWindow.contains(name))
            continue;
        if (auto* control = root->findChild<QWidget*>(name))
            m_bindings.push_back({&field, control, qobject_cast<QCheckBox*>(control), qobject_cast<ValueCombo*>(control),
                                  qobject_cast<QLineEdit*>(control)});
    }
}

void RecordForm::show(std::span<const std::uint8_t> record) const
{
    for (const Binding& binding : m_bindings) {
        const Field* field = binding.field;
        const std::uint8_t byte = record[field->offset];
        if (field->width == Width::Bit) {
            if (QCheckBox* box = binding.box)
                box->setChecked((byte >> field->bit) & 1);
            continue;
        }
        const int value = field->width == Width::Word ? wordAt(record, field->offset) : byte;
        if (ValueCombo* combo = binding.combo) {
            combo->showStored(value);
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
        const Field* field = binding.field;
        QWidget* control = binding.control;
        const std::string label(field->label);
        if (field->width == Width::Bit) {
            if (auto* box = qobject_cast<QCheckBox*>(control)) {
                const auto mask = static_cast<std::uint8_t>(1u << field->bit);
                // only a box that is exactly checked sets its bit
                record[field->offset] = box->checkState() == Qt::Checked ? (record[field->offset] | mask)
                                                                         : (record[field->offset] & ~mask);
            }
            continue;
        }
        if (auto* combo = qobject_cast<ValueCombo*>(control)) {
            auto value = combo->resolveTyped(QString::fromStdString(label));
            if (!value)
                return Result<Bytes>::failure(value.error());
            record[field->offset] = static_cast<std::uint8_t>(*value);
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            const std::string text = edit->text().toStdString();
            if (field->width == Width::Word) {
                auto word = wordFromText(text, label);
                if (!word)
                    return Result<Bytes>::failure(word.error());
                putWord(record, field->offset, *word);
            } else {
                auto byte = byteFromText(text, label);
                if (!byte)
                    return Result<Bytes>::failure(byte.error());
                record[field->offset] = *byte;
            }
        }
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

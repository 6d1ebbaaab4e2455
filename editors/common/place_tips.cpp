#include "editors/common/place_tips.h"

#include "rom/field_place.h"

#include <QVariant>
#include <QWidget>

namespace {

// the tooltip a control had before its first place was shown
const char* const kOwnTip = "ownToolTip";

QString ownTip(QWidget* control)
{
    QVariant own = control->property(kOwnTip);
    if (!own.isValid()) {
        own = control->toolTip();
        control->setProperty(kOwnTip, own);
    }
    return own.toString();
}

}  // namespace

PlaceTip::PlaceTip(QWidget* control, const Table& table, const Field& field)
    : m_control(control), m_table(&table), m_offset(field.offset), m_kind(QString::fromStdString(fieldKind(table, field)))
{
    const QString own = ownTip(control);
    if (!own.isEmpty())
        m_before = own + QLatin1Char('\n');
}

void PlaceTip::show(int index) const
{
    const auto record = recordPosition(*m_table, index);
    if (!record)
        return;
    static const QLatin1Char zero('0');
    m_control->setToolTip(m_before + QStringLiteral("0x") + QString::number(*record + m_offset, 16).toUpper().rightJustified(6, zero)
                          + m_kind);
}

void showPlace(QWidget* control, const Table& table, const Field& field, int index) { PlaceTip(control, table, field).show(index); }

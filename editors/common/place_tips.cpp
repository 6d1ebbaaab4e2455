#include "editors/common/place_tips.h"

#include "rom/field_place.h"

#include <QStringBuilder>
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
    // six upper-case hex digits, built by hand: this runs for every control on every read
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    char16_t hex[8] = {u'0', u'x'};
    std::uint32_t position = *record + m_offset;
    for (int i = 7; i >= 2; --i, position >>= 4)
        hex[i] = digits[position & 0xF];
    m_control->setToolTip(m_before % QStringView(hex, 8) % m_kind);
}

void showPlace(QWidget* control, const Table& table, const Field& field, int index) { PlaceTip(control, table, field).show(index); }

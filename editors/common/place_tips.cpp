#include "editors/common/place_tips.h"

#include "rom/field_place.h"

#include <QVariant>
#include <QWidget>

namespace {

// the tooltip a control had before its first place was shown
const char* const kOwnTip = "ownToolTip";

}  // namespace

void showPlace(QWidget* control, const Table& table, const Field& field, int index)
{
    QVariant own = control->property(kOwnTip);
    if (!own.isValid()) {
        own = control->toolTip();
        control->setProperty(kOwnTip, own);
    }
    const auto place = fieldPlace(table, field, index);
    const QString placeText = place ? QString::fromStdString(*place) : QString();
    const QString ownText = own.toString();
    control->setToolTip(ownText.isEmpty() ? placeText : placeText.isEmpty() ? ownText : ownText + QLatin1Char('\n') + placeText);
}

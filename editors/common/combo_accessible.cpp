#include "editors/common/combo_accessible.h"

#include <QAccessibleWidget>
#include <QComboBox>

namespace {

class ComboAccessible : public QAccessibleWidget {
public:
    explicit ComboAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return combo()->currentText();
        return QAccessibleWidget::text(t);  // the name: the accessible name, else the buddy label's text
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* comboFactory(const QString& className, QObject* object)
{
    // asked for the object's own class first, before Qt's factory is asked
    // for its base class
    auto* combo = qobject_cast<QComboBox*>(object);
    if (combo && className == QLatin1String(combo->metaObject()->className()))
        return new ComboAccessible(combo);
    return nullptr;
}

}  // namespace

void announceComboCaptions()
{
    static const bool installed = [] {
        QAccessible::installFactory(comboFactory);
        return true;
    }();
    (void)installed;
}

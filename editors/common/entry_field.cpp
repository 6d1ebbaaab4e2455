#include "editors/common/entry_field.h"

EntryField::EntryField(const QString& objectName, EntryRule rule, QWidget* parent)
    : QLineEdit(QStringLiteral("0"), parent), m_rule(rule)
{
    setObjectName(objectName);
    connect(this, &QLineEdit::textChanged, this, &EntryField::applyRule);
}

void EntryField::applyRule(const QString& text)
{
    const QString ruled = QString::fromStdString(applyEntryRule(m_rule, text.toStdString()));
    // setting the same text is no change, so the rule never loops
    if (ruled != text)
        setText(ruled);
}

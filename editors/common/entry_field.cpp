#include "editors/common/entry_field.h"

EntryField::EntryField(const QString& objectName, EntryRule rule, QWidget* parent)
    : QLineEdit(QStringLiteral("0"), parent), m_rule(rule)
{
    setObjectName(objectName);
    connect(this, &QLineEdit::textChanged, this, &EntryField::applyRule);
}

void EntryField::applyRule(const QString& text)
{
    // this runs for every field on every read: compare in UTF-8 and make a
    // QString only for a text the rule changes
    const QByteArray utf8 = text.toUtf8();
    const std::string_view typed(utf8.constData(), std::size_t(utf8.size()));
    const std::string ruled = applyEntryRule(m_rule, typed);
    // setting the same text is no change, so the rule never loops
    if (ruled != typed)
        setText(QString::fromStdString(ruled));
}

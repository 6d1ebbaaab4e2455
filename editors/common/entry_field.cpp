#include "editors/common/entry_field.h"

#include <algorithm>

EntryField::EntryField(const QString& objectName, EntryRule rule, QWidget* parent)
    : QLineEdit(QStringLiteral("0"), parent), m_rule(rule)
{
    setObjectName(objectName);
    connect(this, &QLineEdit::textChanged, this, &EntryField::applyRule);
}

void EntryField::applyRule(const QString& text)
{
    // this runs for every field on every read: a short ASCII text (a number)
    // is handed over without an allocation, and a QString is made only for a
    // text the rule changes
    char ascii[32];
    QByteArray utf8;
    std::string_view typed;
    if (text.size() < qsizetype(sizeof ascii)
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        for (qsizetype i = 0; i < text.size(); ++i)
            ascii[i] = char(text[i].unicode());
        typed = std::string_view(ascii, std::size_t(text.size()));
    } else {
        utf8 = text.toUtf8();
        typed = std::string_view(utf8.constData(), std::size_t(utf8.size()));
    }
    const std::string ruled = applyEntryRule(m_rule, typed);
    // setting the same text is no change, so the rule never loops
    if (ruled != typed)
        setText(QString::fromStdString(ruled));
}

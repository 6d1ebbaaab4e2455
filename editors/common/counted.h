#pragma once

#include <QString>

// "1 row", "2 rows": a count with its noun, singular for exactly one. Nouns
// whose plural is not the noun and an s ("entry") give it as `many`.
inline QString counted(long long n, const char* one, const char* many = nullptr)
{
    const QString noun = n == 1 ? QString::fromLatin1(one)
                         : many ? QString::fromLatin1(many)
                                : QString::fromLatin1(one) + QLatin1Char('s');
    return QString::number(n) + QLatin1Char(' ') + noun;
}

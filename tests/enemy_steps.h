#pragma once

// What the enemy and Gato window tests do again and again.

#include "tests/support/test_support.h"

#include "rom/game_text.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

inline constexpr int kEnemyNames = 0x0C6700;

inline QWidget* openMonster(Session& s) { return s.openEditor(2, QStringLiteral("Monster")); }

inline QWidget* openMonsterOn(Session& s, int enemy)
{
    QWidget* w = openMonster(s);
    clickRow(child<QListWidget>(w, QStringLiteral("List1")), enemy);
    return w;
}

inline void click(QWidget* window, const QString& button)
{
    QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
}

inline QString bar(QWidget* window) { return child<QLabel>(window, QStringLiteral("bar"))->text(); }

// Enemy `enemy`'s name as the image holds it now.
inline QString decodedName(Session& s, int enemy)
{
    return QString::fromStdString(decodeGameText(s.image.bytesAt(kEnemyNames + 11 * enemy, 11)));
}

// Whether every byte that differs lies in position..position+count-1.
inline bool onlyWithin(const Bytes& before, const Bytes& after, std::size_t position, std::size_t count)
{
    for (std::size_t offset : changedOffsets(before, after))
        if (offset < position || offset >= position + count)
            return false;
    return true;
}

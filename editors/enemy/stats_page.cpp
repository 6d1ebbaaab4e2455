#include "editors/enemy/stats_page.h"

#include "editors/common/entry_field.h"
#include "editors/common/value_combo.h"
#include "rom/tables.h"

#include <string>

namespace {

// entry i stands for the stored byte i; "19 - " ends with a blank
const QStringList kHitEffects{
    QStringLiteral("0 - Nothing"),
    QStringLiteral("1 - Nothing"),
    QStringLiteral("2 - Randomly inflicts Stop"),
    QStringLiteral("3 - Randomly inflicts Poison"),
    QStringLiteral("4 - Randomly inflicts Slow"),
    QStringLiteral("5 - Causes HP Leak"),
    QStringLiteral("6 - Randomly inflicts Lock"),
    QStringLiteral("7 - Randomly inflicts Confuse"),
    QStringLiteral("8 - Randomly inflicts Sleep"),
    QStringLiteral("9 - Randomly inflicts Blind"),
    QStringLiteral("10 - Absorbs your HP"),
    QStringLiteral("11 - Nothing"),
    QStringLiteral("12 - Nothing"),
    QStringLiteral("13 - Takes all your HP"),
    QStringLiteral("14 - Absorbs your MP"),
    QStringLiteral("15 - Absorbs more of your HP"),
    QStringLiteral("16 - Brings you down to 1 HP"),
    QStringLiteral("17 - Gives you all it's HP"),
    QStringLiteral("18 - Takes half of your HP"),
    QStringLiteral("19 - Deals more damage "),
    QStringLiteral("20 - Deals even more damage"),
    QStringLiteral("21 - Absorbs a little of your HP"),
    QStringLiteral("22 - Deals more damage than usual"),
};

std::string statName(int n) { return "s" + std::to_string(n); }

}  // namespace

StatsPage::StatsPage(QWidget* parent)
    : EnemyPage(QStringLiteral("stats"), QStringLiteral("Stats"), tables::enemyStats, QStringLiteral("Save2"), parent)
{
    // left: HP, Level, Unknown 1..6
    addField("s1", 120, 0, 1050, 720);
    for (int n = 2; n <= 8; ++n)
        addField(statName(n), 120, n - 1, 1050, 660);
    // middle: Speed .. Defense, then the wide Hit Effect list
    for (int n = 9; n <= 15; ++n)
        addField(statName(n), 1890, n - 9, 1020, 600);
    m_hitEffect = addList("s22", 1890, 7, 1020, 2985);
    m_hitEffect->addEntries(kHitEffects);
    // right: the four elemental defenses, immunities, death animation
    for (int n = 16; n <= 21; ++n)
        addField(statName(n), 3570, n - 16, 1755, 600);
    bindFields();
}

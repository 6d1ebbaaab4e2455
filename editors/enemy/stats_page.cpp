#include "editors/enemy/stats_page.h"

#include "editors/common/entry_field.h"
#include "editors/common/value_combo.h"
#include "editors/common/value_entries.h"
#include "rom/tables.h"

#include <string>

namespace {

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
    addValueEntries(m_hitEffect, ValueListId::HitEffects);
    // right: the four elemental defenses, immunities, death animation
    for (int n = 16; n <= 21; ++n)
        addField(statName(n), 3570, n - 16, 1755, 600);
    bindFields();
}

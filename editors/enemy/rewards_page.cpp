#include "editors/enemy/rewards_page.h"

#include "editors/common/entry_field.h"
#include "editors/common/value_combo.h"
#include "editors/common/value_entries.h"
#include "rom/tables.h"

RewardsPage::RewardsPage(QWidget* parent)
    : EnemyPage(QStringLiteral("reward"), QStringLiteral("Rewards"), tables::enemyRewards, QStringLiteral("Save4"),
                parent)
{
    addField("r1", 120, 0, 1800, 1200);
    addField("r2", 120, 1, 1800, 1200);
    m_dropped = addList("r3", 120, 2, 1800, 3600);
    m_charmed = addList("r4", 120, 3, 1800, 3600);
    addField("r5", 120, 4, 1800, 1200);
    addValueEntries(m_dropped, ValueListId::ItemBytes);
    addValueEntries(m_charmed, ValueListId::ItemBytes);
    bindFields();
}

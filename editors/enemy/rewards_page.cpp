#include "editors/enemy/rewards_page.h"

#include "editors/common/control_table.h"
#include "editors/common/value_combo.h"
#include "rom/tables.h"

namespace {

using enum ControlKind;

constexpr ControlRow kRewardControls[] = {
    {Caption, {}, {}, 120, 330, 1800, 255, "experience-points"},
    {Entry, "r1", {}, 1920, 300, 1200, 285, "experience-points"},
    {Caption, {}, {}, 120, 690, 1800, 255, "gil"},
    {Entry, "r2", {}, 1920, 660, 1200, 285, "gil"},
    {Caption, {}, {}, 120, 1050, 1800, 255, "dropped-item"},
    {Choice, "r3", {}, 1920, 1005, 3600, 315, "dropped-item"},
    {Caption, {}, {}, 120, 1410, 1800, 255, "charmed-item"},
    {Choice, "r4", {}, 1920, 1365, 3600, 315, "charmed-item"},
    {Caption, {}, {}, 120, 1770, 1800, 255, "tech-points"},
    {Entry, "r5", {}, 1920, 1740, 1200, 285, "tech-points"},
};

}  // namespace

RewardsPage::RewardsPage(QWidget* parent)
    : EnemyPage(QStringLiteral("reward"), QStringLiteral("Rewards"), tables::enemyRewards, QStringLiteral("Save4"),
                parent)
{
    const BuiltControls controls = buildFields(kRewardControls);
    m_dropped = controls.get<ValueCombo>("r3");
    m_charmed = controls.get<ValueCombo>("r4");
}

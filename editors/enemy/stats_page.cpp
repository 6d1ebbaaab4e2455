#include "editors/enemy/stats_page.h"

#include "editors/common/control_table.h"
#include "editors/common/value_combo.h"
#include "rom/tables.h"

namespace {

using enum ControlKind;

// in rows 360 twips apart; a drop-down lies 15 twips higher than a field
constexpr ControlRow kStatsControls[] = {
    // left: HP, Level, Unknown 1..6
    {Caption, {}, {}, 120, 330, 1050, 255, "hp"},
    {Entry, "s1", {}, 1170, 300, 720, 285, "hp"},
    {Caption, {}, {}, 120, 690, 1050, 255, "level"},
    {Entry, "s2", {}, 1170, 660, 660, 285, "level"},
    {Caption, {}, {}, 120, 1050, 1050, 255, "unknown-1"},
    {Entry, "s3", {}, 1170, 1020, 660, 285, "unknown-1"},
    {Caption, {}, {}, 120, 1410, 1050, 255, "unknown-2"},
    {Entry, "s4", {}, 1170, 1380, 660, 285, "unknown-2"},
    {Caption, {}, {}, 120, 1770, 1050, 255, "unknown-3"},
    {Entry, "s5", {}, 1170, 1740, 660, 285, "unknown-3"},
    {Caption, {}, {}, 120, 2130, 1050, 255, "unknown-4"},
    {Entry, "s6", {}, 1170, 2100, 660, 285, "unknown-4"},
    {Caption, {}, {}, 120, 2490, 1050, 255, "unknown-5"},
    {Entry, "s7", {}, 1170, 2460, 660, 285, "unknown-5"},
    {Caption, {}, {}, 120, 2850, 1050, 255, "unknown-6"},
    {Entry, "s8", {}, 1170, 2820, 660, 285, "unknown-6"},
    // middle: Speed .. Defense, then the wide Hit Effect list
    {Caption, {}, {}, 1890, 330, 1020, 255, "speed"},
    {Entry, "s9", {}, 2910, 300, 600, 285, "speed"},
    {Caption, {}, {}, 1890, 690, 1020, 255, "magic"},
    {Entry, "s10", {}, 2910, 660, 600, 285, "magic"},
    {Caption, {}, {}, 1890, 1050, 1020, 255, "hit"},
    {Entry, "s11", {}, 2910, 1020, 600, 285, "hit"},
    {Caption, {}, {}, 1890, 1410, 1020, 255, "evade"},
    {Entry, "s12", {}, 2910, 1380, 600, 285, "evade"},
    {Caption, {}, {}, 1890, 1770, 1020, 255, "magic-def"},
    {Entry, "s13", {}, 2910, 1740, 600, 285, "magic-def"},
    {Caption, {}, {}, 1890, 2130, 1020, 255, "offense"},
    {Entry, "s14", {}, 2910, 2100, 600, 285, "offense"},
    {Caption, {}, {}, 1890, 2490, 1020, 255, "defense"},
    {Entry, "s15", {}, 2910, 2460, 600, 285, "defense"},
    {Caption, {}, {}, 1890, 2850, 1020, 255, "hit-effect"},
    {Choice, "s22", {}, 2910, 2805, 2985, 315, "hit-effect"},
    // right: the four elemental defenses, immunities, death animation
    {Caption, {}, {}, 3570, 330, 1755, 255, "lightning-defense"},
    {Entry, "s16", {}, 5325, 300, 600, 285, "lightning-defense"},
    {Caption, {}, {}, 3570, 690, 1755, 255, "shadow-defense"},
    {Entry, "s17", {}, 5325, 660, 600, 285, "shadow-defense"},
    {Caption, {}, {}, 3570, 1050, 1755, 255, "water-defense"},
    {Entry, "s18", {}, 5325, 1020, 600, 285, "water-defense"},
    {Caption, {}, {}, 3570, 1410, 1755, 255, "fire-defense"},
    {Entry, "s19", {}, 5325, 1380, 600, 285, "fire-defense"},
    {Caption, {}, {}, 3570, 1770, 1755, 255, "immunity-bytflag"},
    {Entry, "s20", {}, 5325, 1740, 600, 285, "immunity-bytflag"},
    {Caption, {}, {}, 3570, 2130, 1755, 255, "death-animation"},
    {Entry, "s21", {}, 5325, 2100, 600, 285, "death-animation"},
};

}  // namespace

StatsPage::StatsPage(QWidget* parent)
    : EnemyPage(QStringLiteral("stats"), QStringLiteral("Stats"), tables::enemyStats, QStringLiteral("Save2"), parent)
{
    m_hitEffect = buildFields(kStatsControls).get<ValueCombo>("s22");
}

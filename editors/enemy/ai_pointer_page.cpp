#include "editors/enemy/ai_pointer_page.h"

#include "editors/common/control_table.h"
#include "rom/tables.h"

namespace {

using enum ControlKind;

constexpr ControlRow kAiPointerControls[] = {
    // one row, half-way down the page
    {Caption, {}, {}, 1560, 1770, 1200, 255, "ai-pointer"},
    {Entry, "AIT", {}, 2760, 1740, 1500, 285, "ai-pointer"},
};

}  // namespace

AiPointerPage::AiPointerPage(QWidget* parent)
    : EnemyPage(QStringLiteral("aipointer"), QStringLiteral("AI Pointer"), tables::enemyAiPointers,
                QStringLiteral("Save3"), parent)
{
    buildFields(kAiPointerControls);
}

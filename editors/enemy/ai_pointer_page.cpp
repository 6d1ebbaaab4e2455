#include "editors/enemy/ai_pointer_page.h"

#include "rom/tables.h"

AiPointerPage::AiPointerPage(QWidget* parent)
    : EnemyPage(QStringLiteral("aipointer"), QStringLiteral("AI Pointer"), tables::enemyAiPointers,
                QStringLiteral("Save3"), parent)
{
    addField("AIT", 1560, 4, 1200, 1500);  // one row, half-way down the page
    bindFields();
}

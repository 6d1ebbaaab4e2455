#include "editors/enemy/sprite_creation_page.h"

#include "rom/tables.h"

#include <string>

SpriteCreationPage::SpriteCreationPage(QWidget* parent)
    : EnemyPage(QStringLiteral("spritecreation"), QStringLiteral("Sprite Creation"), tables::enemySpriteCreation,
                QStringLiteral("Save"), parent)
{
    // Text1..Text5 down the left column, Text6..Text10 down the right
    for (int i = 0; i < 10; ++i) {
        const std::string name = "Text" + std::to_string(i + 1);
        const bool left = i < 5;
        addField(name, left ? 120 : 3450, i % 5, left ? 2460 : 1050, 750);
    }
    bindFields();
}

#include "editors/enemy/sprite_creation_page.h"

#include "editors/common/control_table.h"
#include "rom/tables.h"

namespace {

using enum ControlKind;

constexpr ControlRow kSpriteCreationControls[] = {
    // Text1..Text5 down the left column, Text6..Text10 down the right
    {Caption, {}, {}, 120, 330, 2460, 255, "sprite-starting-location"},
    {Entry, "Text1", {}, 2580, 300, 750, 285, "sprite-starting-location"},
    {Caption, {}, {}, 120, 690, 2460, 255, "sprite-starting-animation"},
    {Entry, "Text2", {}, 2580, 660, 750, 285, "sprite-starting-animation"},
    {Caption, {}, {}, 120, 1050, 2460, 255, "sprite-palette"},
    {Entry, "Text3", {}, 2580, 1020, 750, 285, "sprite-palette"},
    {Caption, {}, {}, 120, 1410, 2460, 255, "sprite-assembly"},
    {Entry, "Text4", {}, 2580, 1380, 750, 285, "sprite-assembly"},
    {Caption, {}, {}, 120, 1770, 2460, 255, "sprite-size"},
    {Entry, "Text5", {}, 2580, 1740, 750, 285, "sprite-size"},
    {Caption, {}, {}, 3450, 330, 1050, 255, "unknown-1"},
    {Entry, "Text6", {}, 4500, 300, 750, 285, "unknown-1"},
    {Caption, {}, {}, 3450, 690, 1050, 255, "unknown-2"},
    {Entry, "Text7", {}, 4500, 660, 750, 285, "unknown-2"},
    {Caption, {}, {}, 3450, 1050, 1050, 255, "unknown-3"},
    {Entry, "Text8", {}, 4500, 1020, 750, 285, "unknown-3"},
    {Caption, {}, {}, 3450, 1410, 1050, 255, "unknown-4"},
    {Entry, "Text9", {}, 4500, 1380, 750, 285, "unknown-4"},
    {Caption, {}, {}, 3450, 1770, 1050, 255, "unknown-5"},
    {Entry, "Text10", {}, 4500, 1740, 750, 285, "unknown-5"},
};

}  // namespace

SpriteCreationPage::SpriteCreationPage(QWidget* parent)
    : EnemyPage(QStringLiteral("spritecreation"), QStringLiteral("Sprite Creation"), tables::enemySpriteCreation,
                QStringLiteral("Save"), parent)
{
    buildFields(kSpriteCreationControls);
}

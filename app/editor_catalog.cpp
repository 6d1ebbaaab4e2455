#include "app/editor_catalog.h"

#include "app/about_dialog.h"
#include "app/app_shell.h"
#include "app/history_window.h"
#include "app/image_info_window.h"
#include "editors/chests/chest_window.h"
#include "editors/common/window_finish.h"
#include "editors/enemy/monster_window.h"
#include "editors/equipment/accessory_window.h"
#include "editors/equipment/equipment_window.h"
#include "editors/gato/gato_window.h"
#include "editors/grid/grid_window.h"
#include "editors/items/consumables_window.h"
#include "editors/items/item2_window.h"
#include "editors/sprites/sprite_window.h"

namespace {

QWidget* finished(QWidget* editor)
{
    finishEditorWindow(editor);
    return editor;
}

// the captions are the list's own texts (the blank after "Item" included)
constexpr ListedEditor kListed[] = {
    {"Characters", "Character", createCharacterWindow},
    {"NPCs", "NPC", createNpcWindow},
    {"Enemy", "Monster", createMonsterWindow},
    {"Weapons", "Weapon", createWeaponWindow},
    {"Armor", "Armor", createArmorWindow},
    {"Accessory", "Accessory", createAccessoryWindow},
    {"Item Secondary", "Item2", createItem2Window},
    {"Consumable and Key Item ", "KeyItemandConsumables", createConsumablesWindow},
    {"Chest Editing", "Chests", createChestWindow},
};

}  // namespace

std::span<const ListedEditor> listedEditors() { return kListed; }

void registerWindows(WindowRegistry& registry, EditorHost& host)
{
    registry.add(QStringLiteral("Dialog"), [] { return new AboutDialog; });
    registry.add(QStringLiteral("History"), [&host] { return new HistoryWindow(host.saveLog()); });
    for (const ListedEditor& editor : kListed)
        registry.add(QString::fromLatin1(editor.window), [&host, create = editor.create] { return finished(create(host)); });
    registry.add(QStringLiteral("Gato"), [&host] { return finished(createGatoWindow(host)); });
    registry.add(QStringLiteral("ImageInfo"), [&host] { return new ImageInfoWindow(host); });
    registry.add(QStringLiteral("Grid"), [&host] { return createGridWindow(host); });
}

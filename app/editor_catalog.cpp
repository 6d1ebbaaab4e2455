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
#include "editors/items/consumables_window.h"
#include "editors/items/item2_window.h"
#include "editors/sprites/sprite_window.h"

namespace {

QWidget* finished(QWidget* editor)
{
    finishEditorWindow(editor);
    return editor;
}

}  // namespace

void registerWindows(WindowRegistry& registry, EditorHost& host)
{
    registry.add(QStringLiteral("Dialog"), [] { return new AboutDialog; });
    registry.add(QStringLiteral("History"), [&host] { return new HistoryWindow(host.saveLog()); });
    registry.add(QStringLiteral("Character"), [&host] { return finished(createCharacterWindow(host)); });
    registry.add(QStringLiteral("NPC"), [&host] { return finished(createNpcWindow(host)); });
    registry.add(QStringLiteral("Monster"), [&host] { return finished(createMonsterWindow(host)); });
    registry.add(QStringLiteral("Weapon"), [&host] { return finished(createWeaponWindow(host)); });
    registry.add(QStringLiteral("Armor"), [&host] { return finished(createArmorWindow(host)); });
    registry.add(QStringLiteral("Accessory"), [&host] { return finished(createAccessoryWindow(host)); });
    registry.add(QStringLiteral("Item2"), [&host] { return finished(createItem2Window(host)); });
    registry.add(QStringLiteral("KeyItemandConsumables"), [&host] { return finished(createConsumablesWindow(host)); });
    registry.add(QStringLiteral("Chests"), [&host] { return finished(createChestWindow(host)); });
    registry.add(QStringLiteral("Gato"), [&host] { return finished(createGatoWindow(host)); });
    registry.add(QStringLiteral("ImageInfo"), [&host] { return new ImageInfoWindow(host); });
}

#include "app/about_dialog.h"
#include "app/app_shell.h"
#include "editors/enemy/monster_window.h"
#include "editors/gato/gato_window.h"
#include "editors/sprites/sprite_window.h"

void registerWindows(WindowRegistry& registry, EditorHost& host)
{
    registry.add(QStringLiteral("Dialog"), [] { return new AboutDialog; });
    registry.add(QStringLiteral("Character"), [&host] { return createCharacterWindow(host); });
    registry.add(QStringLiteral("NPC"), [&host] { return createNpcWindow(host); });
    registry.add(QStringLiteral("Monster"), [&host] { return createMonsterWindow(host); });
    registry.add(QStringLiteral("Gato"), [&host] { return createGatoWindow(host); });
}

#pragma once

#include "editors/enemy/enemy_page.h"

// The Sprite Creation page: the ten bytes that tell the game how to build an
// enemy's sprite, the page the enemy window shows first.
class SpriteCreationPage : public EnemyPage {
    Q_OBJECT
public:
    explicit SpriteCreationPage(QWidget* parent);
};

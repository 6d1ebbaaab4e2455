#pragma once

#include "editors/enemy/enemy_page.h"

// The AI Pointer page: the 16-bit pointer to an enemy's battle script.
class AiPointerPage : public EnemyPage {
    Q_OBJECT
public:
    explicit AiPointerPage(QWidget* parent);
};

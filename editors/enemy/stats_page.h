#pragma once

#include "editors/enemy/enemy_page.h"

class ValueCombo;

// The Stats page: an enemy's 23-byte stats record, HP as an unsigned word and
// the hit effect of its attack chosen from a list.
class StatsPage : public EnemyPage {
    Q_OBJECT
public:
    explicit StatsPage(QWidget* parent);

    // The Hit Effect list; its value is the byte that Save writes.
    ValueCombo* hitEffect() const { return m_hitEffect; }

private:
    ValueCombo* m_hitEffect;
};

#pragma once

#include "editors/enemy/enemy_page.h"

class ValueCombo;

// The Rewards page: experience, money, the items an enemy drops and can be
// charmed of, and tech points.
class RewardsPage : public EnemyPage {
    Q_OBJECT
public:
    explicit RewardsPage(QWidget* parent);

    ValueCombo* droppedItem() const { return m_dropped; }
    ValueCombo* charmedItem() const { return m_charmed; }

private:
    ValueCombo* m_dropped;
    ValueCombo* m_charmed;
};

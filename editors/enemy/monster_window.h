#pragma once

#include "editors/common/editor_window.h"

#include <array>
#include <map>
#include <memory>
#include <optional>

class AiPointerPage;
class PlaceTip;
class EnemyLists;
class EnemyPage;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class RewardsPage;
class SpriteCreationPage;
class StatsPage;

// The enemy window: the enemy lists, the name field and four pages, each over
// one table with its own Save. Every read and save goes to the displayed
// enemy, the index read last, whichever list is shown.
class MonsterWindow : public EditorWindow {
    Q_OBJECT
public:
    explicit MonsterWindow(EditorHost& host);
    ~MonsterWindow() override;

    // Selects enemy `index` in List1 and shows it (Quick Edit of the Gato
    // window). An index outside the lists does nothing.
    void showEnemy(int index);
    int displayedEnemy() const { return m_displayed; }

    void Form_Load();
    void List1_Click();
    void List2_Click();
    void preread_Click();
    void namebox_Change();
    void Command1_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Save_Click();
    void Save2_Click();
    void Save3_Click();
    void Save4_Click();

    bool ReadSpriteCreation(std::int16_t index);
    bool ReadStats(std::int16_t index);
    bool ReadAIPointer(std::int16_t index);
    bool ReadRewards(std::int16_t index);

protected:
    void recordWritten(const Table& table, int index, const Bytes& bytes) override;
    bool showsRecord(const Table& table, int index) const override;
    void recordRestored(const Table& table, int index, const QString& writer) override;

private:
    QPushButton* makePageSelector(const QString& objectName, const QString& caption, int left, int width);
    void fitWindow();
    void readEnemy(int index);
    bool readPage(EnemyPage& page, std::int16_t index);
    // Reads the enemy's five records at once, for the reads of one switch.
    void fetchEnemy(int index);
    // A record fetched for this switch, or one read now; on failure the user
    // is told why and nothing is returned.
    std::optional<Bytes> fetchedOrRead(const Table& table, int index);
    bool readName(std::int16_t index);
    void savePage(EnemyPage& page);
    void showPage(EnemyPage* page);

    QLabel* m_bar;
    QCheckBox* m_preread;
    QLineEdit* m_namebox;
    std::unique_ptr<EnemyLists> m_lists;
    SpriteCreationPage* m_spriteCreation;
    StatsPage* m_stats;
    AiPointerPage* m_aiPointer;
    RewardsPage* m_rewards;
    std::array<EnemyPage*, 4> m_pages;
    int m_displayed = -1;  // the enemy the fields show; -1 before the first read
    // the displayed enemy's name slot as read or written last; none while the
    // name field does not show that enemy's name
    std::optional<Bytes> m_nameSlot;
    std::map<const Table*, Result<Bytes>> m_fetched;  // during a switch only
    std::unique_ptr<PlaceTip> m_nameTip;
};

QWidget* createMonsterWindow(EditorHost& host);

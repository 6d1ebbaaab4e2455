#pragma once

#include "editors/common/editor_window.h"

#include <memory>
#include <optional>

class EnemyLists;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Chooses the enemy met in Gato's place: one byte of the image, the Gato
// slot. Nothing is written before Save; Quick Edit opens the enemy window on
// the chosen enemy.
class GatoWindow : public EditorWindow {
    Q_OBJECT
public:
    explicit GatoWindow(EditorHost& host);
    ~GatoWindow() override;

    void Form_Load();
    void List1_Click();
    void List2_Click();
    void preread_Click();
    void Save_Click();
    void EditG_Click();

protected:
    void recordWritten(const Table& table, int index, const Bytes& bytes) override;
    bool showsRecord(const Table& table, int index) const override;
    void recordRestored(const Table& table, int index, const QString& writer) override;

private:
    void choose(QListWidget* list);
    // Reads the slot and chooses its enemy in List1.
    bool readSlot();
    void fitWindow();

    QLabel* m_bar;
    QCheckBox* m_preread;
    QPushButton* m_save;
    QPushButton* m_editG;
    QLineEdit* m_text1;  // the chosen enemy index as decimal text, unseen; empty while nothing is chosen
    std::unique_ptr<EnemyLists> m_lists;
    std::optional<Bytes> m_slot;  // the slot as read or saved last
};

QWidget* createGatoWindow(EditorHost& host);

#pragma once

#include "editors/common/editor_window.h"
#include "editors/common/record_form.h"

#include <memory>
#include <optional>

class QLabel;
class QListWidget;

// The accessory editor: two records per accessory, one in the effect table
// (effect bits, type and value of effect) and one in the equip table (item
// flags, price, who can equip it), read together and saved together.
class AccessoryWindow : public EditorWindow {
    Q_OBJECT
public:
    explicit AccessoryWindow(EditorHost& host);

    void Form_Load();
    void List1_Click();
    void ReadRecord(std::int16_t index);
    void Save_Click();

protected:
    bool showsRecord(const Table& table, int index) const override;
    void recordRestored(const Table& table, int index, const QString& writer) override;

private:
    void makeBitFrames();
    void fitWindow();
    void makeNumberFrame();

    QLabel* m_bar;
    QListWidget* m_list;
    std::unique_ptr<RecordForm> m_effectForm;
    std::unique_ptr<RecordForm> m_equipForm;
    // both records as read or saved; none before the first read and after a failed one
    std::optional<Bytes> m_effect;
    std::optional<Bytes> m_equip;
};

QWidget* createAccessoryWindow(EditorHost& host);

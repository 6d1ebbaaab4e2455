#pragma once

#include "editors/common/table_window.h"

class QCheckBox;
class QLineEdit;
class ValueCombo;

// The treasure chests: X and Y location and a contents word that packs the
// chest type (gold, event or item) with the gold amount, the event word or
// the item number. The value box Text1 carries the value of every type; the
// item drop-down c3 puts an item number into it.
class ChestWindow : public TableWindow {
    Q_OBJECT
public:
    explicit ChestWindow(EditorHost& host);

    void c3_Click(int itemNumber);
    void c3_Change(const QString& text);

protected:
    QString readCaption(int index) const override;
    void showOwnFields(const Bytes& record) override;
    void showOwnPlaces(int index) override;
    Result<Bytes> collectOwnFields(Bytes record) override;

private:
    void makeValueFrames(QWidget* frame1);
    void makeLocationFrame(QWidget* frame1);
    void makeTypeFrame(QWidget* frame1);
    Status applyTypedItem();

    ValueCombo* m_c3 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QCheckBox* m_gold = nullptr;
    QCheckBox* m_events = nullptr;
    QCheckBox* m_item = nullptr;
};

QWidget* createChestWindow(EditorHost& host);

#pragma once

#include "editors/common/cached_group_box.h"
#include "editors/common/control_table.h"
#include "editors/common/record_form.h"

#include <memory>
#include <optional>
#include <string_view>

class QPushButton;

// One page of the enemy window: a captioned frame over one enemy table, its
// controls bound to the table's fields by name, and its own Save button in a
// frame at the foot. The page keeps the record it shows as read; a page whose
// read failed holds none, is greyed out and has nothing to save.
class EnemyPage : public CachedGroupBox {
    Q_OBJECT
public:
    EnemyPage(const QString& objectName, const QString& caption, const Table& table, const QString& saveName,
              QWidget* parent);
    ~EnemyPage() override;

    const Table& table() const { return m_table; }
    QPushButton* saveButton() const { return m_save; }

    // Shows enemy `index`'s record just read, or marks the page as unread.
    void showRecord(const std::optional<Bytes>& record, int index);
    // Drops the record shown, so that nothing is saved from it; the caller
    // greys the page out unless a record is shown again.
    void forget() { m_record.reset(); }
    bool hasRecord() const { return m_record.has_value(); }
    // The record rebuilt from the controls, or the reason it cannot be.
    Result<Bytes> collect() const;
    // The record now in the image after a save.
    void keep(const Bytes& record) { m_record = record; }
    // The record as read or saved last; none while the page is unread.
    const std::optional<Bytes>& record() const { return m_record; }

protected:
    // Makes the page's controls (inside the page, under the frame title) and
    // binds them to the table; each page calls it once, last.
    BuiltControls buildFields(std::span<const ControlRow> rows);

private:
    const Table& m_table;
    QPushButton* m_save;
    std::unique_ptr<RecordForm> m_form;
    std::optional<Bytes> m_record;
};

// The page area of the enemy window, in twips inside the window.
inline constexpr int kPageWidth = 6015;
inline constexpr int kPageHeight = 4215;

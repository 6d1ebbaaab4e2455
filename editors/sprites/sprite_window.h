#pragma once

#include "editors/common/editor_window.h"
#include "editors/common/record_form.h"

#include <QString>

#include <memory>
#include <optional>

class QLabel;
class QListWidget;

// The sprite record editor: five bytes per entry of the sprite table. One
// implementation serves the playable characters and the NPCs, which share the
// table and differ only in the slice they show and in their texts.
struct SpriteEditorConfig {
    QString objectName;
    QString caption;
    const Table* table;
    QString labels;        // data file of the list texts
    QString numberPrefix;  // status line after a read, before the entry number
    int widthTwips;
    int heightTwips;
    int listHeightTwips;
};

class SpriteWindow : public EditorWindow {
    Q_OBJECT
public:
    SpriteWindow(EditorHost& host, const SpriteEditorConfig& config);

    void Form_Load();
    void List1_Click();
    void ReadRecord(std::int16_t index);
    void Save_Click();

private:
    SpriteEditorConfig m_config;
    QLabel* m_bar;
    QListWidget* m_list;
    std::unique_ptr<RecordForm> m_form;
    std::optional<Bytes> m_record;  // the record shown, as read; none after a failed read
};

QWidget* createCharacterWindow(EditorHost& host);
QWidget* createNpcWindow(EditorHost& host);

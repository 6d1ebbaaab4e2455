#pragma once

#include "editors/common/control_table.h"
#include "editors/common/table_window.h"

#include <QString>

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
    std::span<const ControlRow> controls;  // under the list: the record frame and the Save frame
};

class SpriteWindow : public TableWindow {
    Q_OBJECT
public:
    SpriteWindow(EditorHost& host, const SpriteEditorConfig& config);

protected:
    QString readCaption(int index) const override;

private:
    QString m_numberPrefix;
};

QWidget* createCharacterWindow(EditorHost& host);
QWidget* createNpcWindow(EditorHost& host);

#pragma once

#include <QString>

class Platform;
class QWidget;
class SaveLog;

// What an editor window needs from the application around it.
class EditorHost {
public:
    virtual ~EditorHost() = default;

    // The image accepted last in the main window; empty before any was accepted.
    virtual QString romPath() const = 0;
    virtual Platform& platform() = 0;
    // The saves made to the image being edited, for undo and redo.
    virtual SaveLog& saveLog() = 0;
    // Shows the window with this object name, creating it when it is not open,
    // bringing it forward when it is. nullptr for an unknown name.
    virtual QWidget* showWindow(const QString& objectName) = 0;
};

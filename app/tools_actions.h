#pragma once

#include <QObject>

class AppShell;
class QAction;
class QMenu;
class QWidget;

// Tools > Compare With... and Run in Emulator, and Settings > Emulator...
class ToolsActions : public QObject {
    Q_OBJECT
public:
    ToolsActions(AppShell& shell, QWidget* window);

    void addTo(QMenu* tools);
    void addSettingsTo(QMenu* settings);
    // The tools act on the image being edited: off until one is loaded.
    void setImageLoaded(bool loaded);

    void Compare_Click();
    void RunInEmulator_Click();
    void EmulatorSettings_Click();

private:
    AppShell& m_shell;
    QWidget* m_window;
    QAction* m_compare = nullptr;
    QAction* m_run = nullptr;
};

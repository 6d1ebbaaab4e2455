#pragma once

#include "app/window_registry.h"
#include "editors/common/editor_host.h"
#include "editors/common/save_log.h"

#include <QIcon>

#include <memory>

class MainWindow;

// The application around the windows: the image accepted last, the platform
// seam and the registry of windows. The program makes one; tests make one per
// case with a scripted platform.
class AppShell : public EditorHost {
public:
    explicit AppShell(Platform& platform);
    ~AppShell() override;

    MainWindow& mainWindow() { return *m_main; }
    WindowRegistry& windows() { return m_windows; }

    QString romPath() const override { return m_romPath; }
    Platform& platform() override { return m_platform; }
    SaveLog& saveLog() override { return m_saveLog; }
    QWidget* showWindow(const QString& objectName) override;

    // The editors work on `path` from now on; the history of another image is forgotten.
    void acceptImage(const QString& path);

    // Shows the main window and loads `image` when one is named.
    void start(const QString& image);

private:
    Platform& m_platform;
    SaveLog m_saveLog;
    WindowRegistry m_windows;
    QString m_romPath;
    std::unique_ptr<MainWindow> m_main;
};

// The program's icon, as drawn for its desktop entry.
QIcon applicationIcon();

// Registers every editor window and the about box with the registry.
void registerWindows(WindowRegistry& registry, EditorHost& host);

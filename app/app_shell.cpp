#include "app/app_shell.h"

#include "app/main_window.h"
#include "rom/files.h"

AppShell::AppShell(Platform& platform) : m_platform(platform)
{
    registerWindows(m_windows, *this);
    m_main = std::make_unique<MainWindow>(*this);
}

AppShell::~AppShell() { m_windows.closeAll(); }

void AppShell::acceptImage(const QString& path)
{
    // loading the same image again keeps its history: undo checks the bytes on disk anyway
    if (m_romPath.isEmpty() || !sameFile(m_romPath.toStdString(), path.toStdString()))
        m_saveLog.clear();
    m_romPath = path;
}

QWidget* AppShell::showWindow(const QString& objectName) { return m_windows.show(objectName); }

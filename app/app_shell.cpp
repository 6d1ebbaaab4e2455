#include "app/app_shell.h"

#include "app/main_window.h"

AppShell::AppShell(Platform& platform) : m_platform(platform)
{
    registerWindows(m_windows, *this);
    m_main = std::make_unique<MainWindow>(*this);
}

AppShell::~AppShell() { m_windows.closeAll(); }

QWidget* AppShell::showWindow(const QString& objectName) { return m_windows.show(objectName); }

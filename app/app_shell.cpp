#include "app/app_shell.h"

#include "app/compare_window.h"
#include "app/emulator.h"
#include "app/image_info_window.h"
#include "app/main_window.h"
#include "app/settings_menu.h"
#include "editors/common/platform.h"
#include "editors/grid/grid_window.h"
#include "rom/files.h"

#include <QApplication>
#include <QStatusBar>

QIcon applicationIcon() { return QIcon(QStringLiteral(":/packaging/org.veldraforge.VeldraForge.svg")); }

AppShell::AppShell(Platform& platform) : m_platform(platform)
{
    // every window without an icon of its own takes the program's
    QApplication::setWindowIcon(applicationIcon());
    registerWindows(m_windows, *this);
    m_windows.add(QStringLiteral("Compare"), [this] { return new CompareWindow(*this); });
    m_windows.add(QStringLiteral("Emulator"), [] { return new EmulatorDialog; });
    m_main = std::make_unique<MainWindow>(*this);
    m_main->settingsMenu()->restoreLabelSet();
}

AppShell::~AppShell() { m_windows.closeAll(); }

void AppShell::acceptImage(const QString& path)
{
    const bool another = m_romPath.isEmpty() || !sameFile(m_romPath.toStdString(), path.toStdString());
    // the image's history is read back from its journal, saves of the tool and
    // of earlier runs included; without a journal, loading the same image
    // again keeps this run's saves (undo checks the bytes on disk anyway)
    m_saveLog.open(path.toStdString());
    if (!m_saveLog.notes().empty()) {
        QStringList notes;
        for (const std::string& note : m_saveLog.notes())
            notes << QString::fromStdString(note);
        m_platform.showMessage(m_main.get(), notes.join(QStringLiteral("\n\n")));
    }
    // a change made by another program is no fault to stop for: it is said on the status line
    if (!m_saveLog.outsideNote().empty())
        m_main->statusBar()->showMessage(QString::fromStdString(m_saveLog.outsideNote()));
    else if (auto* bar = m_main->findChild<QStatusBar*>())
        bar->clearMessage();
    m_romPath = path;
    // an open table grid reads the image loaded: another one in place of its edits
    if (auto* grid = qobject_cast<GridWindow*>(m_windows.find(QStringLiteral("Grid"))))
        grid->imageLoaded(another);
    // an open Image Info follows the image being edited
    if (auto* info = qobject_cast<ImageInfoWindow*>(m_windows.find(QStringLiteral("ImageInfo"))))
        info->showFacts(path);
}

QWidget* AppShell::showWindow(const QString& objectName) { return m_windows.show(objectName); }

void AppShell::start(const QString& image)
{
    m_main->show();
    if (!image.isEmpty())
        m_main->loadImage(image);
}

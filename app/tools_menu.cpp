#include "app/tools_menu.h"

#include "editors/common/editor_host.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

QMenu* toolsMenu(QMainWindow& main)
{
    if (auto* tools = main.menuBar()->findChild<QMenu*>(QStringLiteral("Tools")))
        return tools;
    QMenu* tools = main.menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("Tools"));
    return tools;
}

void addTableGridAction(QMenu& tools, EditorHost& host)
{
    QAction* grid = tools.addAction(QStringLiteral("Table Grid..."));
    grid->setObjectName(QStringLiteral("TableGrid"));
    grid->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    QObject::connect(grid, &QAction::triggered, &tools, [&host] {
        if (!host.romPath().isEmpty())
            host.showWindow(QStringLiteral("Grid"));
    });
    QObject::connect(&tools, &QMenu::aboutToShow, grid, [grid, &host] { grid->setEnabled(!host.romPath().isEmpty()); });
}

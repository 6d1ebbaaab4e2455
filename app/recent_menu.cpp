#include "app/recent_menu.h"

#include <QDir>
#include <QFileInfo>

RecentMenu::RecentMenu(QWidget* parent) : QMenu(QStringLiteral("Open Recent"), parent)
{
    setObjectName(QStringLiteral("OpenRecent"));
    connect(this, &QMenu::aboutToShow, this, &RecentMenu::rebuild);
    rebuild();
}

void RecentMenu::rebuild()
{
    clear();
    const QStringList paths = m_recent.paths();
    for (int i = 0; i < paths.size(); ++i) {
        const QString& path = paths[i];
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));  // an ampersand of the path is no shortcut
        QAction* action = addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        action->setObjectName(QStringLiteral("recent%1").arg(i + 1));
        action->setData(path);
        action->setEnabled(QFileInfo(path).isFile());
        connect(action, &QAction::triggered, this, [this, path] { emit chosen(path); });
    }
    if (paths.isEmpty())
        addAction(QStringLiteral("No images yet"))->setEnabled(false);
}

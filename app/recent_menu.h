#pragma once

#include "app/recent_images.h"

#include <QMenu>

// File > Open Recent: the images accepted last, newest first, numbered for
// the keyboard. An image that no longer exists is listed but disabled. The
// entries are rebuilt each time the menu opens.
class RecentMenu : public QMenu {
    Q_OBJECT
public:
    explicit RecentMenu(QWidget* parent);

    void rebuild();

signals:
    void chosen(const QString& path);

private:
    RecentImages m_recent;
};

#pragma once

#include "rom/history/restore_points.h"

#include <QWidget>

class EditorHost;
class QLabel;
class QListWidget;
class QPushButton;

// Edit > Restore Points...: the whole copies kept of the image being edited,
// newest first, each with its time, its writer and the saves of this run made
// after it. Restore writes the chosen one back over the image, whole, after a
// question naming the file; the image as it was just before is kept as a new
// point, so that the restore is undone by restoring that one. Every open
// editor reads again the records the restore changed.
class RestorePointsWindow : public QWidget {
    Q_OBJECT
public:
    explicit RestorePointsWindow(EditorHost& host);

    void refresh();
    void Restore_Click();

private:
    // The saves made after `point`: this run's saves held in memory.
    int savesAfter(const RestorePoint& point) const;

    EditorHost& m_host;
    QListWidget* m_list;
    QPushButton* m_restore;
    QLabel* m_status;
    std::vector<RestorePoint> m_points;
};

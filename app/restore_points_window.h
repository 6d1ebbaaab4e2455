#pragma once

#include "rom/history/restore_points.h"

#include <QWidget>

class EditorHost;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// Edit > Restore Points...: the whole copies kept of the image being edited,
// newest first, each with its time, its writer and the saves of this run made
// after it. Restore writes the chosen one back over the image, whole, after a
// question naming the file; the image as it was just before is kept as a new
// point, so that the restore is undone by restoring that one. Every open
// editor reads again the records the restore changed. The drop-down above
// the list also offers the recent images that are gone (deleted, moved
// away): their points are listed too, and Write to New File... writes the
// chosen one (of any image) to a new file.
class RestorePointsWindow : public QWidget {
    Q_OBJECT
public:
    explicit RestorePointsWindow(EditorHost& host);

    void refresh();
    void Restore_Click();
    void RestoreToFile_Click();

private:
    // The image whose points are shown: the loaded one or a gone recent one.
    QString shownImage() const;
    void fillImages();
    const RestorePoint* chosenPoint() const;

    // The saves made after `point`: this run's saves held in memory.
    int savesAfter(const RestorePoint& point) const;

    EditorHost& m_host;
    QListWidget* m_list;
    QComboBox* m_images;
    QPushButton* m_restore;
    QPushButton* m_toFile;
    QLabel* m_status;
    std::vector<RestorePoint> m_points;
};

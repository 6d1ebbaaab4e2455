#pragma once

#include <QWidget>

class EditorHost;
class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

// Settings > History...: where the lasting history of the loaded image is
// kept (its journal and restore points) and how much room it takes, the
// number of restore points kept per image, and the switches of this image:
// turn its history off (nothing more is kept for it) or clear it.
class HistorySettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit HistorySettingsWindow(EditorHost& host);

    void refresh();
    void KeptPoints_Change(int count);
    void HistoryOff_Click(bool off);
    void ClearHistory_Click();

private:
    EditorHost& m_host;
    QLabel* m_where;
    QSpinBox* m_kept;
    QCheckBox* m_off;
    QPushButton* m_clear;
};

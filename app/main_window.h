#pragma once

#include <QMainWindow>

class AppShell;
class PatchActions;
class QAction;
class QLabel;
class QListWidget;
class QMenu;
class RecentMenu;
class SettingsMenu;
class ToolsActions;

// The start-up window: loads and identifies an image, then opens the editors.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppShell& shell);

    void Form_Load();
    void Load_Click();
    void SaveCopy_Click();
    void UndoSave_Click();
    void RedoSave_Click();
    void History_Click();
    void List1_Click();
    void OpenEditor(std::int16_t index);
    void Gato1_Click();
    void Exit_Click();
    void Readme_Click();
    void About_Click();

    // Checks the image at `path` and, when it passes, hands it to the editors:
    // what Load does once its dialog has answered. Recent images, a dropped
    // file and the image named at start come this way too.
    void loadImage(const QString& path);

    SettingsMenu* settingsMenu() const { return m_settings; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void makeMenus();
    void makeEditMenu();
    void makeToolsMenu();
    void showUndoState();

    AppShell& m_shell;
    QListWidget* m_list;
    QLabel* m_fecal;
    QMenu* m_other = nullptr;
    QAction* m_saveCopy = nullptr;
    QAction* m_undoSave = nullptr;
    QAction* m_redoSave = nullptr;
    RecentMenu* m_recent = nullptr;
    SettingsMenu* m_settings = nullptr;
    PatchActions* m_patches = nullptr;
    ToolsActions* m_tools = nullptr;
    QString m_fileName;  // the file checked last: chosen, dropped or named, or on Cancel the accepted one
};

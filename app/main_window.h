#pragma once

#include <QMainWindow>

class AppShell;
class QAction;
class QLabel;
class QListWidget;
class QMenu;

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void makeEditMenu();
    void showUndoState();

    AppShell& m_shell;
    QListWidget* m_list;
    QLabel* m_fecal;
    QMenu* m_other;
    QAction* m_saveCopy;
    QAction* m_undoSave = nullptr;
    QAction* m_redoSave = nullptr;
    QString m_fileName;  // the file checked last: chosen in the open dialog, or on Cancel the accepted one
};

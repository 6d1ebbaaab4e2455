#pragma once

#include <QMainWindow>

class AppShell;
class PatchActions;
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
    // Identifies and accepts an image as Load does, without the dialog.
    void loadImage(const QString& path);
    void List1_Click();
    void OpenEditor(std::int16_t index);
    void Gato1_Click();
    void Exit_Click();
    void Readme_Click();
    void About_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppShell& m_shell;
    QListWidget* m_list;
    QLabel* m_fecal;
    QMenu* m_other;
    PatchActions* m_patches;
    QString m_fileName;  // the file checked last: chosen in the open dialog, or on Cancel the accepted one
};

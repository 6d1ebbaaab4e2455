#pragma once

#include <QMenu>

class AppShell;
class QAction;

// Settings: which list texts the editors show, the built-in ones or the
// user's label set in a folder. The choice is remembered between runs.
class SettingsMenu : public QMenu {
    Q_OBJECT
public:
    SettingsMenu(AppShell& shell, QWidget* parent);

    // Takes up the label set remembered from the last run; one that no longer
    // passes is reported and forgotten, and the built-in labels are used.
    void restoreLabelSet();

    void LabelSet_Click();
    void BuiltInLabels_Click();

private:
    void showChoice();
    void noteOpenEditors();

    AppShell& m_shell;
    QAction* m_labelSet;
    QAction* m_builtIn;
};

#include "app/settings_menu.h"

#include "app/app_shell.h"
#include "editors/common/labels.h"
#include "editors/common/platform.h"

#include <QActionGroup>
#include <QDir>
#include <QSettings>

namespace {

const QString kKey = QStringLiteral("labelSet");

}  // namespace

SettingsMenu::SettingsMenu(AppShell& shell, QWidget* parent) : QMenu(QStringLiteral("Settings"), parent), m_shell(shell)
{
    setObjectName(QStringLiteral("Settings"));
    m_labelSet = addAction(QStringLiteral("Label Set..."));
    m_labelSet->setObjectName(QStringLiteral("LabelSet"));
    m_builtIn = addAction(QStringLiteral("Built-in Labels"));
    m_builtIn->setObjectName(QStringLiteral("BuiltInLabels"));
    // a check mark shows which labels are in use
    auto* group = new QActionGroup(this);
    for (QAction* action : {m_labelSet, m_builtIn}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    connect(m_labelSet, &QAction::triggered, this, &SettingsMenu::LabelSet_Click);
    connect(m_builtIn, &QAction::triggered, this, &SettingsMenu::BuiltInLabels_Click);
    addSeparator();
    QAction* history = addAction(QStringLiteral("History..."));
    history->setObjectName(QStringLiteral("HistorySettings"));
    connect(history, &QAction::triggered, this, [this] { m_shell.showWindow(QStringLiteral("HistorySettings")); });
    showChoice();
}

void SettingsMenu::restoreLabelSet()
{
    const QString folder = QSettings().value(kKey).toString();
    useBuiltInLabels();
    if (!folder.isEmpty()) {
        const Status used = useLabelFolder(folder);
        if (!used) {
            QSettings().remove(kKey);
            m_shell.platform().showMessage(
                parentWidget(), QStringLiteral("The label set chosen last cannot be used: %1.\nThe built-in labels are used.")
                                    .arg(QString::fromStdString(used.error())));
        }
    }
    showChoice();
}

void SettingsMenu::LabelSet_Click()
{
    const QString folder = m_shell.platform().chooseFolder(parentWidget(), QStringLiteral("Label Set"));
    if (folder.isEmpty()) {
        showChoice();  // Cancel keeps the labels in use
        return;
    }
    const Status used = useLabelFolder(folder);
    showChoice();
    if (!used) {
        m_shell.platform().showMessage(parentWidget(), QStringLiteral("The label set was not taken: %1.\nThe labels in use stay.")
                                                           .arg(QString::fromStdString(used.error())));
        return;
    }
    QSettings().setValue(kKey, labelFolder());
    noteOpenEditors();
}

void SettingsMenu::BuiltInLabels_Click()
{
    const bool changed = !labelFolder().isEmpty();
    useBuiltInLabels();
    QSettings().remove(kKey);
    showChoice();
    if (changed)
        noteOpenEditors();
}

void SettingsMenu::showChoice()
{
    const QString folder = labelFolder();
    m_labelSet->setChecked(!folder.isEmpty());
    m_builtIn->setChecked(folder.isEmpty());
    m_labelSet->setToolTip(folder.isEmpty() ? QStringLiteral("Choose a folder of label files")
                                            : QStringLiteral("In use: %1").arg(QDir::toNativeSeparators(folder)));
}

void SettingsMenu::noteOpenEditors()
{
    // a window fills its lists when it opens; edits in open windows are kept
    QStringList open = m_shell.windows().openWindows();
    open.removeAll(QStringLiteral("Dialog"));  // the about box shows no labels
    if (!open.isEmpty())
        m_shell.platform().showMessage(parentWidget(), QStringLiteral("Editors opened from now on show the new labels. "
                                                                      "Close and reopen an open editor to see them there."));
}

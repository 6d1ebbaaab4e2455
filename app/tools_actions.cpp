#include "app/tools_actions.h"

#include "app/app_shell.h"
#include "app/compare_window.h"
#include "app/emulator.h"
#include "editors/common/counted.h"
#include "editors/common/editor_window.h"
#include "editors/common/platform.h"
#include "editors/common/save_log.h"
#include "editors/grid/grid_model.h"
#include "editors/grid/grid_window.h"
#include "rom/entry_names.h"
#include "rom/image_facts_text.h"
#include "rom/image_jobs.h"
#include "rom/platform/path_text.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

ToolsActions::ToolsActions(AppShell& shell, QWidget* window) : QObject(window), m_shell(shell), m_window(window) {}

void ToolsActions::addTo(QMenu* tools)
{
    m_compare = tools->addAction(QStringLiteral("Compare With..."));
    m_compare->setObjectName(QStringLiteral("Compare"));
    connect(m_compare, &QAction::triggered, this, &ToolsActions::Compare_Click);
    m_run = tools->addAction(QStringLiteral("Run in Emulator"));
    m_run->setObjectName(QStringLiteral("RunInEmulator"));
    m_run->setShortcut(Qt::Key_F5);
    connect(m_run, &QAction::triggered, this, &ToolsActions::RunInEmulator_Click);
    setImageLoaded(false);
}

void ToolsActions::addSettingsTo(QMenu* settings)
{
    settings->addSeparator();
    QAction* emulator = settings->addAction(QStringLiteral("Emulator..."));
    emulator->setObjectName(QStringLiteral("EmulatorSettings"));
    connect(emulator, &QAction::triggered, this, &ToolsActions::EmulatorSettings_Click);
}

void ToolsActions::setImageLoaded(bool loaded)
{
    for (QAction* action : {m_compare, m_run})
        if (action)
            action->setEnabled(loaded);
}

void ToolsActions::Compare_Click()
{
    if (m_shell.romPath().isEmpty())
        return;
    const QString other = m_shell.platform().chooseOpenFile(m_window, QStringLiteral("Compare With"),
                                                            QStringLiteral("SNES images (*.smc *.sfc);;All files (*)"));
    if (other.isEmpty())
        return;
    auto* open = qobject_cast<CompareWindow*>(m_shell.windows().find(QStringLiteral("Compare")));
    if (open) {
        if (open->compareWith(other))
            m_shell.showWindow(QStringLiteral("Compare"));
        return;
    }
    // a refused file opens no window
    auto* window = qobject_cast<CompareWindow*>(m_shell.showWindow(QStringLiteral("Compare")));
    if (window && !window->compareWith(other))
        delete window;  // at once: the registry forgets it
}

void ToolsActions::EmulatorSettings_Click() { m_shell.showWindow(QStringLiteral("Emulator")); }

void ToolsActions::RunInEmulator_Click()
{
    const QString image = m_shell.romPath();
    if (image.isEmpty())
        return;
    const QString command = emulatorCommand();
    if (command.trimmed().isEmpty()) {
        EmulatorSettings_Click();  // asks for the command first; F5 again starts it
        return;
    }
    QStringList edited;
    for (const QString& name : m_shell.windows().openWindows()) {
        QWidget* window = m_shell.windows().find(name);
        if (auto* editor = qobject_cast<EditorWindow*>(window); editor && editor->hasUserEdits())
            edited << editor->windowTitle().trimmed();
        // the grid's edits wait for its Save as an editor's do
        if (auto* grid = qobject_cast<GridWindow*>(window); grid && grid->model().hasEdits())
            edited << QStringLiteral("the Table Grid (%1 of %2)")
                          .arg(counted(grid->model().editedCellCount(), "edit"),
                               QString::fromStdString(tableCaption(*grid->model().table()->table)));
    }
    const QString unsaved =
        edited.isEmpty() ? QString()
                         : QStringLiteral("\n\nEdits not saved in %1 are not in the file: the emulator runs the image as "
                                          "saved.")
                               .arg(edited.join(QStringLiteral(", ")));
    const auto facts = readImageFacts(image.toStdString());
    if (facts && facts->identityOk && facts->header && !facts->checksumOk) {
        const bool fix = m_shell.platform().ask(
            m_window, QStringLiteral("The internal checksum of %1 is stale (stored %2, computed %3).\n\nFix it before the "
                                     "emulator starts? Yes writes the 4 checksum bytes into the image, as Image Info's "
                                     "Fix Checksum does; No starts the image as it is.%4")
                          .arg(QFileInfo(image).fileName(), QString::fromStdString(hexWord(facts->header->checksum)),
                               QString::fromStdString(hexWord(facts->computedChecksum)), unsaved));
        if (fix) {
            const auto fixed = m_shell.saveLog().fixChecksum(pathFromUtf8(image.toStdString()), "Run in Emulator");
            if (!fixed) {
                m_shell.platform().showMessage(m_window, QStringLiteral("The checksum was not fixed: %1\nThe emulator was "
                                                                        "not started.")
                                                             .arg(QString::fromStdString(fixed.error())));
                return;
            }
        }
    } else if (!edited.isEmpty()) {
        if (!m_shell.platform().ask(m_window, QStringLiteral("Start the emulator on %1?").arg(QFileInfo(image).fileName())
                                                  + unsaved))
            return;
    }
    const QString why = startEmulator(emulatorLaunch(command, image));
    if (!why.isEmpty())
        m_shell.platform().showMessage(
            m_window, QStringLiteral("The emulator could not be started: %1.\nCommand line: %2\nChange it under Settings > "
                                     "Emulator...")
                          .arg(why, command));
}

#include "app/main_window.h"

#include "app/app_shell.h"
#include "app/editor_catalog.h"
#include "app/history_window.h"
#include "app/image_copy.h"
#include "app/recent_menu.h"
#include "app/settings_menu.h"
#include "app/tools_menu.h"
#include "app/patch_actions.h"
#include "app/tools_actions.h"
#include "editors/common/editor_window.h"
#include "editors/common/font_fit.h"
#include "editors/common/platform.h"
#include "rom/identity.h"
#include "rom/tables.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>

namespace {

const QString kTitle = QStringLiteral("Veldra Forge");
const QString kDash = QStringLiteral(" \u2014 ");
const QString kRejected = QStringLiteral("This is not a Veldra Saga ROM.");

}  // namespace

MainWindow::MainWindow(AppShell& shell) : m_shell(shell)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(kTitle);

    auto* client = new QWidget(this);
    client->setFixedSize(twips(3750), twips(1830));
    setCentralWidget(client);
    m_list = new QListWidget(client);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setAccessibleName(QStringLiteral("Editors"));
    m_list->setGeometry(twipsRect(0, 0, 3735, 1815));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    m_list->setFont(font);
    for (const ListedEditor& editor : listedEditors())
        m_list->addItem(QString::fromLatin1(editor.caption));
    // below the visible client area on purpose
    m_fecal = new QLabel(QStringLiteral("Da Rom Check Label"), client);
    m_fecal->setObjectName(QStringLiteral("fecal"));
    m_fecal->setGeometry(twipsRect(2400, 3360, 1695, 255));
    fitToFont(client);

    makeMenus();
    setAcceptDrops(true);

    // keyboard moves open each editor passed over; a click or Enter on the
    // current entry opens it again after it was closed
    connect(m_list, &QListWidget::itemSelectionChanged, this, &MainWindow::List1_Click);
    connect(m_list, &QListWidget::itemClicked, this, &MainWindow::List1_Click);
    connect(m_list, &QListWidget::itemActivated, this, &MainWindow::List1_Click);
    Form_Load();
}

void MainWindow::makeMenus()
{
    auto addAction = [this](QMenu* menu, const QString& name, auto handler) {
        QAction* action = menu->addAction(name);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File"));
    addAction(file, QStringLiteral("Load"), &MainWindow::Load_Click)->setShortcut(Qt::CTRL | Qt::Key_O);
    m_saveCopy = file->addAction(QStringLiteral("Save a Copy As..."));
    m_saveCopy->setObjectName(QStringLiteral("SaveCopy"));
    m_saveCopy->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    connect(m_saveCopy, &QAction::triggered, this, &MainWindow::SaveCopy_Click);
    m_recent = new RecentMenu(file);
    file->addMenu(m_recent);
    connect(m_recent, &RecentMenu::chosen, this, &MainWindow::loadImage);
    file->addSeparator();
    QAction* exit = addAction(file, QStringLiteral("Exit"), &MainWindow::Exit_Click);
    exit->setShortcut(Qt::CTRL | Qt::Key_Q);
    m_patches = new PatchActions(m_shell, this, [this](const QString& path) { loadImage(path); });
    m_patches->addTo(file, exit);
    makeEditMenu();
    makeToolsMenu();
    m_other = menuBar()->addMenu(QStringLiteral("Other"));
    m_other->setObjectName(QStringLiteral("Other"));
    QAction* gato = m_other->addAction(QStringLiteral("Gato"));
    gato->setObjectName(QStringLiteral("Gato1"));
    connect(gato, &QAction::triggered, this, &MainWindow::Gato1_Click);
    m_settings = new SettingsMenu(m_shell, this);
    menuBar()->addMenu(m_settings);
    m_tools->addSettingsTo(m_settings);
    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("Help"));
    addAction(help, QStringLiteral("Readme"), &MainWindow::Readme_Click);
    addAction(help, QStringLiteral("About"), &MainWindow::About_Click);
}

void MainWindow::makeEditMenu()
{
    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("Edit"));
    auto add = [this, edit](const char* name, const char* text, void (MainWindow::*handler)(), const QKeySequence& keys) {
        QAction* action = edit->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        // Ctrl+Alt and the main window only: a text field of an editor keeps
        // its own Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z, and the main window has no
        // text field where Ctrl+Alt (AltGr) could type a character
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    m_undoSave = add("UndoSave", "Undo Save", &MainWindow::UndoSave_Click, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
    m_redoSave = add("RedoSave", "Redo Save", &MainWindow::RedoSave_Click, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Y));
    edit->addSeparator();
    add("History", "History...", &MainWindow::History_Click, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H));
    add("RestorePoints", "Restore Points...", &MainWindow::RestorePoints_Click, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R));
    connect(&m_shell.saveLog(), &SaveLog::changed, this, &MainWindow::showUndoState);
    showUndoState();
}

// Tools: the windows and commands that work across entries and images
void MainWindow::makeToolsMenu()
{
    QMenu* tools = toolsMenu(*this);
    addTableGridAction(*tools, m_shell);
    m_tools = new ToolsActions(m_shell, this);
    m_tools->addTo(tools);
}

void MainWindow::showUndoState()
{
    const SaveHistory& history = m_shell.saveLog().history();
    m_undoSave->setEnabled(history.canUndo());
    m_redoSave->setEnabled(history.canRedo());
    // the menu says which save each command takes back or makes again
    m_undoSave->setStatusTip(history.canUndo() ? QStringLiteral("Undo Save: ") + historyRowText(*history.nextUndo()) : QString());
    m_undoSave->setToolTip(m_undoSave->statusTip().isEmpty() ? m_undoSave->text() : m_undoSave->statusTip());
    m_redoSave->setStatusTip(history.canRedo() ? QStringLiteral("Redo Save: ") + historyRowText(*history.nextRedo()) : QString());
    m_redoSave->setToolTip(m_redoSave->statusTip().isEmpty() ? m_redoSave->text() : m_redoSave->statusTip());
}

void MainWindow::UndoSave_Click()
{
    if (!m_shell.saveLog().history().canUndo())
        return;
    const auto undone = m_shell.saveLog().undo(RomImage(m_shell.romPath().toStdString()));
    if (!undone)
        m_shell.platform().showMessage(this, QString::fromStdString(undone.error()));
}

void MainWindow::RedoSave_Click()
{
    if (!m_shell.saveLog().history().canRedo())
        return;
    const auto redone = m_shell.saveLog().redo(RomImage(m_shell.romPath().toStdString()));
    if (!redone)
        m_shell.platform().showMessage(this, QString::fromStdString(redone.error()));
}

void MainWindow::History_Click() { m_shell.showWindow(QStringLiteral("History")); }

void MainWindow::RestorePoints_Click() { m_shell.showWindow(QStringLiteral("RestorePoints")); }

void MainWindow::Form_Load()
{
    m_list->setEnabled(false);
    m_other->setEnabled(false);
    m_saveCopy->setEnabled(false);
    m_tools->setImageLoaded(false);
}

void MainWindow::Load_Click()
{
    QString folder = RecentImages().lastFolder();
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        folder.clear();
    const QString chosen = m_shell.platform().chooseImageFile(this, folder);
    if (!chosen.isEmpty())
        loadImage(chosen);
    else if (!m_shell.romPath().isEmpty())
        loadImage(m_shell.romPath());  // Cancel: the image accepted last is checked and accepted again
    // Cancel before any image was accepted changes nothing
}

void MainWindow::loadImage(const QString& path)
{
    m_fileName = QFileInfo(path).absoluteFilePath();
    auto value = readIdentityValue(m_fileName.toStdString());
    bool headered = false;
    if (value && !isGameIdentity(*value)) {
        // a headered image: its copy without the header is loaded instead
        const auto offer = m_patches->offerCopyWithoutHeader(m_fileName);
        headered = offer.headered;
        if (!offer.copy.isEmpty()) {
            m_fileName = QFileInfo(offer.copy).absoluteFilePath();
            value = readIdentityValue(m_fileName.toStdString());
            headered = false;
        }
    }
    if (value)
        m_fecal->setText(QString::number(*value));
    if (!value || !isGameIdentity(*value)) {
        // the editors keep working on the image accepted last, if any
        const QString current = m_shell.romPath();
        const QString still =
            current.isEmpty() ? QString() : QStringLiteral(" (still editing %1)").arg(QFileInfo(current).fileName());
        if (headered) {
            // the game's image, but behind a header the editors would misread,
            // and the copy without it was declined or failed
            setWindowTitle(kTitle + kDash
                           + QStringLiteral("%1 is a Veldra Saga ROM behind a copier header and was not opened.")
                                 .arg(QFileInfo(m_fileName).fileName())
                           + still);
            return;
        }
        // a file that could not be read at all (a pipe, a folder, too short) says why
        const QString why = value ? QString() : QStringLiteral(" (%1)").arg(QString::fromStdString(value.error()));
        setWindowTitle(kTitle + kDash + kRejected + why + still);
        return;
    }
    clearReadOnly(m_fileName.toStdString());
    m_shell.acceptImage(m_fileName);
    RecentImages().add(m_fileName);
    m_recent->rebuild();
    setWindowTitle(kTitle + kDash + QFileInfo(m_fileName).fileName());
    m_list->setEnabled(true);
    m_other->setEnabled(true);
    m_saveCopy->setEnabled(true);
    m_tools->setImageLoaded(true);
}

void MainWindow::SaveCopy_Click() { saveImageCopy(this, m_shell.platform(), m_shell.romPath()); }

void MainWindow::List1_Click() { OpenEditor(static_cast<std::int16_t>(selectedRow(m_list))); }

void MainWindow::OpenEditor(std::int16_t index)
{
    const auto editors = listedEditors();
    if (index < 0 || std::size_t(index) >= editors.size() || m_shell.romPath().isEmpty())
        return;
    m_shell.showWindow(QString::fromLatin1(editors[std::size_t(index)].window));
}

void MainWindow::Gato1_Click()
{
    if (!m_shell.romPath().isEmpty())
        m_shell.showWindow(QStringLiteral("Gato"));
}

void MainWindow::Exit_Click()
{
    m_shell.windows().closeAll();
    hide();
    m_shell.platform().quit();
}

void MainWindow::Readme_Click()
{
    QString path = QDir::current().absoluteFilePath(QStringLiteral("readme.txt"));
    // an installed program is started from anywhere: its own copy serves then
    const QString installed =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/veldra-forge/readme.txt"));
    if (!QFileInfo(path).isFile() && QFileInfo(installed).isFile())
        path = QFileInfo(installed).canonicalFilePath();
    if (!QFileInfo(path).isFile()) {
        m_shell.platform().showMessage(this, QStringLiteral("There is no readme.txt in %1.").arg(QDir::currentPath()));
        return;
    }
    if (!m_shell.platform().openTextFile(path))
        m_shell.platform().showMessage(this, QStringLiteral("No program to show %1 could be started.").arg(path));
}

void MainWindow::About_Click() { m_shell.showWindow(QStringLiteral("Dialog")); }

void MainWindow::closeEvent(QCloseEvent* event)
{
    // the editors depend on this window, so closing it ends the program
    event->accept();
    Exit_Click();
}

namespace {

// the one local file a drag carries, or an empty string
QString draggedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().first().isLocalFile())
        return {};
    return mime->urls().first().toLocalFile();
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = draggedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    loadImage(path);
}

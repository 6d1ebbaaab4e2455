#include "editors/common/editor_window.h"

#include "editors/common/editor_host.h"
#include "editors/common/platform.h"
#include "editors/common/status_line.h"
#include "rom/record_io.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>

#include <memory>

QRect twipsRect(int left, int top, int width, int height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}

int selectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

namespace {

// Notes which entry was selected when a mouse button went down on a list, so
// that a click can tell whether its press selected the entry or found it
// selected already (by an earlier click or by the program, as on opening).
class PressWatcher : public QObject {
public:
    explicit PressWatcher(QListWidget* list) : QObject(list), m_list(list) { list->viewport()->installEventFilter(this); }

    int rowBeforePress() const { return m_row; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            m_row = selectedRow(m_list);
        return false;
    }

private:
    QListWidget* m_list;
    int m_row = -1;
};

}  // namespace

EditorWindow::EditorWindow(EditorHost& host, const QString& objectName, const QString& caption, int clientWidthTwips,
                           int clientHeightTwips)
    : QWidget(nullptr, Qt::Window), m_host(host)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twips(clientWidthTwips), twips(clientHeightTwips));

    // the keyboard of a document window: Save, and two ways to close
    auto* save = new QShortcut(QKeySequence::Save, this);
    save->setObjectName(QStringLiteral("SaveShortcut"));
    connect(save, &QShortcut::activated, this, &EditorWindow::pressShownSave);
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
}

void EditorWindow::pressShownSave()
{
    // the enemy window shows one page, and with it one Save, at a time
    static const QRegularExpression saveName(QStringLiteral("^Save\\d*$"));
    for (QPushButton* button : findChildren<QPushButton*>(saveName)) {
        if (button->isVisible() && button->isEnabled()) {
            button->click();
            return;
        }
    }
}

RomImage EditorWindow::image() const { return RomImage(m_host.romPath().toStdString()); }

QLabel* EditorWindow::makeStatusLine(int widthTwips, const QColor& background)
{
    auto* bar = new StatusLine(this);
    m_statusLine = bar;
    bar->setObjectName(QStringLiteral("bar"));
    // 240 high, not 255: the list starts 240 twips down and the two must not overlap
    bar->setGeometry(twipsRect(0, 0, widthTwips, 240));
    bar->setAutoFillBackground(true);
    QPalette pal = bar->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::WindowText, Qt::black);
    bar->setPalette(pal);
    return bar;
}

QListWidget* EditorWindow::makeList(const QString& objectName, const QRect& geometry, const QStringList& entries)
{
    auto* list = new QListWidget(this);
    list->setObjectName(objectName);
    list->setGeometry(geometry);
    QFont font(QStringLiteral("Franklin Gothic Medium"));
    font.setPointSizeF(8.25);
    list->setFont(font);
    list->addItems(entries);
    return list;
}

std::optional<Bytes> EditorWindow::readEntry(const Table& table, int index)
{
    auto record = readRecord(image(), table, index);
    if (!record) {
        complain(record.error());
        return std::nullopt;
    }
    return *record;
}

Status EditorWindow::writeEntry(const Table& table, int index, const Bytes& record)
{
    return writeRecord(image(), table, index, record);
}

void EditorWindow::onClickOfSelected(QListWidget* list, std::function<void()> again)
{
    auto* watcher = new PressWatcher(list);
    connect(list, &QListWidget::itemClicked, this, [watcher, list, again](QListWidgetItem* item) {
        if (list->row(item) == watcher->rowBeforePress())
            again();
    });
}

void EditorWindow::retryFailedReads(QListWidget* list, std::function<bool()> failed, std::function<void()> read)
{
    onClickOfSelected(list, [failed, read] {
        if (failed())
            read();
    });
}

void EditorWindow::complain(const QString& reason) { m_host.platform().showMessage(this, reason); }

void EditorWindow::refuseSave(const QString& reason)
{
    // one line: the paragraphs of a longer reason joined
    QString line = reason;
    line.replace(QRegularExpression(QStringLiteral("\\s*\\n+\\s*")), QStringLiteral(": "));
    if (m_statusLine)
        m_statusLine->setText(QStringLiteral("Not saved: ") + line);
    complain(reason);
}

#include "editors/common/editor_window.h"

#include "editors/common/editor_host.h"
#include "editors/common/platform.h"
#include "editors/common/status_line.h"

#include <QFont>
#include <QLabel>
#include <QListWidget>

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

EditorWindow::EditorWindow(EditorHost& host, const QString& objectName, const QString& caption, int clientWidthTwips,
                           int clientHeightTwips)
    : QWidget(nullptr, Qt::Window), m_host(host)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twips(clientWidthTwips), twips(clientHeightTwips));
}

RomImage EditorWindow::image() const { return RomImage(m_host.romPath().toStdString()); }

QLabel* EditorWindow::makeStatusLine(int widthTwips, const QColor& background)
{
    auto* bar = new StatusLine(this);
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
    auto position = recordPosition(table, index);
    if (!position) {
        complain(position.error());
        return std::nullopt;
    }
    auto record = image().read(*position, table.recordSize);
    if (!record) {
        complain(record.error());
        return std::nullopt;
    }
    return *record;
}

bool EditorWindow::writeEntry(const Table& table, int index, const Bytes& record)
{
    auto position = recordPosition(table, index);
    if (!position) {
        complain(position.error());
        return false;
    }
    if (record.size() != table.recordSize) {
        complain(QStringLiteral("internal error: a %1 record has %2 bytes").arg(table.recordSize).arg(record.size()));
        return false;
    }
    const Status written = image().write(*position, record);
    if (!written) {
        complain(written.error());
        return false;
    }
    return true;
}

void EditorWindow::retryFailedReads(QListWidget* list, std::function<bool()> failed, std::function<void()> read)
{
    auto selectedByThisClick = std::make_shared<bool>(false);
    connect(list, &QListWidget::itemSelectionChanged, this, [selectedByThisClick] { *selectedByThisClick = true; });
    connect(list, &QListWidget::itemClicked, this, [selectedByThisClick, failed, read] {
        const bool justRead = *selectedByThisClick;
        *selectedByThisClick = false;
        if (!justRead && failed())
            read();
    });
}

void EditorWindow::complain(const QString& reason) { m_host.platform().showMessage(this, reason); }

#include "app/restore_points_window.h"

#include "editors/common/editor_host.h"
#include "editors/common/platform.h"
#include "editors/common/save_log.h"
#include "rom/files.h"

#include "app/recent_images.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

RestorePointsWindow::RestorePointsWindow(EditorHost& host) : QWidget(nullptr, Qt::Window), m_host(host)
{
    setObjectName(QStringLiteral("RestorePoints"));
    setWindowTitle(QStringLiteral("Restore Points"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_images = new QComboBox(this);
    m_images->setObjectName(QStringLiteral("RestoreImage"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("RestoreList"));
    m_restore = new QPushButton(QStringLiteral("Restore"), this);
    m_restore->setObjectName(QStringLiteral("Restore"));
    m_toFile = new QPushButton(QStringLiteral("Write to New File..."), this);
    m_toFile->setObjectName(QStringLiteral("RestoreToFile"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("RestoreStatus"));
    m_status->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_images);
    layout->addWidget(m_list);
    layout->addWidget(m_status);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_restore);
    buttons->addWidget(m_toFile);
    layout->addLayout(buttons);
    resize(520, 300);
    connect(m_restore, &QPushButton::clicked, this, &RestorePointsWindow::Restore_Click);
    connect(m_toFile, &QPushButton::clicked, this, &RestorePointsWindow::RestoreToFile_Click);
    connect(m_list, &QListWidget::itemActivated, this, &RestorePointsWindow::Restore_Click);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        m_restore->setEnabled(row >= 0 && shownImage() == m_host.romPath());
        m_toFile->setEnabled(row >= 0);
    });
    connect(m_images, &QComboBox::activated, this, [this] { refresh(); });
    // a first save keeps a point: the list follows
    connect(&m_host.saveLog(), &SaveLog::changed, this, &RestorePointsWindow::refresh);
    refresh();
}

int RestorePointsWindow::savesAfter(const RestorePoint& point) const
{
    // the image's history is read back from its journal on Load: the saves of
    // earlier runs and of the tool count too
    const SaveHistory& history = m_host.saveLog().history();
    int count = 0;
    for (std::size_t i = 0; i < history.applied(); ++i)
        count += history.entries()[i].time >= point.time ? 1 : 0;
    return count;
}

QString RestorePointsWindow::shownImage() const { return m_images->currentData().toString(); }

void RestorePointsWindow::fillImages()
{
    const QString shown = shownImage();
    const QSignalBlocker quiet(m_images);  // filling the list is no choice of the user's
    m_images->clear();
    if (const QString loaded = m_host.romPath(); !loaded.isEmpty())
        m_images->addItem(QDir::toNativeSeparators(loaded), loaded);
    for (const QString& recent : RecentImages().paths())
        if (!QFileInfo::exists(recent))
            m_images->addItem(QStringLiteral("%1 (gone)").arg(QDir::toNativeSeparators(recent)), recent);
    const int index = m_images->findData(shown);
    m_images->setCurrentIndex(index >= 0 ? index : 0);
}

void RestorePointsWindow::refresh()
{
    fillImages();
    const QString image = shownImage();
    const QString selected = m_list->currentItem() ? m_list->currentItem()->data(Qt::UserRole).toString() : QString();
    m_list->clear();
    m_points.clear();
    if (image.isEmpty()) {
        m_status->setText(QStringLiteral("No image is loaded."));
    } else if (auto points = listRestorePoints(image.toStdString()); !points) {
        m_status->setText(QString::fromStdString(points.error()));
    } else {
        m_points = std::move(points.value());
        m_status->setText(m_points.empty() ? QStringLiteral("No restore points of %1 are kept yet: the first save keeps one.")
                                                 .arg(QDir::toNativeSeparators(image))
                                           : QString());
    }
    for (const RestorePoint& point : m_points) {
        const int saves = savesAfter(point);
        auto* row = new QListWidgetItem(QStringLiteral("%1 \u00b7 %2 \u00b7 %3")
                                            .arg(QString::fromStdString(restorePointTimeText(point)),
                                                 QString::fromStdString(point.writer),
                                                 saves == 1 ? QStringLiteral("1 save after it")
                                                            : QStringLiteral("%1 saves after it").arg(saves)),
                                        m_list);
        row->setData(Qt::UserRole, QString::fromStdString(point.name));
        row->setToolTip(QDir::toNativeSeparators(QString::fromStdString(point.file.string())));
        if (row->data(Qt::UserRole).toString() == selected)
            m_list->setCurrentItem(row);
    }
    m_restore->setEnabled(m_list->currentRow() >= 0 && image == m_host.romPath());
    m_toFile->setEnabled(m_list->currentRow() >= 0);
}

const RestorePoint* RestorePointsWindow::chosenPoint() const
{
    const int row = m_list->currentRow();
    return row >= 0 && std::size_t(row) < m_points.size() ? &m_points[std::size_t(row)] : nullptr;
}

void RestorePointsWindow::Restore_Click()
{
    const QString image = m_host.romPath();
    if (!chosenPoint() || image.isEmpty() || shownImage() != image)
        return;
    const RestorePoint point = *chosenPoint();
    if (!m_host.platform().ask(this, QStringLiteral("Write %1 back to its restore point of %2?\nThe whole file is replaced; "
                                                    "the image as it is now is kept as a new restore point first.")
                                         .arg(QDir::toNativeSeparators(image),
                                              QString::fromStdString(restorePointTimeText(point)))))
        return;
    const auto before = readWholeFile(image.toStdString());
    const Status done = restoreInPlace(image.toStdString(), point);
    if (!done) {
        m_host.platform().showMessage(this, QString::fromStdString(done.error()));
        refresh();
        return;
    }
    const auto after = readWholeFile(image.toStdString());
    if (before && after)
        m_host.saveLog().imageReplaced(*before, *after);
    refresh();
    m_status->setText(QStringLiteral("%1 was restored to %2. To undo this, restore the newest point.")
                          .arg(QDir::toNativeSeparators(image), QString::fromStdString(restorePointTimeText(point))));
}

void RestorePointsWindow::RestoreToFile_Click()
{
    if (!chosenPoint())
        return;
    const RestorePoint point = *chosenPoint();
    const QString output = m_host.platform().chooseSaveFile(this, QStringLiteral("Write the Restore Point to a New File"),
                                                            QStringLiteral("ROM images (*.sfc *.smc);;All files (*)"),
                                                            QString());
    if (output.isEmpty())
        return;
    if (const Status done = restoreToNewFile(point, output.toStdString()); !done) {
        m_host.platform().showMessage(this, QString::fromStdString(done.error()));
        return;
    }
    m_status->setText(QStringLiteral("The restore point %1 of %2 was written to %3.")
                          .arg(QString::fromStdString(restorePointTimeText(point)),
                               QDir::toNativeSeparators(shownImage()), QDir::toNativeSeparators(output)));
}

#include "app/history_settings_window.h"

#include "editors/common/editor_host.h"
#include "editors/common/platform.h"
#include "editors/common/save_log.h"
#include "rom/history/data_folder.h"
#include "rom/history/restore_points.h"
#include "rom/platform/path_text.h"

#include <QCheckBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include <fstream>

namespace fs = std::filesystem;

namespace {

std::uintmax_t folderSize(const fs::path& folder)
{
    std::uintmax_t total = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error))
            total += it->file_size(error);
    return total;
}

QString native(const fs::path& path) { return QDir::toNativeSeparators(QString::fromStdString(pathToUtf8(path))); }

}  // namespace

HistorySettingsWindow::HistorySettingsWindow(EditorHost& host) : QWidget(nullptr, Qt::Window), m_host(host)
{
    setObjectName(QStringLiteral("HistorySettings"));
    setWindowTitle(QStringLiteral("History"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_where = new QLabel(this);
    m_where->setObjectName(QStringLiteral("HistoryWhere"));
    m_where->setWordWrap(true);
    m_where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_kept = new QSpinBox(this);
    m_kept->setObjectName(QStringLiteral("KeptPoints"));
    m_kept->setRange(1, kMaxKeptPoints);
    m_off = new QCheckBox(QStringLiteral("Keep no history for this image"), this);
    m_off->setObjectName(QStringLiteral("HistoryOff"));
    m_clear = new QPushButton(QStringLiteral("Clear History of This Image..."), this);
    m_clear->setObjectName(QStringLiteral("ClearHistory"));
    auto* layout = new QFormLayout(this);
    layout->addRow(m_where);
    layout->addRow(QStringLiteral("Restore points kept per image:"), m_kept);
    layout->addRow(m_off);
    layout->addRow(m_clear);
    resize(520, 220);
    connect(m_kept, &QSpinBox::valueChanged, this, &HistorySettingsWindow::KeptPoints_Change);
    connect(m_off, &QCheckBox::clicked, this, &HistorySettingsWindow::HistoryOff_Click);
    connect(m_clear, &QPushButton::clicked, this, &HistorySettingsWindow::ClearHistory_Click);
    refresh();
}

void HistorySettingsWindow::refresh()
{
    {
        const QSignalBlocker quiet(m_kept);  // showing the setting is no change of it
        m_kept->setValue(keptRestorePoints());
    }
    const QString image = m_host.romPath();
    const auto folder = image.isEmpty() ? Result<fs::path>::failure("No image is loaded.")
                                        : historyFolderFor(image.toStdString());
    m_off->setEnabled(bool(folder));
    m_clear->setEnabled(bool(folder));
    if (!folder) {
        m_where->setText(QString::fromStdString(folder.error()));
        m_off->setChecked(false);
        return;
    }
    m_off->setChecked(historyTurnedOff(*folder));
    m_where->setText(QStringLiteral("The history of %1 is kept in %2 (restore points in %3), %4 KiB in all.")
                         .arg(QDir::toNativeSeparators(image), native(*folder), native(*folder / "restore"))
                         .arg(qulonglong((folderSize(*folder) + 1023) / 1024)));
}

void HistorySettingsWindow::KeptPoints_Change(int count)
{
    if (const Status set = setKeptRestorePoints(count); !set)
        m_host.platform().showMessage(this, QString::fromStdString(set.error()));
}

void HistorySettingsWindow::HistoryOff_Click(bool off)
{
    const auto folder = historyFolderFor(m_host.romPath().toStdString());
    if (!folder)
        return refresh();
    std::error_code error;
    if (off) {
        fs::create_directories(*folder, error);
        std::ofstream mark(*folder / "off");
        if (!mark)
            m_host.platform().showMessage(this, QStringLiteral("History cannot be turned off: %1 cannot be written.")
                                                    .arg(native(*folder / "off")));
    } else if (!fs::remove(*folder / "off", error) && error) {
        m_host.platform().showMessage(this, QString::fromStdString("History cannot be turned on: " + error.message()));
    }
    refresh();
}

void HistorySettingsWindow::ClearHistory_Click()
{
    const QString image = m_host.romPath();
    const auto folder = historyFolderFor(image.toStdString());
    if (!folder)
        return refresh();
    if (!m_host.platform().ask(this, QStringLiteral("Clear the history of %1?\nIts journal and every restore point of it "
                                                    "are deleted; the image itself is not changed.")
                                         .arg(QDir::toNativeSeparators(image))))
        return;
    if (const Status cleared = clearImageHistory(image.toStdString()); !cleared)
        m_host.platform().showMessage(this, QString::fromStdString(cleared.error()));
    // the journal is gone: the history and the restore points shown elsewhere follow
    m_host.saveLog().open(image.toStdString());
    refresh();
}

#include "app/history_window.h"

#include "editors/common/save_log.h"
#include "rom/history/checked_write.h"
#include "rom/history/field_changes.h"

#include <QDateTime>
#include <QEvent>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

const QString kSeparator = QStringLiteral(" ") + QChar(0x00B7) + QStringLiteral(" ");

QString timeText(std::chrono::system_clock::time_point time)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace

QString historyRowText(const SaveEntry& entry)
{
    QStringList titles;
    QStringList changes;
    for (const SavedRecord& record : entry.records) {
        titles << QString::fromStdString(tableTitle(*record.table));
        changes << QString::fromStdString(describeChanges(*record.table, record.before, record.after));
    }
    titles.removeDuplicates();
    const QString label = !entry.entryLabel.empty() ? QString::fromStdString(entry.entryLabel)
                          : entry.records.empty()    ? QString()
                                                     : QStringLiteral("entry %1").arg(entry.records.front().index);
    return titles.join(QStringLiteral(" + ")) + kSeparator + label + kSeparator + changes.join(QStringLiteral(", "));
}

HistoryWindow::HistoryWindow(SaveLog& log) : QWidget(nullptr, Qt::Window), m_log(log)
{
    setObjectName(QStringLiteral("History"));
    setWindowTitle(QStringLiteral("History"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("HistoryList"));
    m_list->setAccessibleName(QStringLiteral("History"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    resize(560, 300);
    connect(&m_log, &SaveLog::changed, this, &HistoryWindow::refresh);
    refresh();
}

bool HistoryWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        m_log.reload();  // refreshes through changed() when the journal moved on
    return QWidget::event(event);
}

void HistoryWindow::refresh()
{
    m_list->clear();
    const auto entries = m_log.history().entries();
    const std::size_t applied = m_log.history().applied();
    for (std::size_t i = entries.size(); i-- > 0;) {
        const SaveEntry& entry = entries[i];
        const bool undone = i >= applied;
        // a save in effect whose records another program (or a restore) overwrote since
        const bool gone = !undone && !m_log.held(i);
        auto* row = new QListWidgetItem(historyRowText(entry)
                                            + (undone ? QStringLiteral(" (undone)")
                                               : gone ? QStringLiteral(" (no longer in the image)")
                                                      : QString()),
                                        m_list);
        QStringList where;
        for (const SavedRecord& record : entry.records)
            where << QString::fromStdString(entryName(*record.table, record.index));
        row->setToolTip(QStringLiteral("Saved by %1 at %2: %3")
                            .arg(QString::fromStdString(entry.source), timeText(entry.time), where.join(QStringLiteral(", "))));
        if (undone || gone)
            row->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
    }
}

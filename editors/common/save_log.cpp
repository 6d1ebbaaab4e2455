#include "editors/common/save_log.h"

#include "editors/common/editor_window.h"
#include "rom/tables.h"

#include <algorithm>

namespace {

// the name an undo or a redo of the windows is kept under in the journal
const std::string kWindowsSource = "Edit menu";

}  // namespace

void SaveLog::open(const std::filesystem::path& image)
{
    m_history.open(image);
    emit changed();
}

void SaveLog::reload()
{
    const std::size_t count = history().entries().size();
    const std::size_t applied = history().applied();
    m_history.reload();
    if (history().entries().size() != count || history().applied() != applied)
        emit changed();
}

void SaveLog::clear()
{
    m_history.close();
    emit changed();
}

CheckedWrite SaveLog::save(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about, bool merge)
{
    const QString source = QString::fromStdString(about.source);
    CheckedWrite written = m_history.save(image, writes, std::move(about), merge);
    if (!written)
        return written;
    tell(writes, source, source, false);
    emit changed();
    return written;
}

CheckedWrite SaveLog::saveBatch(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about,
                                const QString& writer, bool dropsEdits)
{
    const QString source = QString::fromStdString(about.source);
    CheckedWrite written = m_history.save(image, writes, std::move(about), false);
    if (!written)
        return written;
    tell(writes, writer, source, dropsEdits);
    emit changed();
    return written;
}

void SaveLog::tell(std::span<const ExpectedWrite> writes, const QString& writer, const QString& source, bool dropsEdits)
{
    // the checked write found `expected` on disk: a record written with the
    // same bytes did not change
    for (const ExpectedWrite& w : writes)
        if (w.expected != w.record)
            emit recordChanged({w.table, w.index, w.record, writer, source, dropsEdits});
}

QStringList SaveLog::unsavedEditsOf(std::span<const ExpectedWrite> writes) const
{
    QStringList holders;
    for (const QPointer<EditorWindow>& window : m_editors)
        for (const ExpectedWrite& w : writes)
            if (window)
                if (const QString held = window->unsavedEditsOf(*w.table, w.index); !held.isEmpty())
                    holders << held;
    holders.removeDuplicates();
    return holders;
}

void SaveLog::watchEdits(EditorWindow* window)
{
    std::erase_if(m_editors, [](const QPointer<EditorWindow>& w) { return w.isNull(); });
    m_editors.emplace_back(window);
}

Result<ChecksumFixed> SaveLog::fixChecksum(const std::filesystem::path& image, const std::string& source)
{
    auto fixed = fixChecksumInHistory(image, m_history, source);
    emit changed();
    return fixed;
}

Result<const SaveEntry*> SaveLog::undo(const RomImage& image) { return move(image, true); }

Result<const SaveEntry*> SaveLog::redo(const RomImage& image) { return move(image, false); }

Result<const SaveEntry*> SaveLog::move(const RomImage& image, bool undo)
{
    auto moved = undo ? m_history.undo(image, kWindowsSource) : m_history.redo(image, kWindowsSource);
    if (moved)
        for (const SavedRecord& record : (*moved)->records)
            emit recordChanged({record.table, record.index, undo ? record.before : record.after,
                                undo ? QStringLiteral("Undo Save") : QStringLiteral("Redo Save"), QString(), false});
    // a refused step may still have read the journal again: the menu follows it
    emit changed();
    return moved;
}

void SaveLog::imageReplaced(const Bytes& before, const Bytes& after)
{
    for (const Table* table : tables::all()) {
        for (int i = 0; i < table->count; ++i) {
            const auto position = recordPosition(*table, i);
            if (!position)
                continue;
            const std::size_t at = *position;
            const std::size_t end = at + table->recordSize;
            const bool inBefore = end <= before.size(), inAfter = end <= after.size();
            if (inBefore && inAfter && std::equal(before.begin() + at, before.begin() + end, after.begin() + at))
                continue;
            if (inAfter)
                emit recordChanged({table, i, Bytes(after.begin() + at, after.begin() + end), QStringLiteral("Restore"),
                                    QString(), false});
        }
    }
    emit changed();
}

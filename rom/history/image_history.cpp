#include "rom/history/image_history.h"

#include "rom/files.h"
#include "rom/history/data_folder.h"
#include "rom/platform/path_text.h"

#include <algorithm>
#include <set>

namespace fs = std::filesystem;

namespace {

std::optional<fs::path> journalFileOf(const fs::path& image)
{
    const auto folder = historyFolderFor(image);
    if (!folder || historyTurnedOff(*folder))
        return std::nullopt;
    return *folder / "journal";
}

}  // namespace

SaveEntry reversedStep(const SaveEntry& save, bool undo, const std::string& source)
{
    SaveEntry step;
    for (const SavedRecord& r : save.records)
        step.records.push_back(undo ? SavedRecord{r.table, r.index, r.after, r.before} : r);
    step.entryLabel = save.entryLabel;
    step.source = source;
    step.time = std::chrono::system_clock::now();
    return step;
}

std::optional<Journal> ImageHistory::activeJournal() const
{
    if (m_image.empty())
        return std::nullopt;
    const auto file = journalFileOf(m_image);
    if (!file)
        return std::nullopt;
    return Journal(*file);
}

std::optional<fs::path> ImageHistory::journalFile() const
{
    const auto journal = activeJournal();
    return journal ? std::optional<fs::path>(journal->file()) : std::nullopt;
}

void ImageHistory::open(const fs::path& image)
{
    const bool same = !m_image.empty() && sameFile(m_image, image);
    m_image = image;
    if (activeJournal()) {
        const RomImage rom(image);
        readBack(&rom);
        return;
    }
    // without a journal the run's own saves are all there is
    m_notes.clear();
    m_folded = 0;
    if (!same)
        m_history.clear();
}

void ImageHistory::close()
{
    m_image.clear();
    m_history.clear();
    m_notes.clear();
    m_folded = 0;
}

void ImageHistory::reload()
{
    if (!activeJournal())
        return;
    const RomImage rom(m_image);
    readBack(&rom);
}

void ImageHistory::readBack(const RomImage* image)
{
    const auto journal = activeJournal();
    if (!journal)
        return;
    JournalContents contents = journal->load(image);
    m_history = historyFrom(contents.entries);
    m_notes = std::move(contents.notes);
    m_folded = contents.folded;
    m_outside = contents.changedOutside ? pathToUtf8(m_image.filename())
                                              + " was changed outside Veldra Forge since the last save kept here"
                                        : std::string();
    m_notHeld.assign(m_history.entries().size(), false);
    const auto whole = image ? image->readAll() : Result<Bytes>::failure("");
    if (!whole)
        return;
    // newest first: a record a later save in effect wrote again is judged by that one
    std::set<std::pair<const Table*, int>> judged;
    const auto entries = m_history.entries();
    for (std::size_t i = m_history.applied(); i-- > 0;)
        for (const SavedRecord& r : entries[i].records) {
            if (!judged.insert({r.table, r.index}).second)
                continue;
            const auto at = recordPosition(*r.table, r.index);
            if (!at || *at + r.after.size() > whole->size()
                || !std::equal(r.after.begin(), r.after.end(), whole->begin() + *at))
                m_notHeld[i] = true;
        }
}

void ImageHistory::settle(const RomImage& image)
{
    if (m_image.empty())
        m_image = image.path();
    const auto journal = activeJournal();
    if (!journal || journal->settled())
        return;
    std::vector<std::string> notes = m_notes;
    readBack(&image);
    notes.insert(notes.end(), m_notes.begin(), m_notes.end());
    m_notes = std::move(notes);
}

CheckedWrite ImageHistory::save(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about, bool merge)
{
    about.records.clear();
    for (const ExpectedWrite& w : writes)
        if (w.table && w.expected != w.record)
            about.records.push_back({w.table, w.index, w.expected, w.record});
    // a save is dated when it is written, after the restore point that the
    // first write of a run keeps, so that the point counts it as a later save
    about.time = std::chrono::system_clock::now();
    if (m_image.empty())
        m_image = image.path();
    const auto journal = about.records.empty() ? std::nullopt : activeJournal();
    if (journal)
        settle(image);
    bool journalled = false;
    BeforeWrite keep;
    if (journal)
        keep = [&] {
            about.time = std::chrono::system_clock::now();
            const Status kept = journal->append({merge ? JournalKind::JoinedSave : JournalKind::Save, about}, image);
            journalled = kept.ok();
            return kept;
        };
    CheckedWrite written = writeCheckedAll(image, writes, keep);
    if (!written) {
        if (journalled)
            (void)journal->cancelLast();  // else the next reading finds the records as they were and drops it
        return written;
    }
    if (!journal)
        about.time = std::chrono::system_clock::now();
    m_history.record(std::move(about), merge);
    return written;
}

Result<const SaveEntry*> ImageHistory::undo(const RomImage& image, const std::string& source)
{
    return move(image, source, true);
}

Result<const SaveEntry*> ImageHistory::redo(const RomImage& image, const std::string& source)
{
    return move(image, source, false);
}

Result<const SaveEntry*> ImageHistory::move(const RomImage& image, const std::string& source, bool undo)
{
    using R = Result<const SaveEntry*>;
    if (m_image.empty())
        m_image = image.path();
    const auto journal = activeJournal();
    std::optional<RomImage::HeldLock> held;
    if (journal) {
        // the step is taken on the history as the journal holds it now, and
        // no other writer comes between this reading and the step's entry
        auto lock = image.holdWritersLock();
        if (!lock)
            return R::failure(std::string(undo ? "Undo" : "Redo") + " failed: " + lock.error());
        held.emplace(std::move(lock.value()));
        // what the opening said (a step taken back) stays said
        const std::vector<std::string> earlier = m_notes;
        readBack(&image);
        for (auto it = earlier.rbegin(); it != earlier.rend(); ++it)
            if (std::find(m_notes.begin(), m_notes.end(), *it) == m_notes.end())
                m_notes.insert(m_notes.begin(), *it);
    }
    bool journalled = false;
    BeforeWrite keep;
    if (journal)
        keep = [&] {
            const SaveEntry* save = undo ? m_history.nextUndo() : m_history.nextRedo();
            const Status kept = journal->append({undo ? JournalKind::Undo : JournalKind::Redo, reversedStep(*save, undo, source)}, image);
            journalled = kept.ok();
            return kept;
        };
    auto moved = undo ? m_history.undo(image, keep) : m_history.redo(image, keep);
    if (!moved && journalled)
        (void)journal->cancelLast();
    return moved;
}

Status ImageHistory::step(const RomImage& image, SaveEntry entry, const std::function<Status()>& write)
{
    std::erase_if(entry.records, [](const SavedRecord& r) { return !r.table || r.before == r.after; });
    if (m_image.empty())
        m_image = image.path();
    const auto journal = entry.records.empty() ? std::nullopt : activeJournal();
    if (journal)
        settle(image);
    if (journal)
        if (Status kept = journal->append({JournalKind::Save, entry}, image); !kept)
            return kept;
    if (Status written = write(); !written) {
        if (journal)
            (void)journal->cancelLast();
        return written;
    }
    m_history.record(std::move(entry));
    return success();
}

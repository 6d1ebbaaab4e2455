#pragma once

#include "rom/history/save_history.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

// The journal of one image: every save, undo and redo written to it, in the
// order the writers made them, kept in the user's data folder so that the
// history outlives the program. One file, only ever appended to (except when
// its oldest entries are dropped, which rewrites it whole through a temporary
// file); each entry carries its own CRC-32 and is flushed to the disk before
// the image is written.
//
// The order of a journalled write: the entry goes in and is flushed, then the
// records are written, then the state the image was left in is recorded
// (image_state.h). An entry after the recorded state is a step the program
// ended in: none of its records written, it never happened and is left out
// of the history (marked cancelled in the file by the next writer); some
// written, it is taken back (journal_rules.h tells which).

enum class JournalKind : std::uint8_t {
    Save = 1,
    JoinedSave = 2,  // a save that joins the one before it where the history allows (a name typed key by key)
    Undo = 3,
    Redo = 4,
    Cancelled = 5,   // the entry before this one was never written to the image
};

struct JournalEntry {
    JournalKind kind = JournalKind::Save;
    // the records as this step found them (before) and left them (after); an
    // undo's before is the save's after
    SaveEntry step;
};

// The most entries one journal keeps; beyond it the oldest are dropped
// (folded), down to kJournalKeptAfterFold at a time so that not every save
// rewrites the file.
inline constexpr std::size_t kJournalBound = 10000;
inline constexpr std::size_t kJournalKeptAfterFold = 9000;

struct JournalContents {
    std::vector<JournalEntry> entries;  // oldest first, cancelled steps left out
    std::uint64_t folded = 0;           // entries dropped from the front over the journal's life
    std::vector<std::string> notes;     // what was dropped or set aside, in words for the user
    bool changedOutside = false;        // the image is not as the program last left it (read with an image)
};

// The pseudo-table of the internal checksum and its complement (4 bytes at
// 0xFFDC), so that checksum --fix is a step of the history like any save.
const Table& checksumRecord();

class Journal {
public:
    explicit Journal(std::filesystem::path file, std::size_t bound = kJournalBound,
                     std::size_t keptAfterFold = kJournalKeptAfterFold);

    const std::filesystem::path& file() const { return m_file; }

    // Every entry. A missing file is an empty journal; a torn last entry (the
    // file ends before its length: a crash while it was written) is dropped
    // with a note; a file that cannot be read, a damaged entry of its whole
    // length included, is set aside (renamed "journal.unreadable-<date>-<time>",
    // never overwritten) with a note, and the history starts empty. With
    // `image`, the image is judged against the state recorded: a last step
    // that never reached it is left out, one that reached it in part is taken
    // back (under the writers' lock, with a note), and an image changed by
    // another program since is told (changedOutside).
    JournalContents load(const RomImage* image) const;

    // Appends one entry and flushes it; the caller holds the image's writers'
    // lock. A torn tail is cut off first, and a last step that never reached
    // the image is marked cancelled (one that reached it in part refuses the
    // append: load takes it back first). Beyond the bound, the oldest entries
    // are dropped by rewriting the file, cut where replaying stays the same.
    Status append(const JournalEntry& entry, const RomImage& image) const;

    // Marks the last entry as never written: its write to the image failed.
    Status cancelLast() const;

    // Whether the state of the image was recorded after the journal's last
    // entry (see image_state.h): nothing is pending from a run that ended
    // part-way. A cheap look at two files' lengths, for every writer.
    bool settled() const;

private:
    struct Parsed;
    Parsed parse(const std::vector<std::uint8_t>& bytes) const;
    Status rewrite(const Parsed& parsed, std::size_t dropFront, std::span<const std::uint8_t> tail) const;
    std::string setAside(const std::string& why) const;
    // Takes back a last step that reached the image only in part, under the
    // writers' lock; the note for the user, empty when nothing was pending.
    // `taken` says whether it was taken back.
    std::string takeBack(const RomImage& image, bool& taken) const;
    std::size_t foldAt(const Parsed& parsed, const JournalEntry& entry, bool cancelFirst, std::uint64_t count) const;

    std::filesystem::path m_file;
    std::size_t m_bound;
    std::size_t m_keptAfterFold;
};

// One journal step taken on `history`, as it was taken when it was written.
void replayEntry(SaveHistory& history, const JournalEntry& entry);

// The save history the journal's steps leave, cursor included.
SaveHistory historyFrom(std::span<const JournalEntry> entries);


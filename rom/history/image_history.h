#pragma once

#include "rom/history/checked_write.h"
#include "rom/history/journal.h"
#include "rom/history/save_history.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The save history of one image as every writer shares it: the in-memory
// history (SaveHistory) rebuilt from the image's journal, and every save,
// undo and redo written to that journal before the image. The windows and
// the tool both go through it, so that each sees the other's saves.
//
// While the image's history is turned off (historyTurnedOff), or where no
// data folder can be found, it keeps the saves of this run in memory only,
// as the program did before there was a journal.
class ImageHistory {
public:
    // The history of `image`, read back from its journal. Opening the image
    // already open without a journal keeps this run's saves.
    void open(const std::filesystem::path& image);
    // Forgets every save (no image).
    void close();
    // Reads the journal again: saves made meanwhile by others appear.
    void reload();

    const SaveHistory& history() const { return m_history; }
    const std::filesystem::path& image() const { return m_image; }
    // The journal file, when one backs the history now.
    std::optional<std::filesystem::path> journalFile() const;
    // What the last reading of the journal dropped or set aside, for the user.
    const std::vector<std::string>& notes() const { return m_notes; }
    // How many entries were dropped from the journal's front over its life.
    std::uint64_t folded() const { return m_folded; }
    // "hack.sfc was changed outside Veldra Forge since the last save kept
    // here", when the last reading found it so; empty otherwise. A remark
    // for a status line, not a warning to stop for.
    const std::string& outsideNote() const { return m_outside; }
    // Whether the image still holds what save `i` (of history().entries())
    // left, judged at the last reading; a save in effect that another
    // program (or a restore) overwrote is not. True for undone saves.
    bool held(std::size_t i) const { return i >= m_notHeld.size() || !m_notHeld[i]; }

    // Before a write: a step that a run ended part-way through is taken
    // back (its notes join notes()). Cheap when nothing is pending.
    void settle(const RomImage& image);

    // Writes the records, checked (writeCheckedAll), and keeps them as one
    // save described by `about` (its label, source and time; the records are
    // taken from `writes`). The journal entry goes in first: when it cannot
    // be written, neither is the image.
    CheckedWrite save(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about, bool merge = false);

    // Undo and redo with the checked rule (SaveHistory), taken by `source`
    // on the image's whole history as the journal holds it at that moment.
    Result<const SaveEntry*> undo(const RomImage& image, const std::string& source);
    Result<const SaveEntry*> redo(const RomImage& image, const std::string& source);

    // A step written by other means (the checksum fix): journalled, then kept.
    // `write` writes it; when it fails, the journal entry is marked cancelled.
    Status step(const RomImage& image, SaveEntry entry, const std::function<Status()>& write);

private:
    std::optional<Journal> activeJournal() const;
    Result<const SaveEntry*> move(const RomImage& image, const std::string& source, bool undo);
    void readBack(const RomImage* image);

    std::filesystem::path m_image;
    SaveHistory m_history;
    std::vector<std::string> m_notes;
    std::string m_outside;
    std::vector<bool> m_notHeld;
    std::uint64_t m_folded = 0;
};

// The step an undo (or a redo) of `save` takes: the records from the bytes
// it finds to those it leaves.
SaveEntry reversedStep(const SaveEntry& save, bool undo, const std::string& source);

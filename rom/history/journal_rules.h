#pragma once

#include "rom/history/image_state.h"
#include "rom/history/journal.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The rules the journal reads its entries by, apart from its file format.

// Which entries are out of the history: the Cancelled marks and the entries
// they cancel (each the latest entry still in before it).
std::vector<bool> deadEntries(std::span<const JournalEntry> entries);

// What became of the journal's last step in the image.
enum class LastStep {
    Settled,       // nothing pending: the state was recorded after it (or there is no step)
    NeverWritten,  // every record still holds what the step found
    Reached,       // every record holds what the step left
    Partial,       // some records hold what it left, the others what it found: cut off part-way
    Foreign,       // a record holds neither: changed by another program
};

struct LastStepJudgement {
    LastStep step = LastStep::Settled;
    // the image is not the state the program left it in
    bool changedOutside = false;
};

// `entries` are every entry in file order (the Cancelled ones too), `starts`
// where each begins in the file, `journalSize` the file's length, `mark` the
// state recorded after the program's last write, `image` the image now.
//
// The last step is pending when the journal grew after the state was
// recorded: the program ended between its entry and its mark. It is judged
// by its records; the image is changed outside when, with the step's records
// as they were before, it differs from the state recorded right before the
// step. Without a pending step, the image is changed outside when it is not
// the recorded state.
LastStepJudgement judgeLastStep(std::span<const JournalEntry> entries, std::span<const std::uint64_t> starts,
                                std::uint64_t journalSize, const std::optional<ImageMark>& mark,
                                std::span<const std::uint8_t> image);

// `image` with every record of `step` as the step found it.
Bytes withRecordsBefore(const SaveEntry& step, std::span<const std::uint8_t> image);

// How many entries to drop from the front of `entries` (of which the first
// `inFile` are in the file; the rest are being appended) so that the entries
// kept, replayed alone, give the history that all of them give less the
// saves dropped: a cut where nothing later undoes, redoes, joins or cancels
// across it. At least `least` where such a cut exists within the file, else
// the largest one that leaves at most `bound`; 0 when there is none.
std::size_t foldCut(std::span<const JournalEntry> entries, std::size_t inFile, std::size_t least, std::size_t bound);

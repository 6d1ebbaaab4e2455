#pragma once

#include "cli/command.h"
#include "rom/edit_plan.h"
#include "rom/history/image_history.h"

#include <optional>
#include <string>
#include <vector>

// Runs a batch of edits for set and import: every value is checked first and
// every refusal listed (then nothing is written); else each change is printed
// as "table[index].key: old -> new" and the changed records are written in
// place, unless `dryRun`.
struct EditOptions {
    bool dryRun = false;
    bool summary = false;  // end with a count of the changes
    std::string source;    // the command, as the save history names it ("veldra-cli set")
};

// `earlier` are refusals found before (in the shape of an import file), listed first.
// The written records are kept in `history` (the run's own) as one save.
int runEdits(CommandIo& io, ImageHistory& history, const RomImage& image, const RecordReader& read, const std::vector<FieldEdit>& edits,
             const EditOptions& options, const std::vector<Refusal>& earlier = {});

// Takes the writers' lock before the records are read, held until the command
// ends, so that another writer's change between this read and this write is
// waited for rather than refused or lost. None for a dry run, which writes
// nothing. A step that an earlier run left part-way is taken back first (said on
// standard error), so that the records read are those the history knows.
std::optional<RomImage::HeldLock> lockForEdits(CommandIo& io, ImageHistory& history, const RomImage& image, bool dryRun);

// Lists refusals and ends the command with exit status 1.
[[noreturn]] void refuseAll(const std::vector<Refusal>& refusals);

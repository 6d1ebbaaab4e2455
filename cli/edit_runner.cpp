#include "cli/edit_runner.h"

#include "cli/value_text.h"

#include <ostream>

namespace {

// continuation lines of a reason are indented under it
std::string indented(const std::string& reason)
{
    std::string out;
    for (std::size_t i = 0; i < reason.size(); ++i) {
        out += reason[i];
        if (reason[i] == '\n' && i + 1 < reason.size() && reason[i + 1] != '\n')
            out += "    ";
    }
    return out;
}

}  // namespace

void refuseAll(const std::vector<Refusal>& refusals)
{
    std::string message = "nothing was written: " + std::to_string(refusals.size())
                          + (refusals.size() == 1 ? " value was refused" : " values were refused");
    for (const Refusal& refusal : refusals)
        message += "\n  " + refusal.where + ": " + indented(refusal.reason);
    failRefused(message);
}

std::optional<RomImage::HeldLock> lockForEdits(CommandIo& io, ImageHistory& history, const RomImage& image, bool dryRun)
{
    if (dryRun)
        return std::nullopt;
    auto held = image.holdWritersLock();
    if (!held)
        failRefused(held.error());
    // a step an earlier run left part-way is taken back before the records are read
    history.settle(image);
    for (const std::string& note : history.notes())
        io.err << "veldra-cli: " << note << "\n";
    return std::optional<RomImage::HeldLock>(std::move(held.value()));
}

int runEdits(CommandIo& io, ImageHistory& history, const RomImage& image, const RecordReader& read, const std::vector<FieldEdit>& edits,
             const EditOptions& options, const std::vector<Refusal>& earlier)
{
    const EditPlan plan = planEdits(read, edits);
    if (!earlier.empty() || !plan.refusals.empty()) {
        std::vector<Refusal> all = earlier;
        all.insert(all.end(), plan.refusals.begin(), plan.refusals.end());
        refuseAll(all);
    }
    std::size_t fields = 0;
    std::string lines;
    for (const RecordChange& change : plan.changes) {
        for (const FieldChange& field : fieldChanges(*change.table, change.before, change.after)) {
            lines += fieldPath(*change.table, change.index, *field.field) + ": " + shownText(*field.field, field.before, nullptr)
                     + " -> " + shownText(*field.field, field.after, nullptr) + "\n";
            ++fields;
        }
    }
    // the changes are told once they are in the file (or, in a dry run, at once)
    const std::string count = changeCount(fields, plan.changes.size());
    if (!options.dryRun && !plan.changes.empty()) {
        if (Status written = applyPlan(image, plan, &history, options.source); !written)
            failRefused(written.error());
        io.written = count + " changed in " + image.path().string();
    }
    io.out << lines;
    if (options.summary)
        io.out << count << (options.dryRun ? " would change" : " changed") << "\n";
    if (options.dryRun)
        io.err << "veldra-cli: dry run: nothing was written\n";
    else if (plan.changes.empty() && !options.summary)
        io.err << "veldra-cli: no value changed; nothing was written\n";
    return kExitDone;
}

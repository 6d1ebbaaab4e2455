#include "rom/history/journal_rules.h"

#include <algorithm>
#include <limits>

namespace {

// Where each record of a step sits in the image; false when one lies outside it.
bool recordSpans(const SaveEntry& step, std::size_t imageSize, std::vector<std::size_t>& at)
{
    for (const SavedRecord& r : step.records) {
        const auto position = r.table ? recordPosition(*r.table, r.index) : Result<std::uint32_t>::failure("");
        if (!position || *position + r.before.size() > imageSize)
            return false;
        at.push_back(*position);
    }
    return true;
}

}  // namespace

std::vector<bool> deadEntries(std::span<const JournalEntry> entries)
{
    std::vector<bool> dead(entries.size(), false);
    std::vector<std::size_t> alive;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].kind != JournalKind::Cancelled) {
            alive.push_back(i);
            continue;
        }
        dead[i] = true;
        if (!alive.empty()) {
            dead[alive.back()] = true;
            alive.pop_back();
        }
    }
    return dead;
}

Bytes withRecordsBefore(const SaveEntry& step, std::span<const std::uint8_t> image)
{
    Bytes out(image.begin(), image.end());
    std::vector<std::size_t> at;
    if (!recordSpans(step, out.size(), at))
        return out;
    for (std::size_t i = 0; i < at.size(); ++i)
        std::copy(step.records[i].before.begin(), step.records[i].before.end(), out.begin() + static_cast<std::ptrdiff_t>(at[i]));
    return out;
}

LastStepJudgement judgeLastStep(std::span<const JournalEntry> entries, std::span<const std::uint64_t> starts,
                                std::uint64_t journalSize, const std::optional<ImageMark>& mark,
                                std::span<const std::uint8_t> image)
{
    LastStepJudgement judged;
    const bool hasStep = !entries.empty() && entries.back().kind != JournalKind::Cancelled;
    if (!hasStep || (mark && mark->journalSize == journalSize)) {
        judged.changedOutside = mark && mark->state != imageStateOf(image);
        return judged;
    }
    const std::size_t last = entries.size() - 1;
    const SaveEntry& step = entries[last].step;
    std::vector<std::size_t> at;
    bool before = true;
    bool after = true;
    bool foreign = !recordSpans(step, image.size(), at);
    for (std::size_t i = 0; i < at.size() && !foreign; ++i) {
        const SavedRecord& r = step.records[i];
        const auto held = image.subspan(at[i], r.before.size());
        const bool holdsBefore = std::equal(held.begin(), held.end(), r.before.begin(), r.before.end());
        const bool holdsAfter = std::equal(held.begin(), held.end(), r.after.begin(), r.after.end());
        foreign = !holdsBefore && !holdsAfter;
        before = before && holdsBefore;
        after = after && holdsAfter;
    }
    if (foreign) {
        judged.step = LastStep::Foreign;
        judged.changedOutside = true;
        return judged;
    }
    judged.step = before ? LastStep::NeverWritten : after ? LastStep::Reached : LastStep::Partial;
    // the state recorded counts as the one right before the step when only
    // cancelled entries lie between the two
    if (mark) {
        const std::vector<bool> dead = deadEntries(entries);
        bool right = false;
        for (std::size_t j = last + 1; j-- > 0;) {
            if (starts[j] == mark->journalSize) {
                right = true;
                break;
            }
            if (j == 0 || !dead[j - 1])
                break;
        }
        if (right)
            judged.changedOutside = mark->state != imageStateOf(withRecordsBefore(step, image));
    }
    return judged;
}

std::size_t foldCut(std::span<const JournalEntry> entries, std::size_t inFile, std::size_t least, std::size_t bound)
{
    const std::size_t n = entries.size();
    const std::vector<bool> dead = deadEntries(entries);
    // a cut between an entry and the Cancelled that takes it out is no cut
    std::vector<int> crossing(n + 1, 0);
    {
        std::vector<std::size_t> alive;
        for (std::size_t i = 0; i < n; ++i) {
            if (entries[i].kind != JournalKind::Cancelled) {
                alive.push_back(i);
                continue;
            }
            if (!alive.empty()) {
                ++crossing[alive.back() + 1];
                --crossing[i + 1];
                alive.pop_back();
            }
        }
        for (std::size_t k = 1; k <= n; ++k)
            crossing[k] += crossing[k - 1];
    }
    // the history as each entry finds it, replayed as the journal is read
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> size(n + 1), applied(n + 1);
    std::vector<std::size_t> lowest(n + 1, kNone);      // the least cursor any entry from k on leaves
    std::vector<std::size_t> lowestJoin(n + 1, kNone);  // the least cursor a joined save from k on finds
    SaveHistory history;
    for (std::size_t i = 0; i < n; ++i) {
        size[i] = history.entries().size();
        applied[i] = history.applied();
        if (dead[i])
            continue;
        const JournalEntry& e = entries[i];
        if (e.kind == JournalKind::JoinedSave)
            lowestJoin[i] = history.applied();
        replayEntry(history, e);
        lowest[i] = history.applied();
    }
    size[n] = history.entries().size();
    applied[n] = history.applied();
    for (std::size_t k = n; k-- > 0;) {
        lowest[k] = std::min(lowest[k], lowest[k + 1]);
        lowestJoin[k] = std::min(lowestJoin[k], lowestJoin[k + 1]);
    }
    // a cut at k holds when nothing is undone there, nothing later takes the
    // cursor back into the saves dropped (an undo there, then a redo, would
    // redo a kept save in their place), no later joined save can join a
    // dropped one, and no Cancelled reaches across it
    const auto holds = [&](std::size_t k) {
        const std::size_t d = size[k];
        return crossing[k] == 0 && applied[k] == d && (lowest[k] == kNone || lowest[k] >= d)
               && (lowestJoin[k] == kNone || lowestJoin[k] > d || d == 0);
    };
    const std::size_t most = std::min(inFile, n);
    for (std::size_t k = std::min(least, most); k <= most; ++k)
        if (k >= least && holds(k))
            return k;
    for (std::size_t k = std::min(least, most); k > 0; --k)
        if (n - k <= bound && holds(k))
            return k;
    return 0;
}

#include "rom/image_diff.h"

#include <algorithm>
#include <cstring>

namespace {

struct Span {
    std::uint64_t begin;
    std::uint64_t end;  // one past the last byte
};

// The bytes covered by the tables, sorted and merged.
std::vector<Span> tableSpans()
{
    std::vector<Span> spans;
    for (const KeyedTable& t : keyedTables())
        spans.push_back({t.table->base, t.table->base + std::uint64_t(t.table->count) * t.table->recordSize});
    std::sort(spans.begin(), spans.end(), [](const Span& x, const Span& y) { return x.begin < y.begin; });
    std::vector<Span> merged;
    for (const Span& s : spans) {
        if (!merged.empty() && s.begin <= merged.back().end)
            merged.back().end = std::max(merged.back().end, s.end);
        else
            merged.push_back(s);
    }
    return merged;
}

void addRuns(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b, std::uint64_t begin, std::uint64_t end,
             std::vector<ByteRun>& runs)
{
    const std::uint64_t common = std::min<std::uint64_t>(a.size(), b.size());
    std::uint64_t i = begin;
    while (i < end) {
        // skip equal bytes quickly in blocks
        if (i + 64 <= std::min(end, common) && std::memcmp(a.data() + i, b.data() + i, 64) == 0) {
            i += 64;
            continue;
        }
        const bool differs = i >= common || a[i] != b[i];
        if (differs) {
            if (!runs.empty() && runs.back().last + 1 == i)
                runs.back().last = i;
            else
                runs.push_back({i, i});
        }
        ++i;
    }
}

// The entries of `t` from `first` on that the longer image holds at least a byte of.
void addMissing(const KeyedTable& t, int first, std::uint64_t sizeA, std::uint64_t sizeB, std::vector<MissingEntries>& missing)
{
    const std::uint64_t longer = std::max(sizeA, sizeB);
    const std::uint64_t size = t.table->recordSize;
    const std::uint64_t start = t.table->base + std::uint64_t(first) * size;
    if (start >= longer)
        return;  // neither image holds them
    const std::uint64_t tableEnd = t.table->base + std::uint64_t(t.table->count) * size;
    const std::uint64_t end = std::min(tableEnd, longer);
    const int last = static_cast<int>((end - 1 - t.table->base) / size);
    missing.push_back({&t, first, last, {start, end - 1}, sizeA > sizeB});
}

}  // namespace

ImageDiff diffImages(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b)
{
    ImageDiff diff;
    diff.sizesDiffer = a.size() != b.size();
    for (const KeyedTable& t : keyedTables()) {
        for (int i = 0; i < t.table->count; ++i) {
            const std::uint64_t at = t.table->base + std::uint64_t(i) * t.table->recordSize;
            const std::uint64_t end = at + t.table->recordSize;
            if (end > a.size() || end > b.size()) {
                addMissing(t, i, a.size(), b.size(), diff.missing);
                break;
            }
            const auto ra = a.subspan(at, t.table->recordSize);
            const auto rb = b.subspan(at, t.table->recordSize);
            if (std::equal(ra.begin(), ra.end(), rb.begin()))
                continue;
            const std::size_t shownBefore = diff.fields.size();
            for (const KeyedField& f : t.fields) {
                FieldValue va = readFieldValue(f, ra);
                FieldValue vb = readFieldValue(f, rb);
                if (va != vb)
                    diff.fields.push_back({&t, i, &f, std::move(va), std::move(vb), valueLabel(f, ra), valueLabel(f, rb)});
            }
            if (diff.fields.size() == shownBefore)
                diff.unshown.push_back({&t, i, {at, end - 1}});
        }
    }
    const std::uint64_t size = std::max(a.size(), b.size());
    std::uint64_t from = 0;
    for (const Span& s : tableSpans()) {
        if (s.begin > from)
            addRuns(a, b, from, std::min(s.begin, size), diff.outside);
        from = std::max(from, s.end);
    }
    if (from < size)
        addRuns(a, b, from, size, diff.outside);
    return diff;
}

void copyFieldValue(const KeyedField& field, std::span<std::uint8_t> record, std::span<const std::uint8_t> from)
{
    const Field& f = *field.field;
    const std::size_t size = std::min(record.size(), from.size());
    switch (f.width) {
    case Width::Bit: {
        if (f.offset >= size || f.bit < 0 || f.bit > 7)
            return;
        const auto mask = static_cast<std::uint8_t>(1u << f.bit);
        record[f.offset] = static_cast<std::uint8_t>((record[f.offset] & ~mask) | (from[f.offset] & mask));
        return;
    }
    case Width::Byte:
    case Width::Word: {
        const std::size_t width = f.width == Width::Word ? 2 : 1;
        for (std::size_t i = f.offset; i < f.offset + width && i < size; ++i)
            record[i] = from[i];
        return;
    }
    case Width::Text:
        std::copy(from.begin(), from.begin() + std::ptrdiff_t(size), record.begin());
        return;
    }
}

#include "rom/history/journal.h"

#include "rom/history/image_state.h"
#include "rom/history/journal_rules.h"
#include "rom/history/restore_points.h"

#include "rom/files.h"
#include "rom/image_facts.h"
#include "rom/platform/path_text.h"
#include "rom/record_io.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

// The file: a 24-byte head, then the entries one after another.
//   head:  "VFJOURNL", u32 version (1), u64 entries folded, u32 CRC-32 of the 20 bytes before
//   entry: u32 "VFJE", u32 payload length, payload, u32 CRC-32 of the payload, u32 payload length again
//          (the length at the end lets a writer find the last entry from the file's end)
//   payload: u64 sequence number (from 0 over the journal's life), u8 kind, i64 time (ms since 1970),
//            u16 + bytes source, u16 + bytes entry label, u16 record count, and per record:
//            u8 + bytes table key, u16 entry index, u16 record size, the bytes before, the bytes after
// Every number is little-endian.

namespace {

constexpr char kHeadMagic[8] = {'V', 'F', 'J', 'O', 'U', 'R', 'N', 'L'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeadSize = 24;
constexpr std::uint32_t kEntryMagic = 0x454A4656;  // "VFJE"
constexpr std::size_t kEntryFrame = 16;             // magic, length, CRC, length
constexpr std::uint32_t kMaxPayload = 1u << 20;

}  // namespace

const Table& checksumRecord()
{
    static const Table table{"checksum", kComplementPosition, 4, 1, {}, "checksum"};
    return table;
}

namespace {

std::uint32_t crcOf(const std::uint8_t* data, std::size_t size)
{
    return static_cast<std::uint32_t>(::crc32(::crc32(0L, Z_NULL, 0), data, static_cast<uInt>(size)));
}

class Writer {
public:
    void u8(std::uint8_t v) { m_bytes.push_back(v); }
    void u16(std::uint16_t v) { number(v, 2); }
    void u32(std::uint32_t v) { number(v, 4); }
    void u64(std::uint64_t v) { number(v, 8); }
    void bytes(std::span<const std::uint8_t> b) { m_bytes.insert(m_bytes.end(), b.begin(), b.end()); }
    void text16(const std::string& s)
    {
        const std::size_t n = std::min<std::size_t>(s.size(), 0xFFFF);
        u16(static_cast<std::uint16_t>(n));
        m_bytes.insert(m_bytes.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    Bytes& out() { return m_bytes; }

private:
    void number(std::uint64_t v, int size)
    {
        for (int i = 0; i < size; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    Bytes m_bytes;
};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_size; }
    std::uint64_t number(int size)
    {
        if (!take(static_cast<std::size_t>(size)))
            return 0;
        std::uint64_t v = 0;
        for (int i = 0; i < size; ++i)
            v |= std::uint64_t(m_data[m_at - size + i]) << (8 * i);
        return v;
    }
    Bytes bytes(std::size_t n)
    {
        if (!take(n))
            return {};
        return Bytes(m_data + m_at - n, m_data + m_at);
    }
    std::string text(std::size_t n)
    {
        const Bytes b = bytes(n);
        return std::string(b.begin(), b.end());
    }

private:
    bool take(std::size_t n)
    {
        if (!m_ok || m_size - m_at < n) {
            m_ok = false;
            return false;
        }
        m_at += n;
        return true;
    }
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
    bool m_ok = true;
};

std::uint32_t word32At(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

Bytes headBytes(std::uint64_t folded)
{
    Writer w;
    w.bytes({reinterpret_cast<const std::uint8_t*>(kHeadMagic), sizeof kHeadMagic});
    w.u32(kVersion);
    w.u64(folded);
    w.u32(crcOf(w.out().data(), w.out().size()));
    return std::move(w.out());
}

const Table* tableByKey(const std::string& key)
{
    if (key == checksumRecord().key)
        return &checksumRecord();
    for (const Table* table : tables::all())
        if (table->key == key)
            return table;
    return nullptr;
}

Bytes entryBytes(std::uint64_t sequence, const JournalEntry& entry)
{
    Writer p;
    p.u64(sequence);
    p.u8(static_cast<std::uint8_t>(entry.kind));
    p.u64(static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(entry.step.time.time_since_epoch()).count()));
    p.text16(entry.step.source);
    p.text16(entry.step.entryLabel);
    p.u16(static_cast<std::uint16_t>(entry.step.records.size()));
    for (const SavedRecord& r : entry.step.records) {
        p.u8(static_cast<std::uint8_t>(r.table->key.size()));
        p.bytes({reinterpret_cast<const std::uint8_t*>(r.table->key.data()), r.table->key.size()});
        p.u16(static_cast<std::uint16_t>(r.index));
        p.u16(static_cast<std::uint16_t>(r.before.size()));
        p.bytes(r.before);
        p.bytes(r.after);
    }
    const Bytes& payload = p.out();
    Writer w;
    w.u32(kEntryMagic);
    w.u32(static_cast<std::uint32_t>(payload.size()));
    w.bytes(payload);
    w.u32(crcOf(payload.data(), payload.size()));
    w.u32(static_cast<std::uint32_t>(payload.size()));
    return std::move(w.out());
}

// One framed entry at `at` whose CRC holds; its payload's place, or false.
bool frameAt(const Bytes& file, std::size_t at, std::size_t& payloadAt, std::size_t& payloadSize)
{
    if (file.size() - at < kEntryFrame || word32At(&file[at]) != kEntryMagic)
        return false;
    const std::uint32_t size = word32At(&file[at + 4]);
    if (size > kMaxPayload || file.size() - at - kEntryFrame < size)
        return false;
    if (crcOf(&file[at + 8], size) != word32At(&file[at + 8 + size]) || word32At(&file[at + 12 + size]) != size)
        return false;
    payloadAt = at + 8;
    payloadSize = size;
    return true;
}

// Whether the bytes from `at` to the file's end are the start of an entry
// that an append left unfinished: the magic (or a part of it), and fewer
// bytes than the length it gives.
bool cutShort(const Bytes& file, std::size_t at)
{
    const std::size_t left = file.size() - at;
    std::uint8_t expected[4];
    for (int i = 0; i < 4; ++i)
        expected[i] = static_cast<std::uint8_t>(kEntryMagic >> (8 * i));
    if (!std::equal(file.begin() + static_cast<std::ptrdiff_t>(at),
                    file.begin() + static_cast<std::ptrdiff_t>(at + std::min<std::size_t>(left, 4)), expected))
        return false;
    if (left < 8)
        return true;
    const std::uint32_t size = word32At(&file[at + 4]);
    return size <= kMaxPayload && left < kEntryFrame + size;
}

// The payload as an entry; false when it does not hold one this program knows.
bool decode(const std::uint8_t* data, std::size_t size, std::uint64_t& sequence, JournalEntry& entry, std::string& why)
{
    Reader r(data, size);
    sequence = r.number(8);
    const auto kind = static_cast<std::uint8_t>(r.number(1));
    const auto ms = static_cast<std::int64_t>(r.number(8));
    entry.step.source = r.text(r.number(2));
    entry.step.entryLabel = r.text(r.number(2));
    const auto count = static_cast<std::size_t>(r.number(2));
    if (!r.ok()) {
        why = "an entry whose contents do not fit its length";
        return false;
    }
    if (kind < 1 || kind > 5) {
        why = "an entry of a kind this program does not know";
        return false;
    }
    entry.kind = static_cast<JournalKind>(kind);
    entry.step.time = std::chrono::system_clock::time_point(std::chrono::milliseconds(ms));
    for (std::size_t i = 0; i < count && r.ok(); ++i) {
        const std::string key = r.text(r.number(1));
        const auto index = static_cast<int>(r.number(2));
        const auto recordSize = static_cast<std::size_t>(r.number(2));
        Bytes before = r.bytes(recordSize);
        Bytes after = r.bytes(recordSize);
        if (!r.ok())
            break;
        const Table* table = tableByKey(key);
        if (!table || recordSize != table->recordSize || index >= table->count) {
            why = "a record of the table \"" + key + "\" this program does not know";
            return false;
        }
        entry.step.records.push_back({table, index, std::move(before), std::move(after)});
    }
    if (!r.ok() || !r.atEnd()) {
        why = "an entry whose contents do not fit its length";
        return false;
    }
    return true;
}

std::string dateStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

Bytes readPart(const fs::path& file, std::uint64_t at, std::size_t count)
{
    std::ifstream in(file, std::ios::binary);
    Bytes bytes(count);
    in.seekg(static_cast<std::streamoff>(at));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    if (!in || static_cast<std::size_t>(in.gcount()) != count)
        return {};
    return bytes;
}

}  // namespace

struct Journal::Parsed {
    enum class State { Missing, Unreadable, Read } state = State::Missing;
    std::string why;                           // when unreadable
    std::uint64_t folded = 0;
    std::vector<JournalEntry> entries;         // every entry, cancelled ones too
    std::vector<std::uint64_t> sequences;
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // each entry's bytes in the file
    std::size_t validEnd = 0;                  // where the last whole entry ends
    bool tornTail = false;
    const Bytes* bytes = nullptr;
};

Journal::Journal(fs::path file, std::size_t bound, std::size_t keptAfterFold)
    : m_file(std::move(file)), m_bound(bound), m_keptAfterFold(std::min(keptAfterFold, bound))
{
}

Journal::Parsed Journal::parse(const Bytes& bytes) const
{
    Parsed parsed;
    parsed.state = Parsed::State::Read;
    parsed.bytes = &bytes;
    if (bytes.size() < kHeadSize || !std::equal(kHeadMagic, kHeadMagic + 8, bytes.begin())
        || crcOf(bytes.data(), 20) != word32At(&bytes[20]) || word32At(&bytes[8]) != kVersion) {
        parsed.state = Parsed::State::Unreadable;
        parsed.why = "its head is not that of a journal this program writes";
        return parsed;
    }
    Reader head(bytes.data() + 12, 8);
    parsed.folded = head.number(8);
    std::size_t at = kHeadSize;
    while (at < bytes.size()) {
        std::size_t payloadAt = 0;
        std::size_t payloadSize = 0;
        if (!frameAt(bytes, at, payloadAt, payloadSize)) {
            // a damaged entry is a torn tail only when nothing whole follows it:
            // a crash can cut the last append short, never one in the middle
            for (std::size_t later = at + 1; later + kEntryFrame <= bytes.size(); ++later) {
                std::size_t a = 0;
                std::size_t b = 0;
                if (word32At(&bytes[later]) == kEntryMagic && frameAt(bytes, later, a, b)) {
                    parsed.state = Parsed::State::Unreadable;
                    parsed.why = "an entry in its middle is damaged";
                    return parsed;
                }
            }
            // and only when the file ends before the entry's own length: an
            // entry of its whole length whose bytes are wrong is damage
            if (!cutShort(bytes, at)) {
                parsed.state = Parsed::State::Unreadable;
                parsed.why = "its last entry is damaged";
                return parsed;
            }
            parsed.tornTail = true;
            break;
        }
        JournalEntry entry;
        std::uint64_t sequence = 0;
        std::string why;
        if (!decode(&bytes[payloadAt], payloadSize, sequence, entry, why)) {
            parsed.state = Parsed::State::Unreadable;
            parsed.why = "it holds " + why;
            return parsed;
        }
        parsed.entries.push_back(std::move(entry));
        parsed.sequences.push_back(sequence);
        parsed.spans.emplace_back(at, payloadSize + kEntryFrame);
        at += payloadSize + kEntryFrame;
        parsed.validEnd = at;
    }
    if (parsed.entries.empty())
        parsed.validEnd = kHeadSize;
    return parsed;
}

std::string Journal::setAside(const std::string& why) const
{
    fs::path aside = m_file;
    aside += ".unreadable-" + dateStamp();
    std::error_code error;
    for (int n = 2; fs::exists(aside, error); ++n) {
        aside = m_file;
        aside += ".unreadable-" + dateStamp() + "-" + std::to_string(n);
    }
    fs::rename(m_file, aside, error);
    if (error)
        return "The journal " + pathToUtf8(m_file) + " cannot be read (" + why + ") and could not be set aside ("
               + error.message() + "): the earlier saves are not listed, and nothing is added to it.";
    return "The journal " + pathToUtf8(m_file) + " cannot be read (" + why + "): it was set aside as "
           + pathToUtf8(aside.filename()) + ", and a new one begins. The earlier saves are not listed.";
}

namespace {

std::vector<std::uint64_t> startsOf(const std::vector<std::pair<std::size_t, std::size_t>>& spans)
{
    std::vector<std::uint64_t> starts;
    for (const auto& [at, size] : spans)
        starts.push_back(at);
    return starts;
}

JournalEntry cancelMark() { return {JournalKind::Cancelled, {{}, {}, "", std::chrono::system_clock::now()}}; }

}  // namespace

JournalContents Journal::load(const RomImage* image) const
{
    JournalContents contents;
    std::error_code error;
    if (!fs::exists(m_file, error))
        return contents;
    const auto bytes = readWholeFile(m_file);
    if (!bytes) {
        contents.notes.push_back("The journal " + pathToUtf8(m_file) + " cannot be read: " + bytes.error());
        return contents;
    }
    const Parsed parsed = parse(*bytes);
    if (parsed.state == Parsed::State::Unreadable) {
        contents.notes.push_back(setAside(parsed.why));
        return contents;
    }
    contents.folded = parsed.folded;
    if (parsed.tornTail)
        contents.notes.push_back("The last entry of the journal " + pathToUtf8(m_file)
                                 + " was cut short (the program ended while writing it); it was dropped. That save "
                                   "was never written to the image.");
    const std::vector<bool> dead = deadEntries(parsed.entries);
    for (std::size_t i = 0; i < parsed.entries.size(); ++i)
        if (!dead[i])
            contents.entries.push_back(parsed.entries[i]);
    if (!image)
        return contents;
    const auto whole = image->readAll();
    if (!whole)
        return contents;
    const auto mark = readImageMark(m_file.parent_path());
    const LastStepJudgement judged = judgeLastStep(parsed.entries, startsOf(parsed.spans), parsed.validEnd, mark, *whole);
    contents.changedOutside = judged.changedOutside;
    const std::string source = parsed.entries.empty() ? std::string() : parsed.entries.back().step.source;
    if (judged.step == LastStep::NeverWritten) {
        contents.entries.pop_back();
        contents.notes.push_back(judged.changedOutside
                                     ? "The last step in the journal (" + source + ") is not in the image, which was "
                                       "changed outside Veldra Forge since: it is left out of the history."
                                     : "The last step in the journal (" + source + ") never reached the image: the "
                                       "program ended before it was written. It is left out of the history.");
    } else if (judged.step == LastStep::Partial) {
        bool taken = false;
        const std::string done = takeBack(*image, taken);
        if (!taken) {
            // still part-way (or settled meanwhile by another): listed as it is, undo refuses it
            if (!done.empty())
                contents.notes.push_back(done);
            return contents;
        }
        JournalContents again = load(image);
        again.notes.insert(again.notes.begin(), contents.notes.begin(), contents.notes.end());
        again.notes.push_back(done);
        return again;
    }
    return contents;
}

std::string Journal::takeBack(const RomImage& image, bool& taken) const
{
    taken = false;
    const auto file = image.openForWriting();
    if (!file)
        return "The last step in the journal reached the image only in part (the program ended while it was "
               "written), and it could not be taken back now: " + file.error();
    // judged again under the writers' lock: a writer may have been part-way through its step a moment ago
    const auto bytes = readWholeFile(m_file);
    const auto whole = file->read(0, static_cast<std::size_t>(file->size()));
    if (!bytes || !whole)
        return {};
    const Parsed parsed = parse(*bytes);
    if (parsed.state != Parsed::State::Read || parsed.entries.empty() || parsed.tornTail)
        return {};
    const auto mark = readImageMark(m_file.parent_path());
    if (judgeLastStep(parsed.entries, startsOf(parsed.spans), parsed.validEnd, mark, *whole).step != LastStep::Partial)
        return {};
    const SaveEntry& step = parsed.entries.back().step;
    const std::string failed = "The last step in the journal (" + step.source + ") reached the image only in part "
                               "(the program ended while it was written), and it could not be taken back: ";
    if (Status kept = keepRestorePointBeforeFirstWrite(*file); !kept)
        return failed + kept.error();
    for (const SavedRecord& r : step.records) {
        const auto position = recordPosition(*r.table, r.index);
        if (Status written = file->write(*position, r.before); !written)
            return failed + written.error();
    }
    if (Status cancelled = appendDurably(m_file, entryBytes(parsed.sequences.back() + 1, cancelMark())); !cancelled)
        return failed + cancelled.error();
    recordImageState(m_file.parent_path(), image.path(), withRecordsBefore(step, *whole));
    taken = true;
    return "The last step in the journal (" + step.source + ") reached the image only in part: the program ended "
           "while it was written. It was taken back, so that the image holds again what it held before that step, "
           "and it is left out of the history.";
}

bool Journal::settled() const
{
    std::error_code error;
    const std::uint64_t size = fs::exists(m_file, error) ? fs::file_size(m_file, error) : 0;
    if (error || size == 0)
        return true;
    const auto mark = readImageMark(m_file.parent_path());
    return mark && mark->journalSize == size;
}

Status Journal::rewrite(const Parsed& parsed, std::size_t dropFront, std::span<const std::uint8_t> tail) const
{
    Bytes out = headBytes(parsed.folded + dropFront);
    for (std::size_t i = dropFront; i < parsed.spans.size(); ++i) {
        const auto [at, size] = parsed.spans[i];
        out.insert(out.end(), parsed.bytes->begin() + static_cast<std::ptrdiff_t>(at),
                   parsed.bytes->begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    out.insert(out.end(), tail.begin(), tail.end());
    return writeNewFile(m_file, out, Existing::Replace);
}

Status Journal::append(const JournalEntry& entry, const RomImage& imageNow) const
{
    std::error_code error;
    fs::create_directories(m_file.parent_path(), error);
    if (error)
        return Status::failure("cannot keep the save in the journal: cannot make the folder "
                               + pathToUtf8(m_file.parent_path()) + ": " + error.message());
    const auto refuse = [](const std::string& why) { return Status::failure("cannot keep the save in the journal: " + why); };

    // the last entry, found from the file's end
    const std::uint64_t size = fs::exists(m_file, error) ? fs::file_size(m_file, error) : 0;
    if (error)
        return refuse(pathToUtf8(m_file) + ": " + error.message());
    bool whole = false;
    std::uint64_t lastSequence = 0;
    std::uint64_t folded = 0;
    JournalEntry last;
    if (size >= kHeadSize + kEntryFrame) {
        const Bytes head = readPart(m_file, 0, kHeadSize);
        const Bytes end = readPart(m_file, size - 4, 4);
        if (head.size() == kHeadSize && end.size() == 4 && std::equal(kHeadMagic, kHeadMagic + 8, head.begin())
            && crcOf(head.data(), 20) == word32At(&head[20])) {
            folded = Reader(head.data() + 12, 8).number(8);
            const std::uint64_t payloadSize = word32At(end.data());
            if (payloadSize <= kMaxPayload && size >= kHeadSize + kEntryFrame + payloadSize) {
                const Bytes frame = readPart(m_file, size - kEntryFrame - payloadSize, kEntryFrame + payloadSize);
                std::size_t at = 0;
                std::size_t n = 0;
                std::string why;
                whole = frame.size() == kEntryFrame + payloadSize && frameAt(frame, 0, at, n)
                        && decode(&frame[at], n, lastSequence, last, why);
            }
        }
    }
    bool fresh = size == 0;  // the head goes in first
    Bytes tail;
    std::uint64_t next = 0;
    std::uint64_t count = 0;
    std::optional<Parsed> parsed;
    Bytes all;
    if (!fresh && !whole) {
        // a torn tail, a journal of only its head, or one that cannot be read: the slow road
        auto bytes = readWholeFile(m_file);
        if (!bytes)
            return refuse(bytes.error());
        all = std::move(*bytes);
        parsed = parse(all);
        if (parsed->state == Parsed::State::Unreadable) {
            const std::string note = setAside(parsed->why);
            if (fs::exists(m_file, error))
                return refuse(note);
            parsed.reset();
            fresh = true;
            folded = 0;
        } else {
            folded = parsed->folded;
            if (!parsed->entries.empty()) {
                last = parsed->entries.back();
                lastSequence = parsed->sequences.back();
            }
        }
    }
    const bool hasLast = (whole || (parsed && !parsed->entries.empty()));
    bool cancelLastStep = false;
    if (hasLast && last.kind != JournalKind::Cancelled) {
        // the last step is pending when its state was not recorded after it
        const auto mark = readImageMark(m_file.parent_path());
        if (!mark || mark->journalSize != (parsed ? parsed->validEnd : size)) {
            if (!parsed) {
                auto bytes = readWholeFile(m_file);
                if (!bytes)
                    return refuse(bytes.error());
                all = std::move(*bytes);
                parsed = parse(all);
                if (parsed->state != Parsed::State::Read || parsed->entries.empty())
                    return refuse("its entries changed while it was read");
            }
            const auto image = imageNow.readAll();
            if (!image)
                return refuse(image.error());
            const LastStepJudgement judged = judgeLastStep(parsed->entries, startsOf(parsed->spans), parsed->validEnd, mark, *image);
            if (judged.step == LastStep::Partial)
                return refuse("its last step reached the image only in part (the program ended while it was written); "
                              "open the image again to take it back");
            cancelLastStep = judged.step == LastStep::NeverWritten;
            // the state now is the one the next step starts from
            if ((judged.step == LastStep::NeverWritten || judged.step == LastStep::Reached) && !judged.changedOutside
                && !parsed->tornTail)
                recordImageState(m_file.parent_path(), imageNow.path(), *image);
        }
    }
    if (hasLast) {
        next = lastSequence + 1;
        count = next - folded;
        if (cancelLastStep) {
            tail = entryBytes(next++, cancelMark());
            ++count;
        }
    } else {
        next = folded;
    }
    const Bytes added = entryBytes(next, entry);
    tail.insert(tail.end(), added.begin(), added.end());
    ++count;

    if (parsed && (parsed->tornTail || count > m_bound)) {
        const std::size_t drop = count > m_bound ? foldAt(*parsed, entry, cancelLastStep, count) : 0;
        if (Status done = rewrite(*parsed, drop, tail); !done)
            return refuse(done.error());
        return success();
    }
    if (count > m_bound) {
        auto bytes = readWholeFile(m_file);
        if (!bytes)
            return refuse(bytes.error());
        all = std::move(*bytes);
        parsed = parse(all);
        if (parsed->state != Parsed::State::Read)
            return refuse("its entries changed while it was read");
        const std::size_t drop = foldAt(*parsed, entry, cancelLastStep, count);
        if (Status done = rewrite(*parsed, drop, tail); !done)
            return refuse(done.error());
        return success();
    }
    if (fresh) {
        Bytes start = headBytes(folded);
        start.insert(start.end(), tail.begin(), tail.end());
        tail = std::move(start);
    }
    if (Status done = appendDurably(m_file, tail); !done)
        return refuse(done.error());
    return success();
}

std::size_t Journal::foldAt(const Parsed& parsed, const JournalEntry& entry, bool cancelFirst, std::uint64_t count) const
{
    std::vector<JournalEntry> entries = parsed.entries;
    if (cancelFirst)
        entries.push_back(cancelMark());
    entries.push_back(entry);
    const std::size_t least = count > m_keptAfterFold ? static_cast<std::size_t>(count - m_keptAfterFold) : 0;
    return foldCut(entries, parsed.spans.size(), least, m_bound);
}

Status Journal::cancelLast() const
{
    std::error_code error;
    const std::uint64_t size = fs::file_size(m_file, error);
    if (error || size < kHeadSize + kEntryFrame)
        return Status::failure("the journal has no entry to cancel");
    const Bytes end = readPart(m_file, size - 4, 4);
    if (end.size() != 4)
        return Status::failure("cannot read the journal " + pathToUtf8(m_file));
    const std::uint64_t payloadSize = word32At(end.data());
    const Bytes frame = readPart(m_file, size - kEntryFrame - payloadSize, kEntryFrame + payloadSize);
    std::size_t at = 0;
    std::size_t n = 0;
    std::uint64_t sequence = 0;
    JournalEntry last;
    std::string why;
    if (frame.empty() || !frameAt(frame, 0, at, n) || !decode(&frame[at], n, sequence, last, why))
        return Status::failure("cannot read the last entry of the journal " + pathToUtf8(m_file));
    return appendDurably(m_file, entryBytes(sequence + 1, {JournalKind::Cancelled, {{}, {}, "", std::chrono::system_clock::now()}}));
}

void replayEntry(SaveHistory& history, const JournalEntry& entry)
{
    switch (entry.kind) {
    case JournalKind::Save: history.record(entry.step, false); break;
    case JournalKind::JoinedSave: history.record(entry.step, true); break;
    case JournalKind::Undo: history.replayUndo(); break;
    case JournalKind::Redo: history.replayRedo(); break;
    case JournalKind::Cancelled: break;
    }
}

SaveHistory historyFrom(std::span<const JournalEntry> entries)
{
    SaveHistory history;
    for (const JournalEntry& entry : entries)
        replayEntry(history, entry);
    return history;
}

#include "rom/formats/bps_patch.h"
#include "rom/formats/crc32.h"
#include "rom/formats/ips_patch.h"
#include "rom/formats/patch_format.h"
#include "rom/sample_image.h"
#include "rom/tables.h"

#include <doctest/doctest.h>

#include <functional>
#include <string>

using Bytes = std::vector<std::uint8_t>;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes le32(std::uint32_t v) { return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}; }

Bytes number(std::uint64_t value)
{
    Bytes out;
    appendBpsNumber(out, value);
    return out;
}

// A BPS around hand-written actions, with true CRC32s unless told otherwise:
// the checks behind the patch's own CRC32 are only reached by such patches.
Bytes handBps(const Bytes& source, std::uint64_t targetSize, const Bytes& actions, std::uint32_t targetCrc,
              std::optional<std::uint64_t> sourceSize = std::nullopt)
{
    Bytes patch = cat({text("BPS1"), number(sourceSize.value_or(source.size())), number(targetSize), number(0), actions,
                       le32(crc32Of(source)), le32(targetCrc)});
    return cat({patch, le32(crc32Of(patch))});
}

Bytes action(int kind, std::uint64_t length) { return number((length - 1) << 2 | std::uint64_t(kind)); }
Bytes relative(std::int64_t delta) { return number(std::uint64_t(delta < 0 ? -delta : delta) << 1 | (delta < 0)); }

// An image this size is needed for an edit at the offset IPS cannot start a record at.
Bytes bigImage()
{
    Bytes image = makeSampleImage();
    const Bytes copy = image;
    image.insert(image.end(), copy.begin(), copy.begin() + 0x100000);
    return image;
}

void fill(Bytes& image, std::size_t at, std::size_t count, std::uint8_t value)
{
    std::fill_n(image.begin() + std::ptrdiff_t(at), count, value);
}

// Changes every byte of the stretch, to values that seldom repeat.
void scramble(Bytes& image, std::size_t at, std::size_t count)
{
    for (std::size_t k = 0; k < count; ++k)
        image[at + k] ^= std::uint8_t(1 + k % 255);
}

}  // namespace

TEST_CASE("numbersAreEncodedAsTheFormatDefines")
{
    struct Row {
        const char* name;
        std::uint64_t value;
        Bytes encoded;
    };
    const Row rows[] = {
        {"0", std::uint64_t(0), Bytes{0x80}},
        {"127", std::uint64_t(127), Bytes{0xFF}},
        {"128", std::uint64_t(128), Bytes{0x00, 0x80}},
        {"16511", std::uint64_t(16511), Bytes{0x7F, 0xFF}},
        {"16512", std::uint64_t(16512), Bytes{0x00, 0x00, 0x80}},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& value = row.value;
        const auto& encoded = row.encoded;

        REQUIRE_EQ(number(value), encoded);
        // read back as a target size: an image of `value` zero bytes from nothing
        if (value <= 16512) {
            const Bytes target(value, 0);
            Bytes actions;
            if (value > 0)
                actions = cat({action(1, 1), {0}, value > 1 ? cat({action(3, value - 1), relative(0)}) : Bytes{}});
            const auto applied = applyBps({}, handBps({}, value, actions, crc32Of(target)));
            REQUIRE_MESSAGE(applied.ok(), applied.error().c_str());
            REQUIRE_EQ(applied->size(), std::size_t(value));
        }
    }
}

TEST_CASE("crc32MatchesTheKnownValues")
{
    REQUIRE_EQ(crc32Of(text("ABCDEFGH")), 0x68DCB61Cu);
    REQUIRE_EQ(crc32Of(text("123456789")), 0xCBF43926u);
    REQUIRE_EQ(crc32Of({}), 0u);
}

TEST_CASE("handMadeBpsUsesAllFourActions")
{
    // source ABCDEFGH, target ABC + XY + YYY (target copy of the Y, reading
    // what it writes) + GH (source copy forward) + AB (source copy back)
    const Bytes patch = cat({text("BPS1"), {0x88, 0x8C, 0x83}, text("hi!"), {0x88, 0x85}, text("XY"),
                             {0x8B, 0x88, 0x86, 0x8C, 0x86, 0x91}, {0x1C, 0xB6, 0xDC, 0x68, 0x1B, 0x90, 0x6C, 0x09},
                             {0x76, 0x7C, 0x74, 0x69}});
    std::string metadata;
    const auto applied = applyBps(text("ABCDEFGH"), patch, &metadata);
    REQUIRE_MESSAGE(applied.ok(), applied.error().c_str());
    REQUIRE_EQ(*applied, text("ABCXYYYYGHAB"));
    REQUIRE_EQ(metadata, std::string("hi!"));
}

TEST_CASE("createdBpsHasTheExpectedBytes")
{
    // source read 4, target read "x", source read 3, then the three CRC32s
    const Bytes expected{0x42, 0x50, 0x53, 0x31, 0x88, 0x88, 0x80, 0x8C, 0x81, 0x78, 0x88, 0x1C,
                         0xB6, 0xDC, 0x68, 0x60, 0x96, 0x9D, 0x6A, 0x3D, 0xCA, 0xA7, 0x44};
    REQUIRE_EQ(createBps(text("ABCDEFGH"), text("ABCDxFGH")), expected);
}

TEST_CASE("handMadeIpsAppliesRecordsRunsAndTruncation")
{
    const Bytes source(16, 0x11);
    const Bytes records = cat({text("PATCH"), {0, 0, 2, 0, 2}, text("AB"), {0, 0, 8, 0, 0, 0, 5}, text("Z")});
    auto applied = applyIps(source, cat({records, text("EOF")}));
    REQUIRE_MESSAGE(applied.ok(), applied.error().c_str());
    Bytes expected = source;
    expected[2] = 'A';
    expected[3] = 'B';
    fill(expected, 8, 5, 'Z');
    REQUIRE_EQ(*applied, expected);

    applied = applyIps(source, cat({records, text("EOF"), {0, 0, 10}}));
    REQUIRE_MESSAGE(applied.ok(), applied.error().c_str());
    REQUIRE_EQ(*applied, Bytes(expected.begin(), expected.begin() + 10));

    // a record past the end makes the image longer
    applied = applyIps(source, cat({text("PATCH"), {0, 0, 17, 0, 1}, text("E"), text("EOF")}));
    REQUIRE_MESSAGE(applied.ok(), applied.error().c_str());
    REQUIRE_EQ(applied->size(), std::size_t(18));
    REQUIRE_EQ((*applied)[16], std::uint8_t(0));
    REQUIRE_EQ((*applied)[17], std::uint8_t('E'));
}

TEST_CASE("createdIpsHasTheExpectedBytes")
{
    const Bytes source(32, 0);
    Bytes target = source;
    target[3] = 1;
    fill(target, 10, 10, 7);  // long enough for a run-length record
    const auto patch = createIps(source, target);
    REQUIRE(patch.ok());
    REQUIRE_EQ(*patch, cat({text("PATCH"), {0, 0, 3, 0, 1, 1}, {0, 0, 10, 0, 0, 0, 10, 7}, text("EOF")}));
    // shorter target: the truncation length follows EOF
    const auto shorter = createIps(source, Bytes(source.begin(), source.begin() + 20));
    REQUIRE(shorter.ok());
    REQUIRE_EQ(*shorter, cat({text("PATCH"), text("EOF"), {0, 0, 20}}));
}

TEST_CASE("roundTrips")
{
    const Bytes sample = makeSampleImage();
    auto edited = [&](const Bytes& base, const std::function<void(Bytes&)>& edit) {
        Bytes b = base;
        edit(b);
        return b;
    };
    const Bytes big = bigImage();
    struct Row {
        const char* name;
        Bytes source;
        Bytes target;
    };
    const Row rows[] = {
        {"unchanged", sample, sample},
        {"first and last byte", sample, edited(sample, [](Bytes& b) {
                b.front() ^= 0xFF;
                b.back() ^= 0xFF;
            })},
        {"one value over 0xFFFF+ bytes", sample, edited(sample, [](Bytes& b) { fill(b, 0x20000, 0x12345, 0); })},
        {"0xFFFF+ changed bytes", sample, edited(sample, [](Bytes& b) { scramble(b, 0x30001, 0x1FFFF); })},
        {"whole image changed", sample, edited(sample, [](Bytes& b) { scramble(b, 0, b.size()); })},
        {"longer", sample, edited(sample, [](Bytes& b) {
                b.insert(b.end(), 0x8000, 0xEE);
                b.insert(b.end(), {1, 2, 3});
            })},
        {"shorter", sample, edited(sample, [](Bytes& b) {
                b.resize(0x300000);
                b[0x123] ^= 1;
            })},
        {"empty target", sample, Bytes{}},
        {"from nothing", Bytes{}, edited(sample, [](Bytes& b) { b.resize(0x1000); })},
        {"byte at 0x454F46", big, edited(big, [](Bytes& b) { b[kIpsEofOffset] ^= 0x40; })},
        {"run from 0x454F46", big, edited(big, [](Bytes& b) { fill(b, kIpsEofOffset, 40, 0xAB); })},
        {"run up to 0x454F46", big, edited(big, [](Bytes& b) {
                fill(b, kIpsEofOffset - 40, 40, 0xAB);
                scramble(b, kIpsEofOffset, 3);
            })},
        {"0xFFFF split at 0x454F46", big, edited(big, [](Bytes& b) { scramble(b, kIpsEofOffset - 0xFFFF, 0x20000); })},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& source = row.source;
        const auto& target = row.target;

        const auto bps = applyBps(source, createBps(source, target));
        REQUIRE_MESSAGE(bps.ok(), bps.error().c_str());
        REQUIRE(*bps == target);
        const auto ips = createIps(source, target);
        REQUIRE_MESSAGE(ips.ok(), ips.error().c_str());
        const auto applied = applyIps(source, *ips);
        REQUIRE_MESSAGE(applied.ok(), applied.error().c_str());
        REQUIRE(*applied == target);
    }
}

TEST_CASE("ipsNeverStartsARecordAtTheEofOffset")
{
    const Bytes source = bigImage();
    for (int variant = 0; variant < 3; ++variant) {
        Bytes target = source;
        if (variant == 0)
            target[kIpsEofOffset] ^= 1;
        else if (variant == 1)
            scramble(target, kIpsEofOffset - 0xFFFF, 0x20000);
        else
            fill(target, kIpsEofOffset - 30, 30, 0x42), scramble(target, kIpsEofOffset, 2);
        const auto patch = createIps(source, target);
        REQUIRE(patch.ok());
        const Bytes& p = *patch;
        std::size_t at = 5;
        while (!(p[at] == 'E' && p[at + 1] == 'O' && p[at + 2] == 'F')) {
            const std::uint32_t offset = p[at] << 16 | p[at + 1] << 8 | p[at + 2];
            REQUIRE_MESSAGE(offset != kIpsEofOffset, ("variant " + std::to_string(variant)).c_str());
            const std::size_t length = p[at + 3] << 8 | p[at + 4];
            at += length == 0 ? 8 : 5 + length;
        }
        REQUIRE_EQ(at + 3, p.size());  // nothing after the real EOF
    }
}

TEST_CASE("scatteredEditsMakeSmallPatches")
{
    const Bytes source = makeSampleImage();
    Bytes target = source;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < 60; ++i) {
        const std::size_t length = 1 + (i * 7) % 20;  // 1..20, 630 bytes in all
        const std::size_t at = 4096 + i * (source.size() / 61) + (i * 37) % 500;
        for (std::size_t k = 0; k < length; ++k)
            target[at + k] = std::uint8_t(source[at + k] ^ (0x55 + k));
        changed += length;
    }
    REQUIRE_EQ(changed, std::size_t(630));
    const Bytes bps = createBps(source, target);
    REQUIRE_MESSAGE(bps.size() < 900, std::to_string(bps.size()).c_str());
    const auto ips = createIps(source, target);
    REQUIRE(ips.ok());
    REQUIRE_MESSAGE(ips->size() < 1000, std::to_string(ips->size()).c_str());
    // nearby edits are carried as one stretch when that is smaller
    Bytes close = source;
    close[100] ^= 1;
    close[102] ^= 1;
    REQUIRE_EQ(createIps(source, close)->size(), std::size_t(5 + 5 + 3 + 3));
}

TEST_CASE("bpsRefusals")
{
    const Bytes src = text("ABCDEFGH");
    const Bytes good = createBps(src, text("ABCDxFGH"));
    const std::uint32_t tgtCrc = crc32Of(text("ABCDxFGH"));
    Bytes wrongMagic = good;
    wrongMagic[3] = '2';
    Bytes flipped = good;
    flipped[9] ^= 1;
    const Bytes longMetadata = cat({text("BPS1"), number(8), number(8), number(40), le32(crc32Of(src)), le32(0)});
    struct Row {
        const char* name;
        Bytes source;
        Bytes patch;
        std::string reason;
    };
    const Row rows[] = {
        {"wrong magic", src, wrongMagic, "does not start with \"BPS1\""},
        {"too short", src, Bytes(good.begin(), good.begin() + 10), "truncated"},
        {"truncated", src, Bytes(good.begin(), good.end() - 3), "damaged or truncated"},
        {"damaged", src, flipped, "damaged or truncated: its CRC32 is"},
        {"target over 64 MiB", src, handBps(src, (64u << 20) + 1, {}, 0), "more than the 64 MiB allowed"},
        {"metadata past the end", src, cat({longMetadata, le32(crc32Of(longMetadata))}), "run past its actions"},
        {"source size differs", src, handBps(src, 8, action(0, 8), tgtCrc, 9), "image of 9 bytes"},
        {"source read past the image", src, handBps(src, 12, action(0, 12), 0), "source read reads past the end of the image"},
        {"target read past the patch", src, handBps(src, 8, cat({action(1, 8), text("abc")}), 0), "target read reads past the end of the patch"},
        {"source copy before the image", src, handBps(src, 2, cat({action(2, 2), relative(-1)}), 0), "source copy reads outside the image"},
        {"source copy past the image", src, handBps(src, 4, cat({action(2, 4), relative(6)}), 0), "source copy reads outside the image"},
        {"target copy of unwritten bytes", src, handBps(src, 8, cat({action(0, 2), action(3, 2), relative(2)}), 0), "target copy reads outside the result written so far"},
        {"action past the result", src, handBps(src, 4, action(0, 8), 0), "writes past the end of the result"},
        {"actions fall short", src, handBps(src, 8, action(0, 4), 0), "its actions make 4 of the 8 bytes"},
        {"endless number", src, handBps(src, 8, Bytes(12, 0x00), 0), "runs into the CRC32s"},
        {"result CRC", src, handBps(src, 8, action(0, 8), tgtCrc), "the result has CRC32 68DCB61C, but the patch expects"},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& source = row.source;
        const auto& patch = row.patch;
        const auto& reason = row.reason;

        const auto applied = applyBps(source, patch);
        REQUIRE(!applied.ok());
        REQUIRE_MESSAGE(contains(applied.error(), reason), applied.error().c_str());
    }
}

TEST_CASE("bpsForAnotherImageNamesBothCrcs")
{
    const Bytes patch = createBps(text("ABCDEFGH"), text("ABCDxFGH"));
    const auto applied = applyBps(text("123456789"), patch);
    REQUIRE(!applied.ok());
    REQUIRE_EQ(applied.error(), std::string("the patch was made for an image with CRC32 68DCB61C; this one has CBF43926"));
}

TEST_CASE("ipsRefusals")
{
    struct Row {
        const char* name;
        Bytes patch;
        std::string reason;
    };
    const Row rows[] = {
        {"wrong magic", text("PATCX"), "does not start with \"PATCH\""},
        {"no EOF", cat({text("PATCH"), {0, 0, 1, 0, 1, 9}}), "truncated: it ends without \"EOF\""},
        {"header cut off", cat({text("PATCH"), {0, 0, 1, 0}}), "truncated: a record's header is cut off"},
        {"bytes cut off", cat({text("PATCH"), {0, 0, 1, 0, 9, 1, 2, 3}, text("EOF")}), "truncated: a record's bytes run past the end"},
        {"run cut off", cat({text("PATCH"), {0, 0, 1, 0, 0, 0}}), "truncated: a run-length record is cut off"},
        {"empty run", cat({text("PATCH"), {0, 0, 1, 0, 0, 0, 0, 7}, text("EOF")}), "run-length record of no bytes"},
        {"bytes after EOF", cat({text("PATCH"), text("EOF"), {1, 2}}), "2 bytes follow \"EOF\""},
        {"cut past the end", cat({text("PATCH"), text("EOF"), {0, 0, 17}}), "cuts the result to 17 bytes"},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& patch = row.patch;
        const auto& reason = row.reason;

        const auto applied = applyIps(Bytes(16, 0), patch);
        REQUIRE(!applied.ok());
        REQUIRE_MESSAGE(contains(applied.error(), reason), applied.error().c_str());
    }
}

TEST_CASE("ipsIsRefusedForImagesOver16MiB")
{
    const Bytes small(16, 0);
    const Bytes large((16u << 20) + 1, 0);
    for (const auto& [source, target] : {std::pair{&small, &large}, std::pair{&large, &small}}) {
        const auto patch = createIps(*source, *target);
        REQUIRE(!patch.ok());
        REQUIRE_MESSAGE(contains(patch.error(), "16 MiB"), patch.error().c_str());
    }
    REQUIRE(createIps(Bytes(16u << 20, 0), Bytes(16u << 20, 1)).ok());
}

TEST_CASE("formatsAreToldApart")
{
    REQUIRE_EQ(patchFormatFromExtension("hack.BPS"), std::optional(PatchFormat::Bps));
    REQUIRE_EQ(patchFormatFromExtension("dir.ips/hack.ips"), std::optional(PatchFormat::Ips));
    REQUIRE_EQ(patchFormatFromExtension("hack.zip"), std::optional<PatchFormat>());
    REQUIRE_EQ(patchFormatFromExtension("bps"), std::optional<PatchFormat>());
    const Bytes src = text("ABCDEFGH");
    const Bytes dst = text("ABCDxFGH");
    REQUIRE_EQ(*applyPatch(src, createBps(src, dst)), dst);
    REQUIRE_EQ(*applyPatch(src, *createIps(src, dst)), dst);
    const auto neither = applyPatch(src, text("PK\x03\x04"));
    REQUIRE(!neither.ok());
    REQUIRE(contains(neither.error(), "not a patch"));
}


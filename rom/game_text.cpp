#include "rom/game_text.h"

#include "rom/history/image_state.h"
#include "rom/history/restore_points.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::array<std::string_view, 256> buildCharTable()
{
    static constexpr std::string_view upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static constexpr std::string_view lower = "abcdefghijklmnopqrstuvwxyz";
    static constexpr std::string_view digits = "0123456789";
    std::array<std::string_view, 256> t{};
    for (std::size_t i = 0; i < 26; ++i) {
        t[0xA0 + i] = upper.substr(i, 1);
        t[0xBA + i] = lower.substr(i, 1);
    }
    for (std::size_t i = 0; i < 10; ++i)
        t[0xD4 + i] = digits.substr(i, 1);
    t[0xDE] = "!";
    t[0xDF] = "?";
    t[0xE1] = "`";
    t[0xE2] = "'";
    t[0xE3] = ":";
    t[0xE7] = "'";  // a second apostrophe; encoding always picks 0xE2
    t[0xE8] = ".";
    t[0xE9] = ",";
    t[0xEF] = " ";
    t[0xF1] = "...";  // one byte, never produced by encoding
    return t;
}

// Splits UTF-8 into characters (code point sequences); a broken sequence counts
// as one character of its own, which has no code.
std::vector<std::string_view> characters(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
        if (i + len > text.size())
            len = text.size() - i;
        out.push_back(text.substr(i, len));
        i += len;
    }
    return out;
}

}  // namespace

const std::array<std::string_view, 256>& CharTable()
{
    static const std::array<std::string_view, 256> table = buildCharTable();
    return table;
}

std::string decodeGameText(std::span<const std::uint8_t> bytes)
{
    std::string s;
    for (std::uint8_t b : bytes)
        s += CharTable()[b];
    return s;
}

void encodeGameText(std::string_view text, std::span<std::uint8_t> slot)
{
    const auto& table = CharTable();
    auto chars = characters(text);
    while (chars.size() < slot.size())
        chars.emplace_back(" ");
    for (std::size_t i = 0; i < slot.size(); ++i) {
        for (std::size_t code = 0; code < table.size(); ++code) {
            if (!table[code].empty() && table[code] == chars[i]) {
                slot[i] = static_cast<std::uint8_t>(code);
                break;
            }
        }
    }
}

Status checkGameText(std::string_view text, std::size_t length, std::string_view label)
{
    const auto chars = characters(text);
    if (chars.size() > length)
        return Status::failure(std::string(label) + " \"" + std::string(text) + "\" has " + std::to_string(chars.size())
                               + " characters; the slot holds " + std::to_string(length) + ".");
    const auto& table = CharTable();
    for (std::string_view c : chars)
        if (std::none_of(table.begin(), table.end(), [c](std::string_view code) { return !code.empty() && code == c; }))
            return Status::failure(std::string(label) + " \"" + std::string(text) + "\": the character \"" + std::string(c)
                                   + "\" has no code in the game's text.");
    return success();
}

Result<std::string> ReadGameText(const RomImage& image, std::int32_t position, std::int16_t count)
{
    if (position < 0 || count < 0)
        return Result<std::string>::failure("no text slot at a negative position or length");
    auto bytes = image.read(static_cast<std::uint32_t>(position), static_cast<std::size_t>(count));
    if (!bytes)
        return Result<std::string>::failure(bytes.error());
    return decodeGameText(*bytes);
}

Status WriteGameText(const RomImage& image, std::int32_t position, std::string_view text, std::int16_t length)
{
    if (position < 0 || length < 0)
        return Status::failure("no text slot at a negative position or length");
    // the slot is read and written in one open under the writers' lock
    const auto file = image.openForWriting();
    if (!file)
        return Status::failure(file.error());
    auto slot = file->read(static_cast<std::uint32_t>(position), static_cast<std::size_t>(length));
    if (!slot)
        return Status::failure(slot.error());
    encodeGameText(text, slot.value());
    if (const Status kept = keepRestorePointBeforeFirstWrite(*file); !kept)
        return kept;
    if (Status written = file->write(static_cast<std::uint32_t>(position), *slot); !written)
        return written;
    recordImageWritten(*file);
    return success();
}

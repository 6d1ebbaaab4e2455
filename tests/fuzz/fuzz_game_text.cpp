// Fuzz target: the game text codec both ways. The input is decoded as the
// bytes of a name slot, and encoded as the UTF-8 text a user typed.
#include "tests/fuzz/fuzz_check.h"

#include "rom/game_text.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

// Whether the codec has a code for this character.
bool encodable(std::string_view character)
{
    static const std::set<std::string_view> characters = [] {
        std::set<std::string_view> all;
        for (std::string_view c : CharTable())
            if (!c.empty())
                all.insert(c);
        return all;
    }();
    return characters.count(character) != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // a name slot holds 11 bytes; far longer inputs only repeat the same paths, slowly
    if (size > 1024)
        return 0;
    const std::span<const std::uint8_t> bytes(data, size);

    // bytes to text: every byte gives its own character or nothing
    const std::string decoded = decodeGameText(bytes);
    FUZZ_CHECK(decoded.size() <= 3 * size);

    // text to bytes, over a slot of 11 bytes (a name) holding a marker
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint8_t> slot(11, 0x00);
    encodeGameText(text, slot);
    for (std::uint8_t b : slot)  // each byte is a character's code or the marker left in place
        FUZZ_CHECK(b == 0x00 || !CharTable()[b].empty());

    // a text of encodable single characters comes back as typed, padded with blanks
    bool plain = text.size() <= slot.size();
    for (char c : text)
        plain = plain && encodable(std::string_view(&c, 1));
    if (plain) {
        std::vector<std::uint8_t> fresh(slot.size(), 0xEF);
        encodeGameText(text, fresh);
        FUZZ_CHECK(decodeGameText(fresh) == text + std::string(slot.size() - text.size(), ' '));
    }

    // decoding what was encoded from a decoded slot gives the same text again
    std::vector<std::uint8_t> again(size, 0xEF);
    encodeGameText(decoded, again);
    const std::string redecoded = decodeGameText(again);
    if (decoded.find("...") == std::string::npos && decoded.size() <= size)
        FUZZ_CHECK(redecoded.substr(0, decoded.size()) == decoded);
    return 0;
}

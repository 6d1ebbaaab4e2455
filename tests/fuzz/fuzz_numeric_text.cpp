// Fuzz target: the numeric text reader, the entry-field rules and the
// save-time conversions, over any text a user may type or paste.
#include "tests/fuzz/fuzz_check.h"

#include "rom/numeric_text.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

void checkText(const std::string& text, Notation notation)
{
    const auto value = numericValue(text, notation);
    FUZZ_CHECK(!value || !std::isnan(*value));
    if (value) {
        const auto whole = roundHalfEven(*value);
        if (whole)
            FUZZ_CHECK(std::fabs(double(*whole) - *value) <= 0.5);
    }

    for (EntryRule rule : {EntryRule::None, EntryRule::ClampedByte, EntryRule::OpenEnded, EntryRule::NonNegative}) {
        const std::string ruled = applyEntryRule(rule, text, notation);
        // the rule's own re-run on the text it set changes nothing further
        FUZZ_CHECK(applyEntryRule(rule, ruled, notation) == ruled);
        if (rule != EntryRule::None && rule != EntryRule::NonNegative)
            FUZZ_CHECK(!ruled.empty());
        if (ruled != text)
            FUZZ_CHECK(ruled == "0" || ruled == "255");
    }

    const auto byte = byteFromText(text, "Field", notation);
    const auto word = wordFromText(text, "Field", notation);
    const auto whole = wholeFromText(text, "Field", -32768, 32767, notation);
    // a value that fits a byte fits a word, with the same number
    if (byte) {
        FUZZ_CHECK(word && *word == *byte);
        FUZZ_CHECK(whole && *whole == *byte);
    }
    if (word)
        FUZZ_CHECK(value && *value > -0.5 - 1e-9 && *value < 65535.5 + 1e-9);
    if (!byte)
        FUZZ_CHECK(byte.error().find("Field must be a whole number from 0 to 255") == 0);
    if (!word)
        FUZZ_CHECK(word.error().find(std::string(kWordConversionError)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkText(text, Notation::Window);
    checkText(text, Notation::Tool);
    // the tool takes every text the windows take, with the same value
    const auto window = numericValue(text, Notation::Window);
    const auto tool = numericValue(text, Notation::Tool);
    if (window)
        FUZZ_CHECK(tool && (*tool == *window || (std::isinf(*tool) && std::isinf(*window))));
    return 0;
}

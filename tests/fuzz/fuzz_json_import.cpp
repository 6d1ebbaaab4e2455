// Fuzz target: the JSON import reader of veldra-cli, over any file a user may
// hand to `veldra-cli import`, and the plan of its edits.
#include "tests/fuzz/import_check.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ImportReading reading = readJsonImport(text);
    checkText(text, reading);
    checkReading(reading);
    return 0;
}

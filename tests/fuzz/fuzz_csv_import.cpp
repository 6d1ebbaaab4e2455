// Fuzz target: the CSV reader and the CSV import of veldra-cli. The first byte
// picks the table the rows are for; the rest is the file.
#include "tests/fuzz/import_check.h"

#include "cli/csv.h"
#include "rom/field_keys.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto tables = keyedTables();
    const std::string_view table = tables[data[0] % tables.size()].key();
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    // what the reader reads, written again field by field, reads back the same
    if (const auto records = parseCsv(text)) {
        std::string again;
        for (const CsvRecord& record : *records) {
            for (std::size_t i = 0; i < record.size(); ++i)
                again += (i ? "," : "") + csvField(record[i].text);
            again += "\r\n";
        }
        const auto reread = parseCsv(again);
        FUZZ_CHECK(reread.ok());
        FUZZ_CHECK(reread->size() == records->size());
        for (std::size_t r = 0; r < records->size(); ++r) {
            FUZZ_CHECK((*reread)[r].size() == (*records)[r].size());
            for (std::size_t f = 0; f < (*records)[r].size(); ++f)
                FUZZ_CHECK((*reread)[r][f].text == (*records)[r][f].text);
        }
    } else {
        FUZZ_CHECK(!records.error().empty());
    }
    const ImportReading reading = readCsvImport(text, table);
    checkText(text, reading);
    checkReading(reading);
    return 0;
}

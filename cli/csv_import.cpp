// The CSV import reader (the JSON one is in json_import.cpp).
#include "cli/import_reader.h"

#include "cli/csv.h"
#include "cli/value_text.h"
#include "rom/field_keys.h"

#include <charconv>
#include <set>

namespace {

std::string jsonQuoted(std::string_view s) { return Json(std::string(s)).dump(-1, ' ', false, Json::error_handler_t::replace); }

bool indexFromText(std::string_view text, std::int64_t& index)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

std::string lowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    return lower;
}

}  // namespace

bool isCsvName(std::string_view fileName) { return fileName.size() > 4 && lowerAscii(fileName).ends_with(".csv"); }

std::string tableOfCsvName(std::string_view fileName)
{
    if (!isCsvName(fileName))
        return {};
    const KeyedTable* table = findKeyedTable(lowerAscii(fileName.substr(0, fileName.size() - 4)));
    return table ? std::string(table->key()) : std::string();
}

ImportReading readCsvImport(std::string_view text, std::string_view tableKey)
{
    ImportReading out;
    const KeyedTable* table = findKeyedTable(tableKey);
    if (!table) {
        out.refusals.push_back({"the file", "there is no table named " + jsonQuoted(tableKey)});
        return out;
    }
    std::string converted;
    if (auto fault = readAsUtf8(text, converted)) {
        out.refusals.push_back(std::move(*fault));
        return out;
    }
    // spreadsheets for languages with a decimal comma separate with semicolons
    auto records = parseCsv(text, csvSeparator(text));
    if (!records) {
        out.refusals.push_back({"the file", records.error()});
        return out;
    }
    if (records->empty()) {
        out.refusals.push_back({"line 1", "the file is empty: it needs a header \"index,<key>,...\""});
        return out;
    }
    const CsvRecord& header = records->front();
    std::vector<const KeyedField*> columns(header.size(), nullptr);
    bool headerOk = true;
    if (header[0].text != "index") {
        out.refusals.push_back({"line 1, column 1", "the first column must be \"index\""});
        headerOk = false;
    }
    std::set<const KeyedField*> seen;
    for (std::size_t c = 1; c < header.size(); ++c) {
        const std::string where = "line " + std::to_string(header[c].line) + ", column " + std::to_string(c + 1);
        columns[c] = table->find(header[c].text);
        if (!columns[c]) {
            out.refusals.push_back({where, "the " + std::string(table->key()) + " table has no field named "
                                               + jsonQuoted(header[c].text)});
            headerOk = false;
        } else if (!seen.insert(columns[c]).second) {
            out.refusals.push_back({where, "the column " + columns[c]->key + " is given twice"});
            headerOk = false;
        }
    }
    if (!headerOk)
        return out;
    for (std::size_t r = 1; r < records->size(); ++r) {
        const CsvRecord& row = (*records)[r];
        const std::string line = "line " + std::to_string(row.front().line);
        if (row.size() == 1 && row.front().text.empty())
            continue;  // a blank line
        if (row.size() != header.size()) {
            out.refusals.push_back({line, "the row has " + std::to_string(row.size())
                                              + (row.size() == 1 ? " field" : " fields") + "; the header has "
                                              + std::to_string(header.size())});
            continue;
        }
        std::int64_t index = 0;
        if (!indexFromText(row[0].text, index)) {
            out.refusals.push_back({line + ", column 1", "the index must be a whole number; it is " + jsonQuoted(row[0].text)});
            continue;
        }
        for (std::size_t c = 1; c < row.size(); ++c)
            out.edits.push_back({table, index, columns[c], row[c].text,
                                 {EditPlace::Kind::CsvCell, static_cast<std::uint32_t>(row[c].line),
                                  static_cast<std::uint32_t>(c + 1)}});
    }
    return out;
}

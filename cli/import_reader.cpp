#include "cli/import_reader.h"

#include "cli/csv.h"
#include "cli/value_text.h"
#include "rom/field_keys.h"

#include <charconv>
#include <set>

namespace {

std::string jsonQuoted(std::string_view s) { return Json(std::string(s)).dump(-1, ' ', false, Json::error_handler_t::replace); }

// A JSON value as the text typed for a field: numbers in their shortest form
// (2.5 stays 2.5 and meets the fields' rounding), true/false, texts as they are.
bool typedText(const Json& value, std::string& text)
{
    switch (value.type()) {
    case Json::value_t::number_integer:
        text = std::to_string(value.get<std::int64_t>());
        return true;
    case Json::value_t::number_unsigned:
        text = std::to_string(value.get<std::uint64_t>());
        return true;
    case Json::value_t::number_float: {
        char buffer[64];
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value.get<double>());
        text.assign(buffer, ec == std::errc() ? end : buffer);
        return true;
    }
    case Json::value_t::boolean:
        text = value.get<bool>() ? "true" : "false";
        return true;
    case Json::value_t::string:
        text = value.get<std::string>();
        return true;
    default:
        return false;
    }
}

bool indexFromJson(const Json& value, std::int64_t& index)
{
    if (value.is_number_integer()) {
        index = value.get<std::int64_t>();
        return true;
    }
    if (value.is_number_unsigned() && value.get<std::uint64_t>() <= 0x7FFFFFFF) {
        index = static_cast<std::int64_t>(value.get<std::uint64_t>());
        return true;
    }
    return false;
}

bool indexFromText(std::string_view text, std::int64_t& index)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

void readJsonEntry(const std::string& table, const Json& entry, const std::string& where, ImportReading& out)
{
    if (!entry.is_object()) {
        out.refusals.push_back({where, "an entry must be an object with its \"index\""});
        return;
    }
    const auto index = entry.find("index");
    std::int64_t n = 0;
    if (index == entry.end() || !indexFromJson(*index, n)) {
        out.refusals.push_back({where, "an entry needs its \"index\", a whole number"});
        return;
    }
    for (const auto& [key, value] : entry.items()) {
        if (key == "index")
            continue;
        const std::string at = where + "." + key + " (" + table + "[" + std::to_string(n) + "]." + key + ")";
        std::string text;
        if (!typedText(value, text)) {
            out.refusals.push_back({at, "a value must be a number, true or false, or a text"});
            continue;
        }
        out.edits.push_back({table, n, key, std::move(text), at});
    }
}

}  // namespace

ImportReading readJsonImport(std::string_view text)
{
    ImportReading out;
    Json document;
    try {
        document = Json::parse(text);
    } catch (const Json::parse_error& e) {
        out.refusals.push_back({"byte " + std::to_string(e.byte), std::string("not valid JSON: ") + e.what()});
        return out;
    }
    const auto tables = document.is_object() ? document.find("tables") : document.end();
    if (tables == document.end() || !tables->is_object()) {
        out.refusals.push_back({"the file", "expected an object with \"tables\", as a dump writes it"});
        return out;
    }
    for (const auto& [table, entries] : tables->items()) {
        const std::string where = "tables." + table;
        if (!findKeyedTable(table)) {
            out.refusals.push_back({where, "there is no table named " + jsonQuoted(table)});
            continue;
        }
        if (!entries.is_array()) {
            out.refusals.push_back({where, "a table must be an array of entries"});
            continue;
        }
        for (std::size_t i = 0; i < entries.size(); ++i)
            readJsonEntry(table, entries[i], where + "[" + std::to_string(i) + "]", out);
    }
    return out;
}

ImportReading readCsvImport(std::string_view text, std::string_view tableKey)
{
    ImportReading out;
    const KeyedTable* table = findKeyedTable(tableKey);
    if (!table) {
        out.refusals.push_back({"the file", "there is no table named " + jsonQuoted(tableKey)});
        return out;
    }
    auto records = parseCsv(text);
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
            out.refusals.push_back({line, "the row has " + std::to_string(row.size()) + " fields; the header has "
                                              + std::to_string(header.size())});
            continue;
        }
        std::int64_t index = 0;
        if (!indexFromText(row[0].text, index)) {
            out.refusals.push_back({line + ", column 1", "the index must be a whole number; it is " + jsonQuoted(row[0].text)});
            continue;
        }
        for (std::size_t c = 1; c < row.size(); ++c)
            out.edits.push_back({std::string(table->key()), index, columns[c]->key, row[c].text,
                                 "line " + std::to_string(row[c].line) + ", column " + std::to_string(c + 1) + " ("
                                     + std::string(table->key()) + "[" + std::to_string(index) + "]." + columns[c]->key
                                     + ")"});
    }
    return out;
}

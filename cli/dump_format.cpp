#include "cli/dump_format.h"

#include "cli/csv.h"
#include "cli/value_text.h"

namespace {

std::string dumped(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::span<const std::uint8_t> recordOf(const Bytes& image, const KeyedTable& table, int index)
{
    const std::size_t at = table.table->base + std::size_t(index) * table.table->recordSize;
    return std::span(image).subspan(at, table.table->recordSize);
}

// the entries a file too short for the whole table still holds
int entriesIn(const Bytes& image, const KeyedTable& table)
{
    const Table& t = *table.table;
    if (image.size() < t.base + t.recordSize)
        return 0;
    return std::min<int>(t.count, static_cast<int>((image.size() - t.base) / t.recordSize));
}

}  // namespace

std::string dumpJson(const std::string& path, const Bytes& image, const std::vector<const KeyedTable*>& tables)
{
    std::string out = "{\n  \"image\": " + dumped(Json{{"path", path}, {"size", image.size()}}) + ",\n  \"tables\": {";
    bool firstTable = true;
    for (const KeyedTable* table : tables) {
        out += firstTable ? "\n    " : ",\n    ";
        firstTable = false;
        out += dumped(Json(std::string(table->key()))) + ": [";
        const int count = entriesIn(image, *table);
        for (int i = 0; i < count; ++i) {
            const auto record = recordOf(image, *table, i);
            Json entry = Json::object();
            entry["index"] = i;
            for (const KeyedField& field : table->fields)
                entry[field.key] = jsonValue(readFieldValue(field, record));
            out += i == 0 ? "\n      " : ",\n      ";
            out += dumped(entry);
        }
        out += count > 0 ? "\n    ]" : "]";
    }
    out += "\n  }\n}\n";
    return out;
}

std::string dumpCsv(const Bytes& image, const KeyedTable& table)
{
    std::string out = "index";
    for (const KeyedField& field : table.fields)
        out += "," + csvField(field.key);
    out += "\r\n";
    const int count = entriesIn(image, table);
    for (int i = 0; i < count; ++i) {
        const auto record = recordOf(image, table, i);
        out += std::to_string(i);
        for (const KeyedField& field : table.fields)
            out += "," + csvField(plainText(readFieldValue(field, record)));
        out += "\r\n";
    }
    return out;
}

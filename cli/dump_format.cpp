#include "cli/dump_format.h"

#include "cli/csv.h"
#include "cli/value_text.h"

namespace {

std::string dumped(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

// One entry as a JSON object on one line. The keys are written once per
// table, ready made; numbers and bits need no escaping; texts are escaped by
// the JSON library. A full dump stays a few milliseconds this way.
class EntryWriter {
public:
    explicit EntryWriter(const KeyedTable& table) : m_table(table)
    {
        for (const KeyedField& field : table.fields)
            m_keys.push_back("," + dumped(Json(field.key)) + ":");
    }

    void write(std::string& out, int index, std::span<const std::uint8_t> record) const
    {
        out += "{\"index\":";
        out += std::to_string(index);
        for (std::size_t k = 0; k < m_keys.size(); ++k) {
            out += m_keys[k];
            const FieldValue value = readFieldValue(m_table.fields[k], record);
            if (const auto* n = std::get_if<std::int64_t>(&value))
                out += std::to_string(*n);
            else if (const auto* b = std::get_if<bool>(&value))
                out += *b ? "true" : "false";
            else
                out += dumped(Json(std::get<std::string>(value)));
        }
        out += '}';
    }

private:
    const KeyedTable& m_table;
    std::vector<std::string> m_keys;
};

}  // namespace

std::string dumpJson(const std::string& path, std::uint64_t size, const TableBlocks& blocks,
                     const std::vector<const KeyedTable*>& tables)
{
    std::string out = "{\n  \"image\": " + dumped(Json{{"path", path}, {"size", size}}) + ",\n  \"tables\": {";
    out.reserve(512 * 1024);
    bool firstTable = true;
    for (const KeyedTable* table : tables) {
        out += firstTable ? "\n    " : ",\n    ";
        firstTable = false;
        out += dumped(Json(std::string(table->key()))) + ": [";
        const EntryWriter writer(*table);
        const int count = table->table->count;
        for (int i = 0; i < count; ++i) {
            out += i == 0 ? "\n      " : ",\n      ";
            writer.write(out, i, blocks.record(*table->table, i));
        }
        out += count > 0 ? "\n    ]" : "]";
    }
    out += "\n  }\n}\n";
    return out;
}

std::string dumpCsv(const TableBlocks& blocks, const KeyedTable& table)
{
    std::string out = "index";
    for (const KeyedField& field : table.fields)
        out += "," + csvField(field.key);
    out += "\r\n";
    for (int i = 0; i < table.table->count; ++i) {
        const auto record = blocks.record(*table.table, i);
        out += std::to_string(i);
        for (const KeyedField& field : table.fields)
            out += "," + csvField(plainText(readFieldValue(field, record)));
        out += "\r\n";
    }
    return out;
}

// The JSON import reader: the dump's shape, read as a stream of parse events
// so that a full dump becomes edits without a document tree in between.
#include "cli/import_reader.h"

#include "cli/value_text.h"
#include "rom/field_keys.h"

#include <optional>
#include <vector>

namespace {

std::string jsonQuoted(std::string_view s) { return Json(std::string(s)).dump(-1, ' ', false, Json::error_handler_t::replace); }

class ImportEvents : public nlohmann::json_sax<Json> {
public:
    explicit ImportEvents(ImportReading& out) : m_out(out) {}

    bool sawTables() const { return m_sawTables; }

    bool null() override { return scalar(std::nullopt); }
    bool boolean(bool value) override { return scalar(std::string(value ? "true" : "false")); }
    bool number_integer(number_integer_t value) override { return scalar(std::to_string(value), value); }
    bool number_unsigned(number_unsigned_t value) override
    {
        return scalar(std::to_string(value), value <= 0x7FFFFFFF ? std::optional<std::int64_t>(value) : std::nullopt);
    }
    // the number as written: 2.5 stays 2.5 and meets the fields' rounding
    bool number_float(number_float_t, const string_t& text) override { return scalar(text); }
    bool string(string_t& value) override { return scalar(std::move(value)); }
    bool binary(binary_t&) override { return scalar(std::nullopt); }

    bool start_object(std::size_t) override { return compound(true); }
    bool start_array(std::size_t) override { return compound(false); }
    bool end_object() override { return end(); }
    bool end_array() override { return end(); }

    bool key(string_t& key) override
    {
        if (m_skip == 0)
            m_key = std::move(key);
        return true;
    }

    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) override
    {
        m_out.refusals.push_back({"byte " + std::to_string(position), std::string("not valid JSON: ") + e.what()});
        return false;
    }

private:
    // where the parse is: the root object, the "tables" object, one table's
    // array of entries, one entry
    enum class Level { Root, Tables, Entries, Entry };

    struct Pair {
        std::string key;
        std::optional<std::string> text;  // none: not a number, true/false or a text
    };

    std::string tableWhere() const { return "tables." + std::string(m_table->key()); }
    std::string entryWhere() const { return tableWhere() + "[" + std::to_string(m_position) + "]"; }

    // a value that is not read: skip it, and everything in it
    bool skip(bool compoundValue)
    {
        if (compoundValue)
            m_skip = 1;
        return true;
    }

    bool scalar(std::optional<std::string> text, std::optional<std::int64_t> whole = std::nullopt)
    {
        if (m_skip > 0 || m_levels.empty())
            return true;
        switch (m_levels.back()) {
        case Level::Root:
            break;
        case Level::Tables:
            if (findKeyedTable(m_key))
                m_out.refusals.push_back({"tables." + m_key, "a table must be an array of entries"});
            else
                m_out.refusals.push_back({"tables." + m_key, "there is no table named " + jsonQuoted(m_key)});
            break;
        case Level::Entries:
            m_out.refusals.push_back({entryWhere(), "an entry must be an object with its \"index\""});
            ++m_position;
            break;
        case Level::Entry:
            if (m_key == "index")
                m_index = whole;
            else
                m_pairs.push_back({m_key, std::move(text)});
            break;
        }
        return true;
    }

    bool compound(bool object)
    {
        if (m_skip > 0) {
            ++m_skip;
            return true;
        }
        if (m_levels.empty()) {
            if (!object)
                return skip(true);
            m_levels.push_back(Level::Root);
            return true;
        }
        switch (m_levels.back()) {
        case Level::Root:
            if (m_key != "tables")
                return skip(true);  // "image", and anything else a dump may carry
            m_sawTables = object;
            if (!object)
                return skip(true);
            m_levels.push_back(Level::Tables);
            return true;
        case Level::Tables:
            m_table = findKeyedTable(m_key);
            if (!m_table) {
                m_out.refusals.push_back({"tables." + m_key, "there is no table named " + jsonQuoted(m_key)});
                return skip(true);
            }
            if (object) {
                m_out.refusals.push_back({tableWhere(), "a table must be an array of entries"});
                return skip(true);
            }
            m_position = 0;
            m_levels.push_back(Level::Entries);
            return true;
        case Level::Entries:
            if (!object) {
                m_out.refusals.push_back({entryWhere(), "an entry must be an object with its \"index\""});
                ++m_position;
                return skip(true);
            }
            m_pairs.clear();
            m_index.reset();
            m_levels.push_back(Level::Entry);
            return true;
        case Level::Entry:
            if (m_key == "index")
                m_index.reset();
            else
                m_pairs.push_back({m_key, std::nullopt});
            return skip(true);
        }
        return true;
    }

    bool end()
    {
        if (m_skip > 0) {
            --m_skip;
            return true;
        }
        if (m_levels.empty())
            return true;
        if (m_levels.back() == Level::Entry)
            finishEntry();
        m_levels.pop_back();
        return true;
    }

    void finishEntry()
    {
        if (!m_index) {
            m_out.refusals.push_back({entryWhere(), "an entry needs its \"index\", a whole number"});
            ++m_position;
            return;
        }
        const std::int64_t n = *m_index;
        for (Pair& pair : m_pairs) {
            const auto at = [&] {
                return entryWhere() + "." + pair.key + " (" + std::string(m_table->key()) + "[" + std::to_string(n) + "]."
                       + pair.key + ")";
            };
            const KeyedField* field = m_table->find(pair.key);
            if (!field)
                m_out.refusals.push_back({at(), "the " + std::string(m_table->key()) + " table has no field named "
                                                    + jsonQuoted(pair.key)});
            else if (!pair.text)
                m_out.refusals.push_back({at(), "a value must be a number, true or false, or a text"});
            else
                m_out.edits.push_back({m_table, n, field, std::move(*pair.text),
                                       {EditPlace::Kind::JsonEntry, m_position, 0}});
        }
        ++m_position;
    }

    ImportReading& m_out;
    std::vector<Level> m_levels;
    int m_skip = 0;  // depth inside a value that is skipped
    std::string m_key;
    bool m_sawTables = false;
    const KeyedTable* m_table = nullptr;
    std::uint32_t m_position = 0;  // the entry's place in its table's array
    std::vector<Pair> m_pairs;
    std::optional<std::int64_t> m_index;
};

}  // namespace

ImportReading readJsonImport(std::string_view text)
{
    ImportReading out;
    // the parser takes a NUL for the end of the text and would leave the rest unread
    std::string converted;
    if (auto fault = readAsUtf8(text, converted)) {
        out.refusals.push_back(std::move(*fault));
        return out;
    }
    ImportEvents events(out);
    const bool parsed = Json::sax_parse(text.begin(), text.end(), &events);
    if (parsed && !events.sawTables())
        out.refusals.push_back({"the file", "expected an object with \"tables\", as a dump writes it"});
    return out;
}

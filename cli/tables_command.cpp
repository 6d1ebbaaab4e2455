// veldra-cli tables [--json]: every table with its fields, keys and lists.
#include "cli/commands.h"
#include "cli/value_text.h"
#include "rom/chest_contents.h"
#include "rom/field_keys.h"
#include "rom/image_facts_text.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <ostream>

namespace {

Json jsonValues(const KeyedField& field)
{
    if (field.kind == KeyKind::ChestType) {
        Json values = Json::array();
        for (const ChestTypeEntry& type : chestTypes())
            values.push_back({{"value", type.name}, {"label", type.caption}});
        return values;
    }
    if (field.list == ValueListId::None)
        return nullptr;
    Json values = Json::array();
    for (const ValueListEntry& entry : valueList(field.list))
        values.push_back({{"value", entry.value}, {"label", entry.label}});
    return values;
}

Json jsonTable(const KeyedTable& table)
{
    Json fields = Json::array();
    for (const KeyedField& f : table.fields) {
        const bool bit = f.width == "bit";
        fields.push_back({
            {"key", f.key},
            {"control", f.control.empty() ? Json(nullptr) : Json(f.control)},
            {"label", f.label},
            {"offset", f.field->offset},
            {"width", f.width},
            {"bit", bit ? Json(f.field->bit) : Json(nullptr)},
            {"min", f.min ? Json(*f.min) : Json(nullptr)},
            {"max", f.max ? Json(*f.max) : Json(nullptr)},
            {"values", jsonValues(f)},
            {"settable", f.settable},
        });
    }
    return {{"name", table.key()},        {"base", table.table->base}, {"record_size", table.table->recordSize},
            {"count", table.table->count}, {"fields", std::move(fields)}};
}

std::string textTable(const KeyedTable& table)
{
    const Table& t = *table.table;
    std::string text = std::string(table.key()) + ": " + std::to_string(t.count) + " entries of "
                       + std::to_string(t.recordSize) + " bytes at " + hexWord(t.base, 6) + "\n";
    for (const KeyedField& f : table.fields) {
        char line[256];
        std::string place = "+" + std::to_string(f.field->offset) + " " + std::string(f.width);
        if (f.width == "bit")
            place += " " + std::to_string(f.field->bit);
        std::string range;
        if (f.kind == KeyKind::ChestType)
            range = "gold, event or item";
        else if (f.kind == KeyKind::ChestValue)
            range = std::to_string(*f.min) + ".." + std::to_string(*f.max) + ", item labels";
        else if (f.list != ValueListId::None)
            range = "list of " + std::to_string(valueList(f.list).size());
        else if (f.width == "bit")
            range = "true/false";
        else if (f.min && f.max)
            range = std::to_string(*f.min) + ".." + std::to_string(*f.max);
        else
            range = std::to_string(t.recordSize) + " characters";
        if (!f.settable)
            range += ", shown only";
        std::snprintf(line, sizeof line, "  %-28s %-14s %-22s %s%s%s\n", f.key.c_str(), place.c_str(), range.c_str(),
                      f.label.c_str(), f.control.empty() ? "" : "  alias ", f.control.c_str());
        text += line;
    }
    return text;
}

class TablesCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("tables", "List every table: its fields, their keys, ranges and list entries.");
        sub->add_flag("--json", m_json, "As JSON, with every list entry");
        return sub;
    }

    int run(CommandIo& io) override
    {
        if (m_json) {
            Json all = Json::array();
            for (const KeyedTable& table : keyedTables())
                all.push_back(jsonTable(table));
            io.out << all.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
            return kExitDone;
        }
        bool first = true;
        for (const KeyedTable& table : keyedTables()) {
            io.out << (first ? "" : "\n") << textTable(table);
            first = false;
        }
        return kExitDone;
    }

    std::string usage() const override { return "veldra-cli tables [--json]"; }

private:
    bool m_json = false;
};

}  // namespace

std::unique_ptr<Command> makeTablesCommand() { return std::make_unique<TablesCommand>(); }

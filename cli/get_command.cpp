// veldra-cli get IMAGE TABLE INDEX [KEY] [--json]
#include "cli/command_support.h"
#include "cli/commands.h"
#include "cli/value_text.h"
#include "rom/field_values.h"
#include "rom/record_io.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace {

class GetCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("get", "Show one entry of a table, or one field of it.");
        sub->add_option("IMAGE", m_image, "The ROM image")->required();
        sub->add_option("TABLE", m_table, "The table")->required();
        sub->add_option("INDEX", m_index, "The entry, from 0")->required();
        sub->add_option("KEY", m_key, "One field (a key or a control name)");
        sub->add_flag("--json", m_json, "As a JSON object");
        return sub;
    }

    int run(CommandIo& io) override
    {
        const KeyedTable& table = tableArgument(m_table);
        const int index = indexArgument(table, m_index);
        const KeyedField* only = m_key.empty() ? nullptr : &keyArgument(table, m_key);
        const auto read = readRecord(RomImage(pathFromUtf8(m_image)), *table.table, index);
        if (!read)
            failRefused(read.error());
        const std::span<const std::uint8_t> record = *read;
        if (m_json)
            io.out << json(table, index, only, record).dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
        else if (only)
            io.out << shownText(*only, record) << "\n";
        else
            for (const KeyedField& field : table.fields)
                io.out << field.key << ": " << shownText(field, record) << "\n";
        return kExitDone;
    }

    std::string usage() const override { return "veldra-cli get IMAGE TABLE INDEX [KEY] [--json]"; }

private:
    static Json json(const KeyedTable& table, int index, const KeyedField* only, std::span<const std::uint8_t> record)
    {
        Json out = {{"table", table.key()}, {"index", index}};
        if (only) {
            const FieldValue value = readFieldValue(*only, record);
            out["key"] = only->key;
            out["value"] = jsonValue(value);
            if (const std::string* label = valueLabel(*only, record))
                out["label"] = *label;
            return out;
        }
        Json values = Json::object();
        Json labels = Json::object();
        for (const KeyedField& field : table.fields) {
            const FieldValue value = readFieldValue(field, record);
            values[field.key] = jsonValue(value);
            if (const std::string* label = valueLabel(field, record))
                labels[field.key] = *label;
        }
        out["values"] = std::move(values);
        out["labels"] = std::move(labels);
        return out;
    }

    std::string m_image;
    std::string m_table;
    std::string m_index;
    std::string m_key;
    bool m_json = false;
};

}  // namespace

std::unique_ptr<Command> makeGetCommand() { return std::make_unique<GetCommand>(); }

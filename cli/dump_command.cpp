// veldra-cli dump IMAGE [TABLE ...] [--format json|csv] [--output FILE [--force]]
#include "cli/command_support.h"
#include "cli/commands.h"
#include "cli/dump_format.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace {

class DumpCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("dump", "Write tables of an image as JSON (every table when none is named) or "
                                                   "one table as CSV.");
        sub->add_option("IMAGE", m_image, "The ROM image")->required();
        sub->add_option("TABLE", m_tables, "Tables to dump (veldra-cli tables lists them)");
        sub->add_option("--format", m_format, "json (the default) or csv (one table)")
            ->check(CLI::IsMember({"json", "csv"}));
        sub->add_option("--output", m_output.file, "Write to this new file instead of standard output");
        sub->add_flag("--force", m_output.force, "With --output: replace a file that exists");
        return sub;
    }

    int run(CommandIo& io) override
    {
        std::vector<const KeyedTable*> tables;
        for (const std::string& name : m_tables)
            if (const KeyedTable* table = &tableArgument(name); std::find(tables.begin(), tables.end(), table) == tables.end())
                tables.push_back(table);
        if (m_format == "csv" && tables.size() != 1)
            failUsage("--format csv needs exactly one TABLE");
        if (m_output.force && m_output.file.empty())
            failUsage("--force goes with --output");
        if (tables.empty())
            for (const KeyedTable& table : keyedTables())
                tables.push_back(&table);
        const RomImage image(pathFromUtf8(m_image));
        if (Status identified = image.check(); !identified)
            failRefused(identified.error());
        std::vector<const Table*> declared;
        for (const KeyedTable* table : tables)
            declared.push_back(table->table);
        auto blocks = TableBlocks::read(image, declared);
        if (!blocks)
            failRefused(blocks.error());
        for (const KeyedTable* table : tables)
            if (!blocks->whole(*table->table))
                failRefused("cannot dump " + m_image + ": the file ends inside the " + std::string(table->key()) + " table");
        std::error_code ec;
        const std::uint64_t size = std::filesystem::file_size(pathFromUtf8(m_image), ec);
        const std::string text = m_format == "csv" ? dumpCsv(*blocks, *tables.front())
                                                   : dumpJson(m_image, size, *blocks, tables);
        writeResult(io, text, m_output, m_image);
        return kExitDone;
    }

    std::string usage() const override
    {
        return "veldra-cli dump IMAGE [TABLE ...] [--format json|csv] [--output FILE [--force]]";
    }

private:
    std::string m_image;
    std::vector<std::string> m_tables;
    std::string m_format = "json";
    OutputOptions m_output;
};

}  // namespace

std::unique_ptr<Command> makeDumpCommand() { return std::make_unique<DumpCommand>(); }

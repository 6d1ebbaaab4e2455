// veldra-cli import IMAGE FILE [--table TABLE] [--dry-run]
#include "cli/command_support.h"
#include "cli/commands.h"
#include "cli/edit_runner.h"
#include "cli/import_reader.h"
#include "rom/files.h"

#include <CLI/CLI.hpp>


namespace {

class ImportCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("import", "Store the values of a JSON file in the dump's shape, or of a CSV "
                                                     "file of one table. Every value is checked first; one refusal "
                                                     "writes nothing.");
        sub->add_option("IMAGE", m_image, "The ROM image")->required();
        sub->add_option("FILE", m_file, "A .json dump (any subset) or a .csv of one table")->required();
        sub->add_option("--table", m_table, "The table of a CSV file (else the file's name, <table>.csv)");
        sub->add_flag("--dry-run", m_dryRun, "Check and print the changes, write nothing");
        return sub;
    }

    int run(CommandIo& io) override
    {
        const std::string name = pathToUtf8(pathFromUtf8(m_file).filename());
        const bool csv = !m_table.empty() || isCsvName(name);
        std::string table = m_table;
        if (csv && table.empty()) {
            table = tableOfCsvName(name);
            if (table.empty())
                failUsage("cannot tell the table of " + name + ": give --table, or name the file <table>.csv");
        }
        if (csv)
            tableArgument(table);  // an unknown table is a fault of the command line
        const RomImage image(pathFromUtf8(m_image));
        if (Status identified = image.check(); !identified)
            failRefused(identified.error());
        const auto bytes = readWholeFile(pathFromUtf8(m_file));
        if (!bytes)
            failRefused(bytes.error());
        const std::string text(bytes->begin(), bytes->end());
        const ImportReading reading = csv ? readCsvImport(text, table) : readJsonImport(text);
        // only the tables the file names are read from the image
        std::vector<const Table*> named;
        for (const FieldEdit& edit : reading.edits)
            if (named.empty() || named.back() != edit.table->table)
                named.push_back(edit.table->table);
        const auto held = lockForEdits(io, m_history, image, m_dryRun);
        auto blocks = TableBlocks::read(image, named);
        if (!blocks)
            failRefused(blocks.error());
        return runEdits(io, m_history, image, blocks->reader(), reading.edits, {m_dryRun, true, "veldra-cli import"},
                        reading.refusals);
    }

    std::string usage() const override { return "veldra-cli import IMAGE FILE [--table TABLE] [--dry-run]"; }

private:
    ImageHistory m_history;  // the saves of this run, each kept in the image's journal
    std::string m_image;
    std::string m_file;
    std::string m_table;
    bool m_dryRun = false;
};

}  // namespace

std::unique_ptr<Command> makeImportCommand() { return std::make_unique<ImportCommand>(); }

// veldra-cli set IMAGE TABLE INDEX KEY=VALUE [KEY=VALUE ...] [--dry-run]
#include "cli/command_support.h"
#include "cli/commands.h"
#include "cli/edit_runner.h"
#include "cli/value_text.h"
#include "rom/record_io.h"

#include <CLI/CLI.hpp>

namespace {

class SetCommand : public Command {
public:
    CLI::App* add(CLI::App& app) override
    {
        CLI::App* sub = app.add_subcommand("set", "Change fields of one entry. Values as in the windows (decimal, &H "
                                                  "hex) or 0x hex, true/false for bits, a list entry's label for list "
                                                  "fields. Each is stored as given or refused (a number outside the "
                                                  "field's range, a label several entries share); all are checked "
                                                  "before anything is written.");
        sub->add_option("IMAGE", m_image, "The ROM image")->required();
        sub->add_option("TABLE", m_table, "The table")->required();
        sub->add_option("INDEX", m_index, "The entry, from 0")->required();
        sub->add_option("KEY=VALUE", m_assignments, "Fields and their new values")->required();
        sub->add_flag("--dry-run", m_dryRun, "Check and print the changes, write nothing");
        return sub;
    }

    int run(CommandIo& io) override
    {
        const KeyedTable& table = tableArgument(m_table);
        const int index = indexArgument(table, m_index);
        std::vector<FieldEdit> edits;
        for (const std::string& assignment : m_assignments) {
            const std::size_t eq = assignment.find('=');
            if (eq == std::string::npos)
                failUsage("\"" + assignment + "\" is no KEY=VALUE");
            const KeyedField& field = keyArgument(table, assignment.substr(0, eq));
            edits.push_back({&table, index, &field, assignment.substr(eq + 1), {}});
        }
        // only the entry's records are read: the whole image is not needed
        const RomImage image(pathFromUtf8(m_image));
        if (Status identified = image.check(); !identified)
            failRefused(identified.error());
        const auto held = lockForEdits(io, m_history, image, m_dryRun);
        return runEdits(io, m_history, image, [&image](const Table& t, int i) { return readRecord(image, t, i); },
                        edits, {m_dryRun, false, "veldra-cli set"});
    }

    std::string usage() const override
    {
        return "veldra-cli set IMAGE TABLE INDEX KEY=VALUE [KEY=VALUE ...] [--dry-run]";
    }

private:
    ImageHistory m_history;  // the saves of this run, each kept in the image's journal
    std::string m_image;
    std::string m_table;
    std::string m_index;
    std::vector<std::string> m_assignments;
    bool m_dryRun = false;
};

}  // namespace

std::unique_ptr<Command> makeSetCommand() { return std::make_unique<SetCommand>(); }

#include "cli/cli_app.h"

#include "cli/command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>

#ifndef VELDRA_VERSION
#define VELDRA_VERSION "0"
#endif

namespace {

constexpr const char* kToolUsage = "veldra-cli COMMAND ... (veldra-cli --help lists the commands)";

void printFailure(std::ostream& err, const std::string& message, const std::string& usage)
{
    err << "veldra-cli: " << message << "\n";
    if (!usage.empty())
        err << "usage: " << usage << "\n";
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CLI::App app{"Reads and edits the tables of a Veldra Saga ROM image without a window.", "veldra-cli"};
    app.set_version_flag("--version", std::string("veldra-cli ") + VELDRA_VERSION);
    app.require_subcommand(1);
    app.footer("Exit status: 0 done (diff: equal); 1 refused or failed, nothing written (diff: the images differ);\n"
               "2 a fault of the command line (diff: the images cannot be compared).");
    auto commands = makeCommands();
    std::vector<std::pair<CLI::App*, Command*>> chosen;
    for (auto& command : commands)
        chosen.emplace_back(command->add(app), command.get());
    const auto usageOf = [&](const CLI::App* sub) -> std::string {
        for (auto& [app, command] : chosen)
            if (app == sub)
                return command->usage();
        return {};
    };
    const auto selected = [&]() -> CLI::App* {
        for (auto& [sub, command] : chosen)
            if (sub->parsed())
                return sub;
        return nullptr;
    };

    // a first word that names no command is said to be one, not an extra argument
    if (!args.empty() && !args.front().empty() && args.front().front() != '-'
        && std::none_of(chosen.begin(), chosen.end(), [&](const auto& c) { return c.first->get_name() == args.front(); })) {
        printFailure(err, "unknown command \"" + args.front() + "\"", kToolUsage);
        return kExitUsage;
    }
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
    try {
        app.parse(reversed);
    } catch (const CLI::Success& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        const CLI::App* sub = selected();
        printFailure(err, e.what(), sub ? usageOf(sub) : std::string(kToolUsage));
        return kExitUsage;
    }
    CLI::App* sub = selected();
    Command* command = nullptr;
    for (auto& [s, c] : chosen)
        if (s == sub)
            command = c;
    if (!command) {
        printFailure(err, "no command given", kToolUsage);
        return kExitUsage;
    }
    CommandIo io{out, err};
    try {
        return command->run(io);
    } catch (const CommandFailure& failure) {
        out.flush();
        printFailure(err, failure.message, failure.exitCode == kExitUsage ? command->usage() : std::string());
        return failure.exitCode;
    }
}

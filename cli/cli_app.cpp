#include "cli/cli_app.h"

#include "cli/command.h"
#include "cli/std_output.h"
#include "rom/history/restore_points.h"

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

namespace {

// Parses the command line and runs the command it names; `outputFailureExit`
// becomes that command's status for a failed standard output.
int parseAndRun(const std::vector<std::string>& args, CommandIo& io, int& outputFailureExit)
{
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    CLI::App app{"Reads and edits the tables of a Veldra Saga ROM image without a window.", "veldra-cli"};
    app.set_version_flag("--version", std::string("veldra-cli ") + VELDRA_VERSION);
    app.require_subcommand(1);
    // options are --long and -s on every system; on Windows a word such as
    // /tmp/game.sfc stays a file name rather than an option "/tmp"
    app.allow_windows_style_options(false);
    app.footer("Exit status: 0 done (diff: equal); 1 refused or failed, nothing written (diff: the images differ);\n"
               "2 a fault of the command line (diff: the images cannot be compared, or the answer not printed);\n"
               "3 the image or output file was written, but standard output failed (see standard error).");
    auto commands = makeCommands();
    std::vector<std::pair<CLI::App*, Command*>> chosen;
    for (auto& command : commands)
        chosen.emplace_back(command->add(app), command.get());
    // the command whose subcommand the command line named, if any
    const auto selected = [&]() -> Command* {
        for (auto& [sub, command] : chosen)
            if (sub->parsed())
                return command;
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
        const Command* command = selected();
        printFailure(err, e.what(), command ? command->usage() : std::string(kToolUsage));
        return kExitUsage;
    }
    Command* command = selected();
    if (!command) {
        printFailure(err, "no command given", kToolUsage);
        return kExitUsage;
    }
    outputFailureExit = command->outputFailureExit();
    for (auto& [sub, each] : chosen)
        if (each == command)
            setRestorePointWriter("veldra-cli " + sub->get_name());  // named in the restore point it may keep
    try {
        return command->run(io);
    } catch (const CommandFailure& failure) {
        out.flush();
        printFailure(err, failure.message, failure.exitCode == kExitUsage ? command->usage() : std::string());
        return failure.exitCode;
    }
}

}  // namespace

std::string startedAloneNote()
{
    return std::string("veldra-cli ") + VELDRA_VERSION
           + ": reads and edits the tables of a Veldra Saga ROM image from the command line.\n"
             "\n"
             "It has no window of its own: open a command prompt or PowerShell in this folder\n"
             "(in Explorer: type cmd into the address bar and press Enter) and run, for example,\n"
             "\n"
             "    veldra-cli.exe --help\n"
             "    veldra-cli.exe dump \"D:\\Hacks\\My Hack.sfc\" enemy-stats --format csv --output enemy-stats.csv\n"
             "\n"
             "README.txt beside it describes every command.\n"
             "\n"
             "Press any key to close this window.\n";
}

int runCli(const std::vector<std::string>& given, std::ostream& out, std::ostream& err)
{
    // "/?" asks Windows programs for their help; no file can have that name there
    std::vector<std::string> args = given;
    std::replace(args.begin(), args.end(), std::string("/?"), std::string("--help"));
    CommandIo io{out, err};
    int outputFailureExit = kExitRefused;
    const int code = parseAndRun(args, io, outputFailureExit);
    out.flush();
    if (out)
        return code;
    // output that could not be written is no success, and never hides what was written
    const std::string reason = outputFailure(out);
    if (!io.written.empty()) {
        printFailure(err, "the command was carried out (" + io.written + "), but its report could not be written to "
                              "standard output: " + reason, {});
        return kExitUnreported;
    }
    printFailure(err, "cannot write to standard output: " + reason, {});
    return code == kExitUsage ? code : outputFailureExit;
}

#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

// Exit codes, as command-line users expect them.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;  // refused or failed: nothing written; diff: the images differ
inline constexpr int kExitUsage = 2;    // a fault of the command line itself
// the command wrote what it was asked to (the image, or a new file), but
// what it printed about that could not be written to standard output
inline constexpr int kExitUnreported = 3;

// Ends a command: its message goes to standard error, followed by the
// command's usage line when the command line itself is at fault.
struct CommandFailure {
    int exitCode;
    std::string message;
};

[[noreturn]] void failUsage(std::string message);
[[noreturn]] void failRefused(std::string message);

struct CommandIo {
    std::ostream& out;
    std::ostream& err;
    // What the command has written so far ("2 fields in 1 record changed"),
    // said on standard error should its report on standard output be lost.
    std::string written = {};
};

// One command of the tool. To add a command, write a class like the others
// and list its factory in commands.cpp.
class Command {
public:
    virtual ~Command() = default;

    // Adds the command's subcommand, arguments and options to the tool's app.
    virtual CLI::App* add(CLI::App& app) = 0;
    // Runs the command once its command line has been parsed; returns the exit code.
    virtual int run(CommandIo& io) = 0;
    // "veldra-cli get IMAGE TABLE INDEX [KEY] [--json]"
    virtual std::string usage() const = 0;
    // The exit status when standard output fails and nothing was written.
    virtual int outputFailureExit() const { return kExitRefused; }
};

std::vector<std::unique_ptr<Command>> makeCommands();

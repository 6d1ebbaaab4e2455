// veldra-cli: the tables of a Veldra Saga ROM image as JSON or CSV, and edits
// of them, through the same core as the editor's windows.
#include "cli/cli_app.h"
#include "cli/std_output.h"
#include "rom/platform/console.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    useByteStandardStreams();
    // a reader that went away is a failed write like any other, told on standard error
    const bool stdoutOpen = holdStandardStreams();
    DescriptorBuffer buffer(1, stdoutOpen);
    std::streambuf* console = consoleOutputBuffer();
    std::ostream out(console ? console : &buffer);
    const std::vector<std::string> args = commandLineArguments(argc, argv);
    // a double click in Explorer: a window that closed at once would say nothing
    if (args.empty() && startedInOwnWindow()) {
        out << startedAloneNote() << std::flush;
        waitForKeyPress();
        return 0;
    }
    return runCli(args, out, std::cerr);
}

// veldra-cli: the tables of a Veldra Saga ROM image as JSON or CSV, and edits
// of them, through the same core as the editor's windows.
#include "cli/cli_app.h"
#include "cli/std_output.h"

#include <csignal>
#include <iostream>

#include <unistd.h>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    // a reader that went away is a failed write like any other, told on standard error
    std::signal(SIGPIPE, SIG_IGN);
    const bool stdoutOpen = holdStandardDescriptors();
    DescriptorBuffer buffer(STDOUT_FILENO, stdoutOpen);
    std::ostream out(&buffer);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return runCli(args, out, std::cerr);
}

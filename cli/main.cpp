// veldra-cli: the tables of a Veldra Saga ROM image as JSON or CSV, and edits
// of them, through the same core as the editor's windows.
#include "cli/cli_app.h"
#include "rom/platform/console.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    useByteStandardStreams();
    const std::vector<std::string> args = commandLineArguments(argc, argv);
    const int code = runCli(args, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout)
        return code == 0 ? 1 : code;  // output that could not be written is no success
    return code;
}

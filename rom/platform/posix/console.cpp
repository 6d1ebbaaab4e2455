#include "rom/platform/console.h"

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

// Standard streams carry bytes unchanged here already.
void useByteStandardStreams() {}

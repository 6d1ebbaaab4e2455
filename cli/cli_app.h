#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The whole tool: parses `args` (without the program name), runs the chosen
// command and returns its exit code. Results go to `out`, messages to `err`.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// What the tool tells a user who started it in a window of its own (a double
// click in Explorer): what it is, and how to run it.
std::string startedAloneNote();

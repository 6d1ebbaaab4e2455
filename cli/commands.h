#pragma once

#include "cli/command.h"

// The factories of the tool's commands, in the order --help lists them.
std::unique_ptr<Command> makeTablesCommand();
std::unique_ptr<Command> makeDumpCommand();
std::unique_ptr<Command> makeGetCommand();
std::unique_ptr<Command> makeSetCommand();
std::unique_ptr<Command> makeImportCommand();
std::unique_ptr<Command> makeDiffCommand();

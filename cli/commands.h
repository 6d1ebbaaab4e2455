#pragma once

#include "cli/command.h"

// The factories of the tool's commands, in the order --help lists them.
std::unique_ptr<Command> makeTablesCommand();
std::unique_ptr<Command> makeDumpCommand();
std::unique_ptr<Command> makeGetCommand();
std::unique_ptr<Command> makeSetCommand();
std::unique_ptr<Command> makeImportCommand();
std::unique_ptr<Command> makeDiffCommand();
// image facts, the internal checksum, copier headers and patches
std::unique_ptr<Command> makeInfoCommand();
std::unique_ptr<Command> makeChecksumCommand();
std::unique_ptr<Command> makeStripHeaderCommand();
std::unique_ptr<Command> makePatchCommand();
std::unique_ptr<Command> makeHistoryCommand();
std::unique_ptr<Command> makeUndoCommand();
std::unique_ptr<Command> makeRedoCommand();
std::unique_ptr<Command> makeRestoreCommand();
// Refuses after a failed write of a new file; an existing output is told how to replace it.
[[noreturn]] void failWrite(const std::string& error, bool force);

#include "cli/commands.h"

#include <utility>

void failUsage(std::string message) { throw CommandFailure{kExitUsage, std::move(message)}; }

void failRefused(std::string message) { throw CommandFailure{kExitRefused, std::move(message)}; }

std::vector<std::unique_ptr<Command>> makeCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    for (auto make : {makeTablesCommand, makeDumpCommand, makeGetCommand, makeSetCommand, makeImportCommand, makeDiffCommand,
                      makeInfoCommand, makeChecksumCommand, makeStripHeaderCommand, makePatchCommand, makeHistoryCommand,
                      makeUndoCommand, makeRedoCommand, makeRestoreCommand})
        commands.push_back(make());
    return commands;
}

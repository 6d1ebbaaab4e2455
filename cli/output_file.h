#pragma once

#include "rom/result.h"

#include <filesystem>
#include <string_view>

// Writes `data` as a new file at `target`: an existing file is refused unless
// `replace`. The data goes to a temporary file in the same folder first and
// takes the target's name only once it is complete, so a failure never leaves
// a partial file, and a file made at the target meanwhile is not replaced
// unless `replace`.
Status writeNewFile(const std::filesystem::path& target, std::string_view data, bool replace);

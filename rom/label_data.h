#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

// A file of data/, compiled into the program at build time.
struct EmbeddedFile {
    std::string_view name;  // the file's base name: "items" for data/items.txt
    const unsigned char* bytes;
    std::size_t size;
};

// Every file of data/ (made by the build from the files themselves).
std::span<const EmbeddedFile> embeddedDataFiles();

// The list texts supplied with the program, one per line of data/<name>.txt:
// trailing blanks are part of a text; carriage returns and the final line
// break are not. An empty list for a name without a file.
const std::vector<std::string>& builtinLabels(std::string_view name);

// The lines of a text, split as builtinLabels splits a file.
std::vector<std::string> splitLines(std::string_view text);

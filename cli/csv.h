#pragma once

#include "rom/result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Comma-separated values as RFC 4180 has them: fields with commas, quotes or
// line breaks are quoted, a quote inside doubled; lines end in CRLF or LF. A
// reader also takes the semicolons that spreadsheets set for languages whose
// decimal mark is the comma.

struct CsvField {
    std::string text;
    std::size_t line;    // 1-based line where the field starts
    std::size_t column;  // 1-based position of the field in its record
};

using CsvRecord = std::vector<CsvField>;

// Reads a whole CSV text. A byte-order mark at the start is dropped; a last
// line without a line break is a record like any other; a blank line is a
// record of one empty field. Refused with the line and column of the fault: a
// quoted field that is never closed, a quote inside an unquoted field, or
// anything but a comma or a line break right after a closing quote.
// `separator` is ',' or ';'.
Result<std::vector<CsvRecord>> parseCsv(std::string_view text, char separator = ',');

// The separator a CSV text uses: ';' when the first line (the header) has a
// semicolon before any comma, else ','.
char csvSeparator(std::string_view text);

// One field as it is written: quoted when it holds a comma, a quote, a line
// break, or blanks at either end (which spreadsheets may drop otherwise), or
// starts with a byte-order mark (which a reader drops at the start of a file).
std::string csvField(std::string_view text);

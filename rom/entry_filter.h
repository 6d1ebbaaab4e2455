#pragma once

#include <string_view>

// Whether a list entry passes the filter typed above a list: its text holds
// every typed word (any case), or the whole filter is one number that is the
// entry's index, decimal or hexadecimal as the lists show it ("0A" and "10"
// both find entry 10). An empty filter passes everything.
bool entryFilterMatches(std::string_view filter, std::string_view text, int index);

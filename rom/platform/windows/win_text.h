#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// UTF-8 and UTF-16 for the Windows side of the platform layer. Broken input
// (bytes that are no UTF-8, a lone surrogate) turns into U+FFFD rather than
// failing: a name that shows a replacement character beats no message.
std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

// The system's own words for an error code, from FormatMessageW, without the
// line end and the final full stop.
std::string systemErrorText(DWORD error);

// Why a file call failed, in the same words as on other systems where there
// is such a case, and in the system's words for the rest.
std::string fileErrorText(DWORD error);

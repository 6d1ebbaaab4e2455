#pragma once

#include "rom/result.h"

#include <string>
#include <string_view>
#include <vector>

// A command line split into words by a POSIX shell's quoting rules, for
// starting a program without a shell: blanks (space, tab, line break)
// separate words; 'single quotes' keep every character up to the next single
// quote; "double quotes" keep blanks, and within them a backslash quotes only
// $ ` " \ and a line break (elsewhere it stays); outside quotes a backslash
// quotes the next character, and a backslash before a line break joins the
// lines. Quotes and backslashes that quote are removed; "" and '' make an
// empty word.
//
// What a shell would do beyond quoting (pipes, redirections, variables,
// command substitution, ~ and wildcards, comments) is not done, so an
// unquoted | & ; < > ( ) $ ` * ? [ anywhere, or ~ or # at a word's start, is
// refused with a reason that names it, as are an unclosed quote and a
// backslash at the end: quoted, each is kept as it is.
Result<std::vector<std::string>> splitCommandWords(std::string_view command);

#pragma once

#include <string>
#include <vector>

// The command-line words after the program's name, as UTF-8. On Windows they
// are taken from the system's UTF-16 command line, since argv there holds
// them in the ANSI code page.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Makes standard output and standard error carry bytes as they are written:
// no line-end translation (a CSV keeps its CRLF, a JSON its LF), and UTF-8
// shown as such where they are a console window. Call once, first thing, from
// a program's main().
void useByteStandardStreams();

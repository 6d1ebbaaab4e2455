#pragma once

#include <streambuf>
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

// Makes sure the standard descriptors 0, 1 and 2 are open before any file is:
// one that is closed gets the null device, lest an image opened later take its
// number and receive what is printed. A reader of the output that goes away
// makes a write fail instead of ending the program. Returns whether standard
// output was open.
bool holdStandardStreams();

// Standard output's own buffer when it is a console window that takes text
// through the system's console calls (Windows); null where it takes bytes.
std::streambuf* consoleOutputBuffer();

// Why a write of standard output failed, from the errno it left (and on
// Windows the system's last error): the same words on every system ("Broken
// pipe" when the reader went away, "No space left on device", "it is closed").
std::string outputFailureReason(int err);

// Whether the program has a console window to itself, as when Explorer starts
// it (a double click) rather than a command prompt, which shares its window
// with the programs it runs. Never so on other systems.
bool startedInOwnWindow();

// Waits for a key in the program's console window, so that a window that
// would close as the program ends stays until it is read.
void waitForKeyPress();

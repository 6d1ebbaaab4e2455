#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks of a start: an image to load, or help, the
// version or a usage error printed instead of starting.
struct CommandLine {
    QString image;                // loaded at start as File > Load would; empty for none
    std::optional<int> exitCode;  // set when the program ends without a window
    QString output;               // printed then: on standard output for 0, standard error otherwise
};

// Reads the program's arguments (the first is the program itself). The
// application's name and version must be set before.
CommandLine readCommandLine(const QStringList& arguments);

// Whether the arguments ask for help or the version only, which the program
// prints without starting a window system (so it works without a display).
bool asksForTextOnly(const QStringList& arguments);

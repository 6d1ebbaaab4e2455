#pragma once

#include "rom/files.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class Platform;
class QWidget;

// A file the main window is about to write (a copy, a patch, a patched image)
// and the files it must never replace.
struct OutputRequest {
    QString caption;         // of the save dialog
    QString filters;
    QString selectedFilter;
    QString refusal;         // begins every refusal: "No patch was written"
    // Files that are only read or being edited, each with what it is
    // ("the image being edited"); an output naming one of them is refused.
    struct Kept {
        QString path;
        QString role;
    };
    QList<Kept> kept;
    // Turns the dialog's name into the name written (adds an extension); none keeps it.
    std::function<QString(const QString&)> complete;
};

struct OutputChoice {
    QString path;
    Existing existing = Existing::Refuse;  // Replace only where the user agreed to replace
};

// Asks for the output in the platform's save dialog. A name that is one of the
// kept files (by any spelling, link or symlink), or an existing thing that is
// no regular file, is refused with a message naming it, before anything asks
// to replace it; an existing file is replaced only when the user answers Yes
// (No goes back to the dialog). Nothing on Cancel or a refusal.
std::optional<OutputChoice> chooseOutputFile(Platform& platform, QWidget* parent, const OutputRequest& request);

#pragma once

#include "rom/result.h"
#include "rom/tables.h"

#include <QStringList>

// The list texts, one per line: those supplied with the program in
// data/<name>.txt (compiled into the core), or those of the user's label set
// where one is in use. Trailing blanks are part of a text.
QStringList labelList(const QString& name);

// The texts of a table's entry list, from the list the core names for it
// (entry 0 at its first line): an item table's part of the item list.
QStringList entryLabels(const Table& table);

// A single-line text from data/<name>.txt.
QString labelText(const QString& name);

// Switches to the user's label set in `folder`. Every file is checked first:
// when one is refused the labels in use stay and the reason names the file
// and the line.
Status useLabelFolder(const QString& folder);
// Goes back to the texts supplied with the program.
void useBuiltInLabels();
// The folder of the label set in use; empty while the built-in labels are.
QString labelFolder();

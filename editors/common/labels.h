#pragma once

#include <QStringList>

// The list texts supplied with the program, one per line, from data/<name>.txt
// (compiled into the core). Trailing blanks are part of a text.
QStringList labelList(const QString& name);

// A single-line text from data/<name>.txt.
QString labelText(const QString& name);

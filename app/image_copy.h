#pragma once

#include <QString>

class Platform;
class QWidget;

// File > Save a Copy As...: writes the whole image being edited to a new file
// chosen in the platform's save dialog. The copy is written to a temporary
// file beside it and renamed when complete; the image being edited is never
// replaced and stays the one the editors work on.
void saveImageCopy(QWidget* parent, Platform& platform, const QString& romPath);

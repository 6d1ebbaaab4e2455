#pragma once

#include <QPixmap>

// The Save button's picture, 104 x 44 pixels; the pressed one differs from it
// in a few pixels, as if the button were pushed in.
QPixmap gatoSavePicture(bool pressed);

#pragma once

class QWidget;

// Sets the Tab order of a window's controls to the order in which they are
// seen: row by row from the top, left to right within a row. A frame or group
// box counts as one block at its place, its own controls ordered inside it,
// so that Tab finishes a frame before it leaves it. Controls hidden now (the
// other pages of a window) keep their place in the order.
void orderTabsByPosition(QWidget* window);

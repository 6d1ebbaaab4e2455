#pragma once

class QWidget;

// Keeps `window` at least as tall as its layout needs at the window's width,
// whenever its text or its width changes: a label that wraps its text (a
// path, a count) then shows every line at any font, where a window of a
// fixed starting size would cut the last ones off. Windows without such a
// layout are left as they are.
void growWithWrappedText(QWidget* window);

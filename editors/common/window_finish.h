#pragma once

class QWidget;

// A list longer than this gets a filter field above it.
inline constexpr int kFilterThreshold = 20;

// What every editor window gets once its controls are placed: a `Filter`
// field above its long list (one for the lists that share a place, as the
// enemy lists do), for which the window grows rather than the list shrinks;
// then the Tab order of its controls follows their places.
void finishEditorWindow(QWidget* window);

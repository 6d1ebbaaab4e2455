#pragma once

#include <QStringList>

class QWidget;

// What a user would find wrong in a window as it is shown now: a caption,
// frame title or value that is wider (or taller) than the room its control
// gives it in the window's own font and style (labels, buttons, check boxes
// and frame titles by the toolkit's own size hints), two controls of one parent
// that overlap, a control that covers a frame's title, or a control that
// sticks out of its frame. Only shown controls count; a control placed
// wholly outside its parent on purpose is never seen and is not judged.
// Each fault is one readable line naming the control.
QStringList layoutFaults(QWidget* window);

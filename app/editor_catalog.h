#pragma once

#include <span>

class EditorHost;
class QWidget;

// The editors of the main window's list, in its order: the caption of each
// row, the object name of the window the row opens, and how that window is made.
struct ListedEditor {
    const char* caption;
    const char* window;
    QWidget* (*create)(EditorHost& host);
};

std::span<const ListedEditor> listedEditors();

#pragma once

class EditorHost;
class QMainWindow;
class QMenu;

// The main window's Tools menu (object name `Tools`), made on first use: the
// windows that work across entries and images.
QMenu* toolsMenu(QMainWindow& main);

// Tools > Table Grid... (Ctrl+G, action `TableGrid`): the grid of the image
// loaded; nothing before an image is.
void addTableGridAction(QMenu& tools, EditorHost& host);

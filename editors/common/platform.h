#pragma once

#include <QString>

class QWidget;

// The program's few ways out to the platform, behind one seam: the program
// uses Qt's real dialogs and processes, tests use a scripted double, so that
// no test ever waits on a modal dialog.
class Platform {
public:
    virtual ~Platform() = default;

    // The full path of the chosen image, or an empty string on Cancel. The
    // dialog opens in `startFolder`; an empty one leaves that to the platform.
    virtual QString chooseImageFile(QWidget* parent, const QString& startFolder) = 0;
    // A file to read, chosen in an open dialog with a caption and name filters
    // ("Patches (*.bps *.ips)"); an empty string on Cancel.
    virtual QString chooseOpenFile(QWidget* parent, const QString& caption, const QString& filters) = 0;
    // A file to write, chosen in a save dialog that does not ask before
    // replacing an existing file (the caller checks the name first, then
    // asks); `selectedFilter` is preselected. An empty string on Cancel.
    virtual QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& filters,
                                   const QString& selectedFilter = {}) = 0;
    // A folder, or an empty string on Cancel.
    virtual QString chooseFolder(QWidget* parent, const QString& caption) = 0;
    // A modal question with Yes and No; true for Yes.
    virtual bool ask(QWidget* parent, const QString& text) = 0;
    // A modal message with an OK button only, titled with the program's name.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // Opens a text file in the system's text viewer without waiting for it.
    virtual bool openTextFile(const QString& path) = 0;
    // Ends the program.
    virtual void quit() = 0;
};

#pragma once

#include "editors/common/platform.h"

// The platform as the program uses it: Qt's file dialog and message box,
// the system's text viewer, and the application's own quit.
class QtPlatform : public Platform {
public:
    QString chooseImageFile(QWidget* parent, const QString& startFolder) override;
    QString chooseOpenFile(QWidget* parent, const QString& caption, const QString& filters) override;
    QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& filters,
                           const QString& selectedFilter) override;
    QString chooseFolder(QWidget* parent, const QString& caption) override;
    bool ask(QWidget* parent, const QString& text) override;
    void showMessage(QWidget* parent, const QString& text) override;
    bool openTextFile(const QString& path) override;
    void quit() override;
};

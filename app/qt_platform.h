#pragma once

#include "editors/common/platform.h"

// The platform as the program uses it: Qt's file dialog and message box,
// the system's text viewer, and the application's own quit.
class QtPlatform : public Platform {
public:
    QString chooseImageFile(QWidget* parent) override;
    void showMessage(QWidget* parent, const QString& text) override;
    bool openTextFile(const QString& path) override;
    void quit() override;
};

#pragma once

#include "editors/common/platform.h"

#include <QString>

#include <cstdio>

// The platform of programs that drive the windows with nobody at the screen
// (the benchmark, the screenshots): no file is chosen, every question is
// answered No, and a message, which there would mean a fault, goes to
// standard error and is counted.
class QuietPlatform : public Platform {
public:
    QString chooseImageFile(QWidget*, const QString&) override { return {}; }
    QString chooseOpenFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString chooseFolder(QWidget*, const QString&) override { return {}; }
    bool ask(QWidget*, const QString&) override { return false; }
    void showMessage(QWidget*, const QString& text) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        ++messages;
    }
    bool openTextFile(const QString&) override { return false; }
    void quit() override {}

    int messages = 0;
};

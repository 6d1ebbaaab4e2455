#pragma once

#include "app/app_shell.h"
#include "editors/common/platform.h"
#include "rom/rom_image.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>
#include <vector>

class QLineEdit;
class QListWidget;

// A platform whose dialogs answer from a script and record what they were asked.
class ScriptedPlatform : public Platform {
public:
    QStringList filesToChoose;  // answers of the image file dialog, in order; "" is Cancel
    QStringList imageDialogFolders;  // the folder each image file dialog opened in
    QStringList openAnswers;    // answers of the other open dialogs, in order; "" is Cancel
    QStringList saveAnswers;    // answers of the save dialogs, in order; "" is Cancel
    QStringList folderAnswers;  // answers of the folder dialog, in order; "" is Cancel
    QList<bool> askAnswers;     // answers of the Yes/No questions, in order; No when none is left
    QStringList questions;      // every question asked
    QStringList dialogCaptions; // the caption of every open, save and folder dialog shown
    QStringList messages;       // every message shown
    QStringList openedFiles;    // every file handed to the text viewer
    bool openSucceeds = true;
    int quitCalls = 0;

    QString chooseImageFile(QWidget*, const QString& startFolder) override;
    QString chooseOpenFile(QWidget*, const QString& caption, const QString& filters) override;
    QString chooseSaveFile(QWidget*, const QString& caption, const QString& filters,
                           const QString& selectedFilter) override;
    QString chooseFolder(QWidget*, const QString& caption) override;
    bool ask(QWidget*, const QString& text) override;
    void showMessage(QWidget*, const QString& text) override { messages << text; }
    bool openTextFile(const QString& path) override;
    void quit() override { ++quitCalls; }
};

// A generated sample image in a temporary folder.
class SampleImage {
public:
    SampleImage();
    SampleImage(const SampleImage&) = delete;
    SampleImage& operator=(const SampleImage&) = delete;
    ~SampleImage();

    QString path() const { return m_path; }
    Bytes bytes() const;
    // The whole of any file, or nothing when it cannot be read.
    static Bytes read(const QString& path);
    Bytes bytesAt(std::uint32_t position, std::size_t count) const;
    void poke(std::uint32_t position, const Bytes& bytes);

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Offsets at which two images differ.
std::vector<std::size_t> changedOffsets(const Bytes& before, const Bytes& after);
// The offsets position..position+count-1, for comparing with changedOffsets.
std::vector<std::size_t> offsetRange(std::size_t position, std::size_t count);

// The whole program on a sample image, driven as a user would drive it. Each
// session starts with empty settings, kept apart from the user's own.
class Session {
public:
    explicit Session(bool loadImage = true);
    ~Session();

    ScriptedPlatform platform;
    SampleImage image;

    AppShell& shell() { return *m_shell; }
    QWidget* mainWindow();
    void load(const QString& path);  // File > Load, answering the dialog with path
    // Ends the program and starts it again with the settings it left, naming
    // `image` on the command line when one is given.
    void restart(const QString& image = {});
    // Chooses an entry of the main window's editor list; returns the window it shows.
    QWidget* openEditor(int listIndex, const QString& objectName);

private:
    std::unique_ptr<AppShell> m_shell;
};

template <typename T>
T* child(QWidget* window, const QString& name)
{
    return window ? window->findChild<T*>(name) : nullptr;
}

// The seed of a property test: `fixed`, so that a failure can be replayed,
// unless VELDRA_PROPERTY_SEED picks another.
quint32 propertySeed(quint32 fixed);

// Replaces a field's text by typing, as a user would (select all, type).
void typeInto(QLineEdit* field, const QString& text);
// Clicks a window's Save button (or the button of that name) as a user would.
void clickSave(QWidget* window, const QString& button = QStringLiteral("Save"));
// Selects a list entry as a user's click would.
void clickRow(QListWidget* list, int row);

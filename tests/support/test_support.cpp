#include "tests/support/test_support.h"

#include "app/main_window.h"
#include "rom/history/data_folder.h"
#include "rom/platform/path_text.h"
#include "rom/sample_image.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

// A test binary run by hand, outside CTest (which names a folder of the
// build), keeps the journals of its saves in a folder of its own under the
// temporary folder: no test writes into the user's data folder.
const bool kDataFolderChosen = [] {
    if (qEnvironmentVariableIsEmpty("VELDRA_FORGE_DATA_DIR"))
        qputenv("VELDRA_FORGE_DATA_DIR", (QDir::tempPath() + QStringLiteral("/veldra-forge-test-data")).toLocal8Bit());
    return true;
}();

}  // namespace

QString ScriptedPlatform::chooseImageFile(QWidget*, const QString& startFolder)
{
    imageDialogFolders << startFolder;
    return filesToChoose.isEmpty() ? QString() : filesToChoose.takeFirst();
}

QString ScriptedPlatform::chooseOpenFile(QWidget*, const QString& caption, const QString&)
{
    dialogCaptions << caption;
    return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

QString ScriptedPlatform::chooseSaveFile(QWidget*, const QString& caption, const QString&, const QString&)
{
    dialogCaptions << caption;
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

QString ScriptedPlatform::chooseFolder(QWidget*, const QString& caption)
{
    dialogCaptions << caption;
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

bool ScriptedPlatform::ask(QWidget*, const QString& text)
{
    questions << text;
    return askAnswers.isEmpty() ? false : askAnswers.takeFirst();
}

bool ScriptedPlatform::openTextFile(const QString& path)
{
    openedFiles << path;
    return openSucceeds;
}

SampleImage::SampleImage() : m_path(m_dir.filePath(QStringLiteral("sample.sfc")))
{
    const Status written = writeSampleImage(m_path.toStdString());
    if (!written)
        qFatal("cannot write the sample image: %s", written.error().c_str());
}

SampleImage::~SampleImage()
{
    // the sample's journal and restore points (4 MiB each) go with it, so
    // that a test run does not fill the disk with histories of deleted images
    if (const auto folder = historyFolderFor(pathFromUtf8(m_path.toStdString()))) {
        std::error_code ignored;
        std::filesystem::remove_all(*folder, ignored);
    }
}

Bytes SampleImage::bytes() const { return read(m_path); }

Bytes SampleImage::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = file.readAll();
    return Bytes(all.begin(), all.end());
}

Bytes SampleImage::bytesAt(std::uint32_t position, std::size_t count) const
{
    const Bytes all = bytes();
    if (position + count > all.size())
        return {};
    return Bytes(all.begin() + position, all.begin() + position + count);
}

void SampleImage::poke(std::uint32_t position, const Bytes& bytes)
{
    const Status written = RomImage(m_path.toStdString(), IdentityCheck::Skipped).write(position, bytes);
    if (!written)
        qFatal("cannot poke the sample image: %s", written.error().c_str());
}

std::vector<std::size_t> changedOffsets(const Bytes& before, const Bytes& after)
{
    std::vector<std::size_t> out;
    const std::size_t n = std::max(before.size(), after.size());
    for (std::size_t i = 0; i < n; ++i)
        if (i >= before.size() || i >= after.size() || before[i] != after[i])
            out.push_back(i);
    return out;
}

std::vector<std::size_t> offsetRange(std::size_t position, std::size_t count)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(position + i);
    return out;
}

namespace {

// Tests never read or write the user's settings: they live in a folder of
// their own for the run, and each session empties them.
void keepSettingsApart()
{
    QStandardPaths::setTestModeEnabled(true);
    static QTemporaryDir folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    QCoreApplication::setOrganizationName(QStringLiteral("veldra-forge-tests"));
}
Q_COREAPP_STARTUP_FUNCTION(keepSettingsApart)

}  // namespace

Session::Session(bool loadImage)
{
    QSettings().clear();
    m_shell = std::make_unique<AppShell>(platform);
    m_shell->start({});
    if (loadImage)
        load(image.path());
}

void Session::restart(const QString& imagePath)
{
    m_shell.reset();
    m_shell = std::make_unique<AppShell>(platform);
    m_shell->start(imagePath);
}

Session::~Session() { m_shell.reset(); }

QWidget* Session::mainWindow() { return &m_shell->mainWindow(); }

void Session::load(const QString& path)
{
    platform.filesToChoose << path;
    m_shell->mainWindow().findChild<QAction*>(QStringLiteral("Load"))->trigger();
}

QWidget* Session::openEditor(int listIndex, const QString& objectName)
{
    auto* list = child<QListWidget>(mainWindow(), QStringLiteral("List1"));
    clickRow(list, listIndex);
    return m_shell->windows().find(objectName);
}

quint32 propertySeed(quint32 fixed)
{
    bool ok = false;
    const quint32 fromEnv = qEnvironmentVariable("VELDRA_PROPERTY_SEED").toUInt(&ok);
    return ok ? fromEnv : fixed;
}

void typeInto(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

void clickSave(QWidget* window, const QString& button)
{
    QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
}

void clickRow(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    const QRect rect = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

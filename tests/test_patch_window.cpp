#include "tests/support/test_support.h"

#include "app/image_info_window.h"
#include "rom/files.h"
#include "rom/formats/bps_patch.h"
#include "rom/formats/ips_patch.h"
#include "rom/image_facts.h"
#include "rom/sample_image.h"
#include "rom/tables.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void trigger(Session& s, const char* action) { s.mainWindow()->findChild<QAction*>(action)->trigger(); }

QString besideImage(Session& s, const QString& name) { return QFileInfo(s.image.path()).dir().filePath(name); }

Bytes fileBytes(const QString& path)
{
    auto bytes = readWholeFile(path.toStdString());
    return bytes ? *bytes : Bytes{};
}

void writeFile(const QString& path, const Bytes& bytes) { QVERIFY(writeNewFile(path.toStdString(), bytes).ok()); }

// The sample image with a copier header in front, beside the image.
Bytes writeHeadered(Session& s, const QString& name)
{
    Bytes file(512, 0);
    const Bytes image = makeSampleImage();
    file.insert(file.end(), image.begin(), image.end());
    writeFile(besideImage(s, name), file);
    return file;
}

QStringList folder(Session& s)
{
    return QFileInfo(s.image.path()).dir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Saves weapon 4 with another value in its first field, as a user would.
void saveAWeapon(Session& s)
{
    QWidget* weapon = s.openEditor(3, "Weapon");
    clickRow(child<QListWidget>(weapon, "List1"), 4);
    auto* field = child<QLineEdit>(weapon, "Text1");
    typeInto(field, QString::number((field->text().toInt() + 1) % 200));
    clickSave(weapon);
    QVERIFY(s.platform.messages.isEmpty());
}

}  // namespace

class PatchWindowTest : public QObject {
    Q_OBJECT
private slots:
    void fileMenuOffersTheThreeCommands();
    void createPatchWritesWhatTheEditsChanged_data();
    void createPatchWritesWhatTheEditsChanged();
    void createPatchCancelledOrRefusedWritesNothing();
    void applyPatchWritesACopyAndOffersToLoadIt();
    void applyPatchRefusesAPatchForAnotherImage();
    void imageInfoShowsTheFactsAndFixesAStaleChecksum();
    void headeredImageIsLoadedThroughACopy();
    void headeredImageDeclinedLoadsNothing();
    void declinedHeaderCopyKeepsTheImageBeingEdited();
    void everyOutputRefusesTheImageBeingEdited_data();
    void everyOutputRefusesTheImageBeingEdited();
    void outputsAskBeforeReplacingAndNeverReplaceAPipe();
    void createPatchCopiesAHeaderedOriginalWithoutItsHeader();
    void imageInfoFollowsTheLoadedImage();
};

void PatchWindowTest::fileMenuOffersTheThreeCommands()
{
    Session s(false);
    const QStringList expected{"Create Patch...", "Apply Patch...", "Image Info..."};
    for (int i = 0; i < 3; ++i) {
        auto* a = s.mainWindow()->findChild<QAction*>(QStringList{"CreatePatch", "ApplyPatch", "ImageInfo"}[i]);
        QVERIFY(a);
        QCOMPARE(a->text(), expected[i]);
    }
    // before any image is loaded there is nothing to make a patch of
    trigger(s, "CreatePatch");
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains("Load your modified image first"));
    QVERIFY(s.platform.dialogCaptions.isEmpty());
}

void PatchWindowTest::createPatchWritesWhatTheEditsChanged_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("name");
    QTest::newRow("bps") << "hack.bps" << "hack.bps";
    QTest::newRow("ips") << "hack.IPS" << "hack.IPS";
    QTest::newRow("no extension: bps") << "hack" << "hack.bps";
}

void PatchWindowTest::createPatchWritesWhatTheEditsChanged()
{
    QFETCH(QString, answer);
    QFETCH(QString, name);
    Session s;
    const QString original = besideImage(s, "original.sfc");
    writeFile(original, s.image.bytes());
    saveAWeapon(s);
    s.image.poke(tables::chests.base + 9, {0x12});
    const Bytes modified = s.image.bytes();

    s.platform.openAnswers << original;
    s.platform.saveAnswers << besideImage(s, answer);
    trigger(s, "CreatePatch");
    QCOMPARE(s.platform.dialogCaptions, QStringList({"Choose the Original Image", "Save Patch"}));
    const Bytes patch = fileBytes(besideImage(s, name));
    QVERIFY(!patch.empty());
    const auto applied = name.endsWith(".bps") ? applyBps(fileBytes(original), patch) : applyIps(fileBytes(original), patch);
    QVERIFY2(applied.ok(), applied.error().c_str());
    QVERIFY(*applied == modified);
    QCOMPARE(s.platform.messages.size(), 1);
    QCOMPARE(s.platform.messages[0], QString("Wrote %1: %2 bytes, 2 changed runs (from original.sfc to sample.sfc).")
                                         .arg(name)
                                         .arg(patch.size()));
    QCOMPARE(s.image.bytes(), modified);
    QCOMPARE(fileBytes(original), makeSampleImage());
    QCOMPARE(folder(s), QStringList({name, "original.sfc", "sample.sfc"}));
}

void PatchWindowTest::createPatchCancelledOrRefusedWritesNothing()
{
    Session s;
    const QStringList before = folder(s);
    // Cancel in the first dialog, then in the second
    trigger(s, "CreatePatch");
    s.platform.openAnswers << s.image.path();
    trigger(s, "CreatePatch");
    QCOMPARE(s.platform.dialogCaptions.size(), 3);
    QVERIFY(s.platform.messages.isEmpty());
    // an original that is no image of the game
    const QString other = besideImage(s, "other.bin");
    writeFile(other, Bytes(0x20000, 1));
    s.platform.openAnswers << other;
    s.platform.saveAnswers << besideImage(s, "hack.bps");
    trigger(s, "CreatePatch");
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains("other.bin is not a Veldra Saga ROM"), qPrintable(s.platform.messages[0]));
    QCOMPARE(folder(s), QStringList({"other.bin", "sample.sfc"}));
    QCOMPARE(before, QStringList{"sample.sfc"});
}

void PatchWindowTest::applyPatchWritesACopyAndOffersToLoadIt()
{
    Session s;
    Bytes changed = s.image.bytes();
    changed[tables::weapons.base] ^= 0x0F;
    const QString patch = besideImage(s, "hack.bps");
    const QString output = besideImage(s, "patched.sfc");
    writeFile(patch, createBps(s.image.bytes(), changed));

    s.platform.openAnswers << patch << s.image.path();
    s.platform.saveAnswers << output;
    s.platform.askAnswers << true;
    trigger(s, "ApplyPatch");
    QCOMPARE(s.platform.dialogCaptions,
             QStringList({"Choose a Patch", "Choose the Image to Patch", "Save the Patched Image"}));
    QVERIFY(fileBytes(output) == changed);
    QCOMPARE(s.image.bytes(), makeSampleImage());
    QCOMPARE(s.platform.questions, QStringList{"Wrote patched.sfc (4,194,304 bytes). Load the patched image now?"});
    QCOMPARE(s.shell().romPath(), output);
    QVERIFY(s.mainWindow()->windowTitle().contains("patched.sfc"));

    // declining keeps the image being edited
    const QString second = besideImage(s, "second.sfc");
    s.platform.openAnswers << patch << s.image.path();
    s.platform.saveAnswers << second;
    trigger(s, "ApplyPatch");
    QVERIFY(fileBytes(second) == changed);
    QCOMPARE(s.shell().romPath(), output);
}

void PatchWindowTest::applyPatchRefusesAPatchForAnotherImage()
{
    Session s;
    Bytes other = s.image.bytes();
    other[0x40] ^= 1;
    const QString patch = besideImage(s, "other.bps");
    writeFile(patch, createBps(other, s.image.bytes()));
    const QStringList before = folder(s);
    s.platform.openAnswers << patch << s.image.path();
    s.platform.saveAnswers << besideImage(s, "patched.sfc");
    trigger(s, "ApplyPatch");
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains("made for an image with CRC32 "), qPrintable(s.platform.messages[0]));
    QVERIFY(s.platform.questions.isEmpty());
    QCOMPARE(folder(s), before);
    QCOMPARE(s.shell().romPath(), s.image.path());
}

void PatchWindowTest::imageInfoShowsTheFactsAndFixesAStaleChecksum()
{
    Session s;
    trigger(s, "ImageInfo");
    QWidget* info = s.shell().windows().find("ImageInfo");
    QVERIFY(info);
    QCOMPARE(child<QLabel>(info, "Title")->text(), QString("VELDRA SAGA SAMPLE   "));
    QCOMPARE(child<QLabel>(info, "Copierheader")->text(), QString("none"));
    QCOMPARE(child<QLabel>(info, "Identity")->text(), QString("at 0x10651: 0xAD104E20 (Veldra Saga)"));
    QCOMPARE(child<QLabel>(info, "Checksumstate")->text(), QString("matches"));
    auto* fix = child<QPushButton>(info, "FixChecksum");
    QVERIFY(!fix->isEnabled());

    // a save in an editor makes the stored checksum stale
    saveAWeapon(s);
    const Bytes edited = s.image.bytes();
    trigger(s, "ImageInfo");
    QCOMPARE(s.shell().windows().find("ImageInfo"), info);
    QCOMPARE(child<QLabel>(info, "Checksumstate")->text(), QString("stale"));
    QVERIFY(fix->isEnabled());
    QTest::mouseClick(fix, Qt::LeftButton);
    QCOMPARE(child<QLabel>(info, "Checksumstate")->text(), QString("matches"));
    QVERIFY(!fix->isEnabled());
    QVERIFY(child<QLabel>(info, "bar")->text().startsWith("Wrote the checksum 0x"));
    const Bytes fixed = s.image.bytes();
    // the complement and checksum only, whichever of their 4 bytes differ
    const auto changed = changedOffsets(edited, fixed);
    QVERIFY(!changed.empty());
    for (std::size_t offset : changed)
        QVERIFY(offset >= kComplementPosition && offset < kComplementPosition + 4);
    QVERIFY(describeImage(fixed).checksumOk);

    // the fix is a step of the image's history, as the tool's is: Undo Save
    // takes the four bytes back, and the window follows
    QCOMPARE(s.shell().saveLog().history().entries().back().source, std::string("Image Info"));
    trigger(s, "UndoSave");
    QVERIFY(s.platform.messages.isEmpty());
    QVERIFY(s.image.bytes() == edited);
    trigger(s, "ImageInfo");
    QCOMPARE(child<QLabel>(info, "Checksumstate")->text(), QString("stale"));
}

void PatchWindowTest::headeredImageIsLoadedThroughACopy()
{
    Session s(false);
    const QString headered = besideImage(s, "headered.smc");
    Bytes file(512, 0);
    const Bytes image = s.image.bytes();
    file.insert(file.end(), image.begin(), image.end());
    writeFile(headered, file);
    const QString copy = besideImage(s, "copy.sfc");
    s.platform.askAnswers << true;
    s.platform.saveAnswers << copy;
    s.load(headered);
    QCOMPARE(s.platform.questions.size(), 1);
    QVERIFY2(s.platform.questions[0].contains("headered.smc carries a 512-byte copier header"),
             qPrintable(s.platform.questions[0]));
    QCOMPARE(s.platform.dialogCaptions, QStringList{"Save a Copy Without the Copier Header"});
    QVERIFY(fileBytes(copy) == image);
    QVERIFY(fileBytes(headered) == file);
    QCOMPARE(s.shell().romPath(), copy);
    QVERIFY(child<QListWidget>(s.mainWindow(), "List1")->isEnabled());
    QVERIFY(s.mainWindow()->windowTitle().contains("copy.sfc"));

    // the editors work on the copy
    saveAWeapon(s);
    QVERIFY(fileBytes(copy) != image);
    QVERIFY(fileBytes(headered) == file);
}

void PatchWindowTest::headeredImageDeclinedLoadsNothing()
{
    Session s(false);
    const QString headered = besideImage(s, "headered.smc");
    Bytes file(512, 0);
    const Bytes image = s.image.bytes();
    file.insert(file.end(), image.begin(), image.end());
    writeFile(headered, file);
    const QStringList before = folder(s);
    s.load(headered);  // No
    QCOMPARE(s.platform.questions.size(), 1);
    s.platform.askAnswers << true;  // Yes, then Cancel in the save dialog
    s.load(headered);
    QCOMPARE(s.platform.questions.size(), 2);
    QVERIFY(s.shell().romPath().isEmpty());
    QVERIFY(!child<QListWidget>(s.mainWindow(), "List1")->isEnabled());
    // the file is the game's image, only behind a header: the title says so
    QCOMPARE(s.mainWindow()->windowTitle(),
             QString("Veldra Forge \u2014 headered.smc is a Veldra Saga ROM behind a copier header and was not opened."));
    QCOMPARE(folder(s), before);
    QVERIFY(fileBytes(headered) == file);
}

void PatchWindowTest::declinedHeaderCopyKeepsTheImageBeingEdited()
{
    Session s;
    saveAWeapon(s);
    QWidget* weapon = s.shell().windows().find("Weapon");
    const Bytes edited = s.image.bytes();
    const Bytes headered = writeHeadered(s, "headered.smc");
    const QString expected = QString("Veldra Forge \u2014 headered.smc is a Veldra Saga ROM behind a copier header "
                                     "and was not opened. (still editing sample.sfc)");
    // No; then Yes and Cancel in the save dialog; then Yes and the image being edited as the copy
    s.load(besideImage(s, "headered.smc"));
    QCOMPARE(s.mainWindow()->windowTitle(), expected);
    s.platform.askAnswers << true;
    s.load(besideImage(s, "headered.smc"));
    QCOMPARE(s.mainWindow()->windowTitle(), expected);
    s.platform.askAnswers << true;
    s.platform.saveAnswers << s.image.path();
    s.load(besideImage(s, "headered.smc"));
    QCOMPARE(s.mainWindow()->windowTitle(), expected);
    QCOMPARE(s.platform.questions.size(), 3);

    // nothing of the image being edited is lost: the list, the editor, the history
    QCOMPARE(s.shell().romPath(), s.image.path());
    QVERIFY(child<QListWidget>(s.mainWindow(), "List1")->isEnabled());
    QVERIFY(s.shell().saveLog().history().canUndo());
    QCOMPARE(s.image.bytes(), edited);
    QCOMPARE(fileBytes(besideImage(s, "headered.smc")), headered);
    QCOMPARE(s.shell().windows().find("Weapon"), weapon);
    s.mainWindow()->findChild<QAction*>("UndoSave")->trigger();
    QCOMPARE(s.image.bytes(), makeSampleImage());
}

void PatchWindowTest::everyOutputRefusesTheImageBeingEdited_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("spelling");
    for (const char* command : {"apply", "create", "header copy", "copy"})
        for (const char* spelling : {"same", "dotted", "symlink", "hard link"})
            QTest::newRow(qPrintable(QString("%1, %2").arg(command, spelling))) << command << spelling;
}

// Every file the main window writes names the image being edited at the
// moment of choosing: the answer is refused before any question to replace
// it, and nothing is written, by whichever name it is given.
void PatchWindowTest::everyOutputRefusesTheImageBeingEdited()
{
    QFETCH(QString, command);
    QFETCH(QString, spelling);
    Session s;
    const QString original = besideImage(s, "original.sfc");
    writeFile(original, s.image.bytes());
    saveAWeapon(s);
    // a patch whose result differs from the image being edited, so that a
    // result written over it would show
    Bytes result = makeSampleImage();
    result[tables::chests.base] ^= 0x40;
    const QString patch = besideImage(s, "hack.bps");
    writeFile(patch, createBps(fileBytes(original), result));
    writeHeadered(s, "headered.smc");

    QString name = s.image.path();
    if (spelling == "dotted")
        name = QFileInfo(s.image.path()).dir().path() + "/./sample.sfc";
    else if (spelling == "symlink")
        QVERIFY(QFile::link(s.image.path(), name = besideImage(s, "link.sfc")));
    else if (spelling == "hard link")
        QCOMPARE(::link(QFile::encodeName(s.image.path()).constData(),
                        QFile::encodeName(name = besideImage(s, "hard.sfc")).constData()),
                 0);
    const Bytes edited = s.image.bytes();
    const QStringList files = folder(s);

    QString refusal;
    if (command == "apply") {
        s.platform.openAnswers << patch << original;
        s.platform.saveAnswers << name;
        trigger(s, "ApplyPatch");
        refusal = "No patched image was written: ";
    } else if (command == "create") {
        s.platform.openAnswers << original;
        s.platform.saveAnswers << name;
        trigger(s, "CreatePatch");
        refusal = "No patch was written: ";
    } else if (command == "header copy") {
        s.platform.askAnswers << true;
        s.platform.saveAnswers << name;
        s.load(besideImage(s, "headered.smc"));
        refusal = "No copy was written: ";
    } else {
        s.platform.saveAnswers << name;
        trigger(s, "SaveCopy");
        refusal = "No copy was written: ";
    }
    QVERIFY(s.platform.saveAnswers.isEmpty());
    QCOMPARE(s.platform.messages.size(), 1);
    const QString message = s.platform.messages[0];
    QVERIFY2(message.startsWith(refusal + name + " is the image being edited"), qPrintable(message));
    if (spelling.contains("link"))
        QVERIFY2(message.contains(s.image.path() + ", under another name"), qPrintable(message));
    // the header question is the only one: nothing asked to replace the image
    QCOMPARE(s.platform.questions.size(), command == "header copy" ? 1 : 0);
    QCOMPARE(s.image.bytes(), edited);
    QCOMPARE(folder(s), files);
    QCOMPARE(s.shell().romPath(), s.image.path());
    QVERIFY(s.shell().saveLog().history().canUndo());
}

void PatchWindowTest::outputsAskBeforeReplacingAndNeverReplaceAPipe()
{
    Session s;
    Bytes changed = s.image.bytes();
    changed[tables::weapons.base] ^= 0x0F;
    const QString patch = besideImage(s, "hack.bps");
    writeFile(patch, createBps(s.image.bytes(), changed));
    const QString old = besideImage(s, "old.sfc");
    writeFile(old, Bytes{1, 2, 3});

    // No goes back to the dialog, whose Cancel ends it: the old file stays
    s.platform.openAnswers << patch << s.image.path();
    s.platform.saveAnswers << old;
    trigger(s, "ApplyPatch");
    QCOMPARE(s.platform.questions, QStringList{old + " already exists. Replace it?"});
    QCOMPARE(s.platform.dialogCaptions.count("Save the Patched Image"), 2);
    QCOMPARE(fileBytes(old), Bytes({1, 2, 3}));
    QVERIFY(s.platform.messages.isEmpty());

    // Yes replaces it
    s.platform.openAnswers << patch << s.image.path();
    s.platform.saveAnswers << old;
    s.platform.askAnswers << true;  // replace; then No to loading it
    trigger(s, "ApplyPatch");
    QVERIFY(fileBytes(old) == changed);

    // a named pipe is never replaced, and never asked about
    const QString pipe = besideImage(s, "pipe.sfc");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    s.platform.questions.clear();
    s.platform.openAnswers << patch << s.image.path();
    s.platform.saveAnswers << pipe;
    trigger(s, "ApplyPatch");
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].startsWith("No patched image was written: " + pipe + " is not a regular file"),
             qPrintable(s.platform.messages[0]));
    QVERIFY(s.platform.questions.isEmpty());
    struct stat kind {};
    QCOMPARE(::lstat(QFile::encodeName(pipe).constData(), &kind), 0);
    QVERIFY(S_ISFIFO(kind.st_mode));
    QCOMPARE(s.image.bytes(), makeSampleImage());
}

void PatchWindowTest::createPatchCopiesAHeaderedOriginalWithoutItsHeader()
{
    Session s;
    saveAWeapon(s);
    const Bytes modified = s.image.bytes();
    const Bytes headered = writeHeadered(s, "original.smc");
    const QString copy = besideImage(s, "original.sfc");
    const QString patch = besideImage(s, "hack.bps");

    // declined: nothing written, and no other program is named
    s.platform.openAnswers << besideImage(s, "original.smc");
    trigger(s, "CreatePatch");
    QCOMPARE(s.platform.questions.size(), 1);
    QVERIFY2(s.platform.questions[0].startsWith("original.smc carries a 512-byte copier header")
                 && s.platform.questions[0].contains("make the patch from that copy?"),
             qPrintable(s.platform.questions[0]));
    QVERIFY(s.platform.messages.isEmpty());
    QCOMPARE(folder(s), QStringList({"original.smc", "sample.sfc"}));

    // accepted: the copy, then the patch made from it
    s.platform.dialogCaptions.clear();
    s.platform.openAnswers << besideImage(s, "original.smc");
    s.platform.askAnswers << true;
    s.platform.saveAnswers << copy << patch;
    trigger(s, "CreatePatch");
    QCOMPARE(s.platform.dialogCaptions,
             QStringList({"Choose the Original Image", "Save a Copy Without the Copier Header", "Save Patch"}));
    QCOMPARE(fileBytes(copy), makeSampleImage());
    QCOMPARE(fileBytes(besideImage(s, "original.smc")), headered);
    const auto applied = applyBps(fileBytes(copy), fileBytes(patch));
    QVERIFY2(applied.ok(), applied.error().c_str());
    QVERIFY(*applied == modified);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].startsWith("Wrote hack.bps: ") && s.platform.messages[0].contains("from original.sfc"),
             qPrintable(s.platform.messages[0]));
    QVERIFY(!s.platform.messages[0].contains("strip-header"));
    QCOMPARE(s.image.bytes(), modified);
}

void PatchWindowTest::imageInfoFollowsTheLoadedImage()
{
    // before any image is loaded: a chosen file is shown, never written
    Session s(false);
    const QString other = besideImage(s, "other.sfc");
    Bytes stale = makeSampleImage();
    stale[tables::weapons.base] ^= 0x0F;
    writeFile(other, stale);
    s.platform.openAnswers << other;
    trigger(s, "ImageInfo");
    QWidget* info = s.shell().windows().find("ImageInfo");
    QVERIFY(info);
    QCOMPARE(child<QLabel>(info, "File")->text(), other);
    QCOMPARE(child<QLabel>(info, "Checksumstate")->text(), QString("stale"));
    auto* fix = child<QPushButton>(info, "FixChecksum");
    QVERIFY(!fix->isEnabled());
    QVERIFY(child<QLabel>(info, "bar")->text().contains("load this file to fix it"));
    qobject_cast<ImageInfoWindow*>(info)->FixChecksum_Click();
    QCOMPARE(fileBytes(other), stale);

    // a Load moves the open window to the image loaded, and so does the next one
    s.load(s.image.path());
    QCOMPARE(child<QLabel>(info, "File")->text(), s.image.path());
    QCOMPARE(child<QLabel>(info, "Checksumstate")->text(), QString("matches"));
    QVERIFY(!fix->isEnabled());
    s.load(other);
    QCOMPARE(child<QLabel>(info, "File")->text(), other);
    QCOMPARE(child<QLabel>(info, "Checksumstate")->text(), QString("stale"));

    // Fix Checksum writes the image loaded last, and nothing else
    QVERIFY(fix->isEnabled());
    QTest::mouseClick(fix, Qt::LeftButton);
    QVERIFY(describeImage(fileBytes(other)).checksumOk);
    for (std::size_t offset : changedOffsets(stale, fileBytes(other)))
        QVERIFY(offset >= kComplementPosition && offset < kComplementPosition + 4);
    QCOMPARE(s.image.bytes(), makeSampleImage());
}

QTEST_MAIN(PatchWindowTest)
#include "test_patch_window.moc"

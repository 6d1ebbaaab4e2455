#include "tests/support/test_support.h"

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

namespace {

void trigger(Session& s, const char* action) { s.mainWindow()->findChild<QAction*>(action)->trigger(); }

QString besideImage(Session& s, const QString& name) { return QFileInfo(s.image.path()).dir().filePath(name); }

Bytes fileBytes(const QString& path)
{
    auto bytes = readWholeFile(path.toStdString());
    return bytes ? *bytes : Bytes{};
}

void writeFile(const QString& path, const Bytes& bytes) { QVERIFY(writeNewFile(path.toStdString(), bytes).ok()); }

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
    QVERIFY(child<QLabel>(info, "Identity")->text().contains("-1391440352 (Veldra Saga)"));
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
    QVERIFY(s.mainWindow()->windowTitle().contains("This is not a Veldra Saga ROM."));
    QCOMPARE(folder(s), before);
    QVERIFY(fileBytes(headered) == file);
}

QTEST_MAIN(PatchWindowTest)
#include "test_patch_window.moc"

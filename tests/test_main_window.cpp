#include "tests/support/pipe_guard.h"
#include "tests/support/test_support.h"

#include "app/main_window.h"
#include "rom/tables.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

namespace {

QAction* action(Session& s, const char* name) { return s.mainWindow()->findChild<QAction*>(name); }
QListWidget* editorList(Session& s) { return child<QListWidget>(s.mainWindow(), "List1"); }
bool otherEnabled(Session& s) { return s.mainWindow()->findChild<QMenu*>("Other")->isEnabled(); }

// a copy of the sample image with other bytes at the identity position
QString imposter(Session& s, const Bytes& identity, const QString& name)
{
    const QString path = QFileInfo(s.image.path()).dir().filePath(name);
    QFile::copy(s.image.path(), path);
    RomImage(path.toStdString(), IdentityCheck::Skipped).write(kIdentityPosition, identity);
    return path;
}

void waitForDeletion(QWidget* w)
{
    QPointer<QWidget> watched(w);
    QTRY_VERIFY(watched.isNull());
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithEditorsDisabled();
    void acceptsAnImageByItsIdentityValue();
    void rejectsOtherFiles_data();
    void rejectsOtherFiles();
    void rejectedLoadKeepsEditorsOnTheAcceptedImage();
    void pipeIsRejectedWithoutWaiting();
    void cancelChangesNothing();
    void cancelAcceptsTheAcceptedImageAgain();
    void acceptedImageLosesReadOnly();
    void saveCopyWritesTheWholeImageAndKeepsEditingIt();
    void saveCopyNeverReplacesTheImageBeingEdited();
    void everyWindowExistsAtMostOnce();
    void arrowKeysOpenEachEditorPassedOver();
    void exitAndClosingTheMainWindowEndTheProgram();
    void readmeOpensWithoutWaiting();
    void readmeDescribesEveryCommandAndShortcut();
    void aboutBoxIsNonModalAndClosesWithOk();
};

void MainWindowTest::startsWithEditorsDisabled()
{
    Session s(false);
    QCOMPARE(s.mainWindow()->objectName(), QString("Main"));
    QCOMPARE(s.mainWindow()->windowTitle(), QString("Veldra Forge"));
    QListWidget* list = editorList(s);
    const QStringList expected{"Characters", "NPCs",           "Enemy",
                               "Weapons",    "Armor",          "Accessory",
                               "Item Secondary", "Consumable and Key Item ", "Chest Editing"};
    QCOMPARE(list->count(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(list->item(i)->text(), expected[i]);
    QVERIFY(!list->isEnabled());
    QVERIFY(!otherEnabled(s));
    clickRow(list, 0);
    QVERIFY(!s.shell().windows().find("Character"));
    for (const char* name : {"Load", "Exit", "Gato1", "Readme", "About"})
        QVERIFY2(action(s, name), name);
}

void MainWindowTest::acceptsAnImageByItsIdentityValue()
{
    Session s(false);
    // only the four identity bytes matter, whatever the rest holds
    const QString path = QFileInfo(s.image.path()).dir().filePath("blank.sfc");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(0x10660, '\0'));
    }
    RomImage(path.toStdString(), IdentityCheck::Skipped).write(kIdentityPosition, Bytes{0x20, 0x4E, 0x10, 0xAD});
    s.load(path);
    QVERIFY(editorList(s)->isEnabled());
    QVERIFY(otherEnabled(s));
    QCOMPARE(child<QLabel>(s.mainWindow(), "fecal")->text(), QString("-1391440352"));
    QCOMPARE(s.shell().romPath(), path);
    QVERIFY(s.mainWindow()->windowTitle().contains("blank.sfc"));
}

void MainWindowTest::rejectsOtherFiles_data()
{
    QTest::addColumn<QByteArray>("identity");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("fecal");
    QTest::newRow("bytes in another order") << QByteArray("\xAD\x10\x4E\x20", 4) << 0x400000 << "541986989";
    QTest::newRow("too short to hold the value") << QByteArray("\x20\x4E", 2) << 0x10653 << "Da Rom Check Label";
}

void MainWindowTest::rejectsOtherFiles()
{
    QFETCH(QByteArray, identity);
    QFETCH(int, length);
    QFETCH(QString, fecal);
    Session s(false);
    const QString path = imposter(s, Bytes(identity.begin(), identity.end()), "other.sfc");
    QFile::resize(path, length);
    s.load(path);
    QVERIFY(!editorList(s)->isEnabled());
    QVERIFY(!otherEnabled(s));
    QCOMPARE(child<QLabel>(s.mainWindow(), "fecal")->text(), fecal);
    QVERIFY(s.mainWindow()->windowTitle().contains("This is not a Veldra Saga ROM."));
    QVERIFY(s.shell().romPath().isEmpty());
    QVERIFY(s.platform.messages.isEmpty());
}

void MainWindowTest::rejectedLoadKeepsEditorsOnTheAcceptedImage()
{
    Session s;
    QWidget* w = s.openEditor(0, "Character");
    const QString other = imposter(s, Bytes{1, 2, 3, 4}, "other.sfc");
    const Bytes otherBefore = RomImage(other.toStdString(), IdentityCheck::Skipped).read(0, kImageSize).value();
    s.load(other);
    QVERIFY(editorList(s)->isEnabled());
    QVERIFY(s.mainWindow()->windowTitle().contains("This is not a Veldra Saga ROM."));
    QVERIFY(s.mainWindow()->windowTitle().contains("sample.sfc"));

    typeInto(child<QLineEdit>(w, "Text1"), "42");
    QTest::mouseClick(child<QPushButton>(w, "Save"), Qt::LeftButton);
    QCOMPARE(s.image.bytesAt(tables::characterSprites.base, 1), Bytes{42});
    QCOMPARE(RomImage(other.toStdString(), IdentityCheck::Skipped).read(0, kImageSize).value(), otherBefore);
}

void MainWindowTest::pipeIsRejectedWithoutWaiting()
{
    Session s(false);
    const QString path = QFileInfo(s.image.path()).dir().filePath("pipe.sfc");
    PipeGuard pipe(path.toStdString());
    QVERIFY(pipe.made());
    s.load(path);
    QVERIFY(!pipe.released());
    QVERIFY(!editorList(s)->isEnabled());
    const QString title = s.mainWindow()->windowTitle();
    QVERIFY2(title.contains("This is not a Veldra Saga ROM.") && title.contains("pipe.sfc"), qPrintable(title));
    QVERIFY(s.shell().romPath().isEmpty());

    // and after an image was accepted, the editors stay on it
    s.load(s.image.path());
    s.load(path);
    QVERIFY(!pipe.released());
    QCOMPARE(s.shell().romPath(), s.image.path());
}

void MainWindowTest::cancelChangesNothing()
{
    Session s(false);
    s.load(QString());
    QVERIFY(!editorList(s)->isEnabled());
    QCOMPARE(s.mainWindow()->windowTitle(), QString("Veldra Forge"));
    s.load(s.image.path());
    s.load(QString());
    QVERIFY(editorList(s)->isEnabled());
    QCOMPARE(s.shell().romPath(), s.image.path());
}

void MainWindowTest::cancelAcceptsTheAcceptedImageAgain()
{
    Session s(false);
    s.load(s.image.path());
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(s.image.path(), readOnly));
    s.load(QString());
    QVERIFY(QFileInfo(s.image.path()).permissions() & QFileDevice::WriteOwner);
    QCOMPARE(s.shell().romPath(), s.image.path());

    // after a rejected file too, Cancel checks the accepted image, not the rejected one
    const QString other = imposter(s, Bytes{1, 2, 3, 4}, "other.sfc");
    s.load(other);
    QVERIFY(QFile::setPermissions(s.image.path(), readOnly));
    s.load(QString());
    QVERIFY(QFileInfo(s.image.path()).permissions() & QFileDevice::WriteOwner);
    QCOMPARE(s.mainWindow()->windowTitle(), QString("Veldra Forge \u2014 sample.sfc"));
    QVERIFY(editorList(s)->isEnabled());
    QVERIFY(s.platform.messages.isEmpty());
}

void MainWindowTest::acceptedImageLosesReadOnly()
{
    Session s(false);
    QFile::setPermissions(s.image.path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    s.load(s.image.path());
    QVERIFY(editorList(s)->isEnabled());
    QVERIFY(QFileInfo(s.image.path()).permissions() & QFileDevice::WriteOwner);
}

void MainWindowTest::saveCopyWritesTheWholeImageAndKeepsEditingIt()
{
    Session s(false);
    QVERIFY(!action(s, "SaveCopy")->isEnabled());
    QCOMPARE(action(s, "SaveCopy")->text(), QString("Save a Copy As..."));
    s.load(s.image.path());
    QVERIFY(action(s, "SaveCopy")->isEnabled());
    QWidget* w = s.openEditor(3, "Weapon");
    typeInto(child<QLineEdit>(w, "Text1"), "77");
    clickSave(w);
    const Bytes edited = s.image.bytes();

    // the answer goes to the save dialog only: an open dialog would get Cancel
    const QString copy = QFileInfo(s.image.path()).dir().filePath("copy.sfc");
    s.platform.saveAnswers << copy;
    action(s, "SaveCopy")->trigger();
    QCOMPARE(s.platform.dialogCaptions, QStringList{"Save a Copy As"});
    QVERIFY(s.platform.saveAnswers.isEmpty());
    QCOMPARE(SampleImage::read(copy), edited);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains("copy.sfc"));
    QVERIFY(QDir(QFileInfo(copy).path()).entryList(QDir::Hidden | QDir::Files).filter(".copy.sfc").isEmpty());

    // the editors go on with the image loaded before, not with the copy
    QCOMPARE(s.shell().romPath(), s.image.path());
    clickRow(child<QListWidget>(w, "List1"), 2);
    typeInto(child<QLineEdit>(w, "Text1"), "5");
    clickSave(w);
    QCOMPARE(s.image.bytesAt(tables::weapons.base + 2 * tables::weapons.recordSize, 1), Bytes{5});
    QCOMPARE(SampleImage::read(copy), edited);

    // Cancel writes nothing and says nothing
    s.platform.messages.clear();
    action(s, "SaveCopy")->trigger();
    QVERIFY(s.platform.messages.isEmpty());
}

void MainWindowTest::saveCopyNeverReplacesTheImageBeingEdited()
{
    Session s;
    const Bytes before = s.image.bytes();
    const QString link = QFileInfo(s.image.path()).dir().filePath("same.sfc");
    QVERIFY(QFile::link(s.image.path(), link));
    for (const QString& answer : {s.image.path(), link}) {
        s.platform.messages.clear();
        s.platform.saveAnswers << answer;
        action(s, "SaveCopy")->trigger();
        QCOMPARE(s.platform.messages.size(), 1);
        QVERIFY2(s.platform.messages[0].startsWith("No copy was written:"), qPrintable(s.platform.messages[0]));
        QVERIFY(s.platform.messages[0].contains("is the image being edited"));
        QCOMPARE(s.image.bytes(), before);
    }
    // a folder that does not exist: told, nothing made
    s.platform.messages.clear();
    s.platform.saveAnswers << QFileInfo(s.image.path()).dir().filePath("missing/copy.sfc");
    action(s, "SaveCopy")->trigger();
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].startsWith("No copy was written:"));
    QVERIFY(!QFileInfo::exists(QFileInfo(s.image.path()).dir().filePath("missing")));

    // the file was changed into something that is not the game since Load:
    // there is no image left to copy, and no copy is made of what is there
    s.image.poke(kIdentityPosition, Bytes{0, 0, 0, 0});
    const QString copy = QFileInfo(s.image.path()).dir().filePath("copy.sfc");
    s.platform.messages.clear();
    s.platform.saveAnswers << copy;
    action(s, "SaveCopy")->trigger();
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].startsWith("No copy was written:")
                 && s.platform.messages[0].contains("not a Veldra Saga ROM"),
             qPrintable(s.platform.messages[0]));
    QVERIFY(!QFileInfo::exists(copy));
}

void MainWindowTest::everyWindowExistsAtMostOnce()
{
    Session s;
    QWidget* first = s.openEditor(0, "Character");
    QVERIFY(first && first->isVisible());
    auto* list = child<QListWidget>(first, "List1");
    clickRow(list, 4);
    typeInto(child<QLineEdit>(first, "Text2"), "9");

    // choosing it again brings the same window forward without starting it again
    QCOMPARE(s.openEditor(0, "Character"), first);
    QCOMPARE(list->currentRow(), 4);
    QCOMPARE(child<QLineEdit>(first, "Text2")->text(), QString("9"));
    QCOMPARE(s.mainWindow()->findChildren<QWidget*>().contains(first), false);  // no owner
    QCOMPARE(first->parentWidget(), nullptr);

    first->close();
    waitForDeletion(first);
    QVERIFY(!s.shell().windows().find("Character"));
    QWidget* again = s.openEditor(0, "Character");
    QVERIFY(again);
    QCOMPARE(child<QListWidget>(again, "List1")->currentRow(), 0);
    QCOMPARE(child<QLabel>(again, "bar")->text(), QString("Character Number 0"));
}

void MainWindowTest::arrowKeysOpenEachEditorPassedOver()
{
    Session s;
    QListWidget* list = editorList(s);
    // taking the focus after a load opens nothing by itself
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(list, &focusIn);
    QVERIFY(!s.shell().windows().find("Character"));
    clickRow(list, 0);
    QVERIFY(s.shell().windows().find("Character"));
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(s.shell().windows().find("NPC"));
}

void MainWindowTest::exitAndClosingTheMainWindowEndTheProgram()
{
    {
        Session s;
        QWidget* w = s.openEditor(1, "NPC");
        action(s, "Exit")->trigger();
        QCOMPARE(s.platform.quitCalls, 1);
        waitForDeletion(w);
    }
    {
        Session s;
        QWidget* w = s.openEditor(0, "Character");
        s.mainWindow()->close();
        QCOMPARE(s.platform.quitCalls, 1);
        waitForDeletion(w);
    }
}

void MainWindowTest::readmeOpensWithoutWaiting()
{
    Session s(false);
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    action(s, "Readme")->trigger();
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains("readme.txt"));
    QVERIFY(s.platform.openedFiles.isEmpty());

    QFile readme(dir.filePath("readme.txt"));
    QVERIFY(readme.open(QIODevice::WriteOnly));
    readme.close();
    action(s, "Readme")->trigger();
    action(s, "Readme")->trigger();  // a second viewer, as asked
    QCOMPARE(s.platform.openedFiles.size(), 2);
    QCOMPARE(QFileInfo(s.platform.openedFiles[0]).canonicalFilePath(), QFileInfo(readme).canonicalFilePath());

    s.platform.openSucceeds = false;
    action(s, "Readme")->trigger();
    QCOMPARE(s.platform.messages.size(), 2);
    QDir::setCurrent(previous);
}

// The help shown by Help > Readme, and the README, name every command of the
// main window's menus, and every shortcut on a line with its command.
void MainWindowTest::readmeDescribesEveryCommandAndShortcut()
{
    Session s(false);
    auto lines = [](const char* name) {
        QFile file(QStringLiteral(VELDRA_SOURCE_DIR "/") + QLatin1String(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n') : QStringList();
    };
    const QStringList readme = lines("readme.txt");
    const QStringList guide = lines("README.md");
    QVERIFY(!readme.isEmpty() && !guide.isEmpty());
    const QString text = readme.join(' ').simplified();
    auto onOneLine = [](const QStringList& in, const QString& keys, const QString& command) {
        for (const QString& line : in)
            if (line.contains(keys) && line.contains(command))
                return true;
        return false;
    };
    QStringList shortcuts;
    for (QAction* menuAction : qobject_cast<QMainWindow*>(s.mainWindow())->menuBar()->actions()) {
        QMenu* menu = menuAction->menu();
        QVERIFY(menu);
        for (QAction* a : menu->actions()) {
            if (a->isSeparator())
                continue;
            const QString command = menu->title() + " > " + a->text();
            QVERIFY2(text.contains(command), qPrintable(command));
            if (a->shortcut().isEmpty())
                continue;
            const QString keys = a->shortcut().toString(QKeySequence::PortableText);
            shortcuts << keys;
            QVERIFY2(onOneLine(readme, keys, command), qPrintable(keys + " " + command + " in readme.txt"));
            QVERIFY2(onOneLine(guide, keys, command), qPrintable(keys + " " + command + " in README.md"));
        }
    }
    QVERIFY(shortcuts.contains("Ctrl+Shift+S") && shortcuts.contains("Ctrl+Alt+H"));
    for (const char* topic : {"Fix Checksum", "copier header", "Undo", "Redo"})
        QVERIFY2(text.contains(topic), topic);
}

void MainWindowTest::aboutBoxIsNonModalAndClosesWithOk()
{
    Session s(false);
    action(s, "About")->trigger();
    auto* about = qobject_cast<QDialog*>(s.shell().windows().find("Dialog"));
    QVERIFY(about && about->isVisible());
    QVERIFY(!about->isModal());
    QCOMPARE(about->windowTitle(), QString("Last Updated 6/30/04"));
    QCOMPARE(child<QLabel>(about, "Label8")->text(), QString("Big Thanks to :"));
    QCOMPARE(child<QLabel>(about, "Label3")->text(), QString("Contact me :"));
    for (const char* name : {"Label2", "Label9", "Label4", "Label1", "Label5", "Label6", "Label7"})
        QVERIFY2(child<QLabel>(about, name)->text().contains(" - "), name);
    action(s, "About")->trigger();
    QCOMPARE(s.shell().windows().find("Dialog"), about);
    QTest::mouseClick(child<QPushButton>(about, "OKButton"), Qt::LeftButton);
    waitForDeletion(about);
    QVERIFY(!s.shell().windows().find("Dialog"));
}

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"

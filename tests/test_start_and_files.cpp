#include "tests/support/test_support.h"

#include "app/command_line.h"
#include "app/main_window.h"
#include "rom/tables.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QUrl>

namespace {

const QString kDash = QStringLiteral(" \u2014 ");

QAction* action(Session& s, const QString& name) { return s.mainWindow()->findChild<QAction*>(name); }
bool editorsEnabled(Session& s) { return child<QListWidget>(s.mainWindow(), "List1")->isEnabled(); }

// a copy of the sample image under another name, accepted like the sample
QString copyOfSample(Session& s, const QString& name)
{
    const QString path = QFileInfo(s.image.path()).dir().filePath(name);
    QFile::remove(path);
    QFile::copy(s.image.path(), path);
    return path;
}

// a file that is no image of the game
QString notAnImage(Session& s, const QString& name)
{
    const QString path = QFileInfo(s.image.path()).dir().filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray(0x20000, 'x'));
    return path;
}

// the entries of File > Open Recent as the menu shows them on opening
QList<QAction*> recentEntries(Session& s)
{
    auto* menu = s.mainWindow()->findChild<QMenu*>("OpenRecent");
    menu->popup(QPoint(0, 0));
    QList<QAction*> entries;
    for (QAction* a : menu->actions())
        if (!a->data().toString().isEmpty())
            entries << a;
    menu->hide();
    return entries;
}

QStringList recentPaths(Session& s)
{
    QStringList paths;
    for (QAction* a : recentEntries(s))
        paths << a->data().toString();
    return paths;
}

// drags `urls` over the main window and drops them; whether the drag was taken
bool drop(Session& s, const QList<QUrl>& urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = s.mainWindow()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.mainWindow(), &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.mainWindow(), &dropped);
    return dropped.isAccepted();
}

void pressInMain(Session& s, Qt::Key key)
{
    QWidget* main = s.mainWindow();
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, key, Qt::ControlModifier);
}

}  // namespace

class StartAndFilesTest : public QObject {
    Q_OBJECT
private slots:
    void titleNamesTheAcceptedImage();
    void shortcutsLoadAndExit();
    void recentImagesNewestFirstAtMostEight();
    void recentEntryLoadsAndMissingOnesAreDisabled();
    void loadDialogOpensInTheLastImagesFolder();
    void droppedFileLoadsAsLoadWould();
    void imageNamedAtStartLoadsAsLoadWould();
    void commandLine_data();
    void commandLine();
    void helpAndVersionNeedNoWindowSystem();
    void windowsCarryTheProgramsIcon();
};

void StartAndFilesTest::titleNamesTheAcceptedImage()
{
    Session s(false);
    const QString hack = copyOfSample(s, "hack.sfc");
    s.load(hack);
    QCOMPARE(s.mainWindow()->windowTitle(), "Veldra Forge" + kDash + "hack.sfc");
    // a rejection says so and names the image still in use
    s.load(notAnImage(s, "notes.txt"));
    QCOMPARE(s.mainWindow()->windowTitle(),
             "Veldra Forge" + kDash + "This is not a Veldra Saga ROM. (still editing hack.sfc)");
    QCOMPARE(s.shell().romPath(), hack);
}

void StartAndFilesTest::shortcutsLoadAndExit()
{
    Session s(false);
    QCOMPARE(action(s, "Load")->shortcut(), QKeySequence("Ctrl+O"));
    QCOMPARE(action(s, "Exit")->shortcut(), QKeySequence("Ctrl+Q"));
    s.platform.filesToChoose << s.image.path();
    pressInMain(s, Qt::Key_O);
    QVERIFY(s.platform.filesToChoose.isEmpty());
    QVERIFY(editorsEnabled(s));
    QCOMPARE(s.platform.quitCalls, 0);
    pressInMain(s, Qt::Key_Q);
    QCOMPARE(s.platform.quitCalls, 1);
}

void StartAndFilesTest::recentImagesNewestFirstAtMostEight()
{
    Session s(false);
    QCOMPARE(recentPaths(s), QStringList());
    QStringList loaded;
    for (int i = 0; i < 9; ++i) {
        loaded.prepend(copyOfSample(s, QString("image%1.sfc").arg(i)));
        s.load(loaded.first());
    }
    QCOMPARE(recentPaths(s), loaded.mid(0, 8));
    // loading one again moves it to the front, once
    s.load(loaded[5]);
    QStringList expected = loaded.mid(0, 8);
    expected.move(5, 0);
    QCOMPARE(recentPaths(s), expected);
    // rejected files and Cancel are no accepted images
    s.load(notAnImage(s, "other.bin"));
    s.load(QString());
    QCOMPARE(recentPaths(s), expected);
    // remembered for the next run, with the numbers for the keyboard
    s.restart();
    QCOMPARE(recentPaths(s), expected);
    QVERIFY(recentEntries(s).first()->text().startsWith("&1 "));
    QVERIFY(recentEntries(s).last()->text().startsWith("&8 "));
}

void StartAndFilesTest::recentEntryLoadsAndMissingOnesAreDisabled()
{
    Session s(false);
    const QString a = copyOfSample(s, "a&b.sfc");  // an ampersand is shown, not taken as a shortcut
    const QString b = copyOfSample(s, "b.sfc");
    s.load(a);
    s.load(b);
    s.restart();
    QVERIFY(!editorsEnabled(s));
    QFile::remove(b);
    QList<QAction*> entries = recentEntries(s);
    QCOMPARE(entries.size(), 2);
    QVERIFY(!entries[0]->isEnabled());
    QVERIFY(entries[1]->isEnabled());
    QVERIFY(entries[1]->text().endsWith("a&&b.sfc"));
    entries[1]->trigger();
    QVERIFY(editorsEnabled(s));
    QCOMPARE(s.shell().romPath(), a);
    QCOMPARE(s.mainWindow()->windowTitle(), "Veldra Forge" + kDash + "a&b.sfc");
    QCOMPARE(recentPaths(s), (QStringList{a, b}));
}

void StartAndFilesTest::loadDialogOpensInTheLastImagesFolder()
{
    Session s(false);
    s.load(QString());
    QCOMPARE(s.platform.imageDialogFolders.last(), QString());  // no image yet: the platform decides
    QTemporaryDir other;
    const QString elsewhere = other.filePath("moved.sfc");
    QFile::copy(s.image.path(), elsewhere);
    s.load(elsewhere);
    s.restart();
    s.load(QString());
    QCOMPARE(s.platform.imageDialogFolders.last(), other.path());
    // a rejected file is no accepted image: the folder stays
    s.load(notAnImage(s, "junk.bin"));
    s.load(QString());
    QCOMPARE(s.platform.imageDialogFolders.last(), other.path());
}

void StartAndFilesTest::droppedFileLoadsAsLoadWould()
{
    Session s(false);
    // not a file, or more than one: the window does not take the drag
    QVERIFY(!drop(s, {QUrl("https://example.invalid/game.sfc")}));
    QVERIFY(!drop(s, {QUrl::fromLocalFile(s.image.path()), QUrl::fromLocalFile(s.image.path())}));
    QVERIFY(!editorsEnabled(s));

    const QString rejected = notAnImage(s, "readme.bin");
    QVERIFY(drop(s, {QUrl::fromLocalFile(rejected)}));
    QVERIFY(!editorsEnabled(s));
    QVERIFY(s.mainWindow()->windowTitle().contains("This is not a Veldra Saga ROM."));
    QVERIFY(s.platform.messages.isEmpty());

    QFile::setPermissions(s.image.path(), QFileDevice::ReadOwner);
    QVERIFY(drop(s, {QUrl::fromLocalFile(s.image.path())}));
    QVERIFY(editorsEnabled(s));
    QCOMPARE(s.shell().romPath(), s.image.path());
    QCOMPARE(child<QLabel>(s.mainWindow(), "fecal")->text(), QString("-1391440352"));
    QVERIFY(QFileInfo(s.image.path()).permissions() & QFileDevice::WriteOwner);
    QCOMPARE(recentPaths(s), QStringList{s.image.path()});
}

void StartAndFilesTest::imageNamedAtStartLoadsAsLoadWould()
{
    Session s(false);
    // a relative name is taken from the working folder
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QFileInfo(s.image.path()).path());
    s.restart("sample.sfc");
    QDir::setCurrent(previous);
    QVERIFY(s.mainWindow()->isVisible());
    QVERIFY(editorsEnabled(s));
    QCOMPARE(s.shell().romPath(), s.image.path());
    QCOMPARE(s.mainWindow()->windowTitle(), "Veldra Forge" + kDash + "sample.sfc");

    // the editors open on it and save into it
    QWidget* w = s.openEditor(0, "Character");
    typeInto(child<QLineEdit>(w, "Text3"), "77");
    clickSave(w);
    QCOMPARE(s.image.bytesAt(tables::characterSprites.base + 2, 1), Bytes{77});

    s.restart(notAnImage(s, "wrong.sfc"));
    QVERIFY(!editorsEnabled(s));
    QCOMPARE(s.mainWindow()->windowTitle(), "Veldra Forge" + kDash + "This is not a Veldra Saga ROM.");
    QVERIFY(s.platform.messages.isEmpty());
}

void StartAndFilesTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("image");
    QTest::addColumn<int>("exitCode");  // -1: the program starts
    QTest::addColumn<QString>("output");
    QTest::newRow("nothing") << QStringList{} << "" << -1 << "";
    QTest::newRow("an image") << QStringList{"hack.sfc"} << "hack.sfc" << -1 << "";
    QTest::newRow("an image named like an option") << QStringList{"--", "-v.sfc"} << "-v.sfc" << -1 << "";
    QTest::newRow("help") << QStringList{"--help"} << "" << 0 << "[IMAGE]";
    QTest::newRow("short help") << QStringList{"-h", "hack.sfc"} << "" << 0 << "[IMAGE]";
    QTest::newRow("version") << QStringList{"--version"} << "" << 0 << "Veldra Forge 0.1.0\n";
    QTest::newRow("two images") << QStringList{"a.sfc", "b.sfc"} << "" << 2 << "Only one image";
    QTest::newRow("an unknown option") << QStringList{"--frobnicate"} << "" << 2 << "frobnicate";
}

void StartAndFilesTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, image);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    const QString name = QCoreApplication::applicationName();
    const QString version = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationName("Veldra Forge");
    QCoreApplication::setApplicationVersion("0.1.0");
    const CommandLine line = readCommandLine(QStringList{"veldra-forge"} + arguments);
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(version);
    QCOMPARE(line.image, image);
    QCOMPARE(line.exitCode.value_or(-1), exitCode);
    QVERIFY2(line.output.contains(output), qPrintable(line.output));
    QCOMPARE(asksForTextOnly(QStringList{"veldra-forge"} + arguments), exitCode == 0);
}

void StartAndFilesTest::helpAndVersionNeedNoWindowSystem()
{
    // a platform that does not exist: a program that started one would abort
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "no-such-platform");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    auto run = [&env](const QStringList& arguments, QByteArray* out) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(VELDRA_FORGE_PROGRAM, arguments);
        if (!program.waitForFinished(30000))
            return -1;
        *out = program.readAllStandardOutput();
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    };
    QByteArray out;
    QCOMPARE(run({"--version"}, &out), 0);
    QCOMPARE(out, QByteArray("Veldra Forge " VELDRA_FORGE_VERSION "\n"));
    QCOMPARE(run({"--help"}, &out), 0);
    QVERIFY(out.contains("[IMAGE]"));
    QVERIFY(out.contains("--version"));
}

void StartAndFilesTest::windowsCarryTheProgramsIcon()
{
    Session s;
    QVERIFY(!s.mainWindow()->windowIcon().pixmap(64).isNull());
    QWidget* w = s.openEditor(3, "Weapon");
    QVERIFY(!w->windowIcon().pixmap(64).isNull());
}

QTEST_MAIN(StartAndFilesTest)
#include "test_start_and_files.moc"

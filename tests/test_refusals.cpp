#include "tests/support/pipe_guard.h"
#include "tests/support/test_support.h"

#include "rom/tables.h"

#include <QAction>
#include <QFile>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

// Every window that saves, and how to reach each of its Save buttons.
struct Editor {
    int listIndex;  // row of the main window's editor list; -1 for Other > Gato
    const char* window;
    // the Save buttons, each after the button that shows its page ("" for none)
    std::vector<std::pair<const char*, const char*>> saves;
};

const Editor kEditors[] = {
    {0, "Character", {{"", "Save"}}},
    {1, "NPC", {{"", "Save"}}},
    {2, "Monster", {{"Command1", "Save"}, {"Command4", "Save2"}, {"Command5", "Save3"}, {"Command6", "Save4"}}},
    {3, "Weapon", {{"", "Save"}}},
    {4, "Armor", {{"", "Save"}}},
    {5, "Accessory", {{"", "Save"}}},
    {6, "Item2", {{"", "Save"}}},
    {7, "KeyItemandConsumables", {{"", "Save"}}},
    {8, "Chests", {{"", "Save"}}},
    {-1, "Gato", {{"", "Save"}}},
};

const Editor& editorNamed(const QString& window)
{
    for (const Editor& e : kEditors)
        if (window == QLatin1String(e.window))
            return e;
    qFatal("no editor %s", qPrintable(window));
}

void addEditorRows()
{
    QTest::addColumn<QString>("window");
    for (const Editor& e : kEditors)
        QTest::newRow(e.window) << QString::fromLatin1(e.window);
}

// The editor on entry 1 of its list (in the Gato window: enemy 1 chosen).
QWidget* openOnEntry1(Session& s, const Editor& editor)
{
    QWidget* w = nullptr;
    if (editor.listIndex >= 0) {
        w = s.openEditor(editor.listIndex, QString::fromLatin1(editor.window));
    } else {
        s.mainWindow()->findChild<QAction*>(QStringLiteral("Gato1"))->trigger();
        w = s.shell().windows().find(QStringLiteral("Gato"));
    }
    if (w)
        clickRow(child<QListWidget>(w, QStringLiteral("List1")), 1);
    return w;
}

QString bar(QWidget* w) { return child<QLabel>(w, QStringLiteral("bar"))->text(); }

bool savedCaption(const QString& text)
{
    return text.startsWith(QLatin1String("Saved")) || text.startsWith(QLatin1String("Gato is now"));
}

void replaceFile(const QString& path, const Bytes& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot rewrite %s", qPrintable(path));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

}  // namespace

class RefusalsTest : public QObject {
    Q_OBJECT
private slots:
    void failedSaveSaysNothingWasSaved_data() { addEditorRows(); }
    void failedSaveSaysNothingWasSaved();
    void fileRejectedSinceIsNeitherReadNorWritten_data();
    void fileRejectedSinceIsNeitherReadNorWritten();
};

// After a save went through, a save that fails must not leave "Saved ..." in
// the status line (the enemy pages share one).
void RefusalsTest::failedSaveSaysNothingWasSaved()
{
    QFETCH(QString, window);
    const Editor& editor = editorNamed(window);
    Session s;
    const Bytes whole = s.image.bytes();
    QWidget* w = openOnEntry1(s, editor);
    QVERIFY(w);
    for (const auto& [selector, save] : editor.saves) {
        replaceFile(s.image.path(), whole);
        if (*selector)
            QTest::mouseClick(child<QPushButton>(w, selector), Qt::LeftButton);
        clickSave(w, save);
        QVERIFY2(savedCaption(bar(w)), qPrintable(bar(w)));
        // every table lies past 0x20000: the file keeps its identity but ends before them
        QFile::resize(s.image.path(), 0x20000);
        const Bytes shortened = s.image.bytes();
        s.platform.messages.clear();
        clickSave(w, save);
        QCOMPARE(s.image.bytes(), shortened);
        QCOMPARE(s.platform.messages.size(), 1);
        QVERIFY2(s.platform.messages[0].contains(s.image.path()), qPrintable(s.platform.messages[0]));
        QVERIFY2(bar(w).startsWith(QLatin1String("Not saved: ")), qPrintable(save + QStringLiteral(": ") + bar(w)));
    }
}

void RefusalsTest::fileRejectedSinceIsNeitherReadNorWritten_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("pipe");
    for (const Editor& e : kEditors) {
        QTest::addRow("%s, identity changed", e.window) << QString::fromLatin1(e.window) << false;
        QTest::addRow("%s, a pipe in its place", e.window) << QString::fromLatin1(e.window) << true;
    }
}

// Load accepted the image and an editor is open; then another program changes
// the identity bytes (or puts a named pipe in the file's place) and Load
// rejects the file. The editors must neither read nor write it from then on,
// nor wait on it.
void RefusalsTest::fileRejectedSinceIsNeitherReadNorWritten()
{
    QFETCH(QString, window);
    QFETCH(bool, pipe);
    const Editor& editor = editorNamed(window);
    Session s;
    QWidget* w = openOnEntry1(s, editor);
    QVERIFY(w);
    QVERIFY(s.platform.messages.isEmpty());
    std::unique_ptr<PipeGuard> guard;
    if (pipe) {
        QVERIFY(QFile::remove(s.image.path()));
        guard = std::make_unique<PipeGuard>(s.image.path().toStdString());
        QVERIFY(guard->made());
    } else {
        s.image.poke(kIdentityPosition, {0x20, 0x4E, 0x10, 0xAC});
    }
    s.load(s.image.path());
    QVERIFY(s.mainWindow()->windowTitle().contains("This is not a Veldra Saga ROM."));
    const Bytes before = pipe ? Bytes{} : s.image.bytes();
    const auto refusedNamingTheFile = [&s](const QString& what) {
        QVERIFY2(s.platform.messages.size() == 1, qPrintable(what + ": " + s.platform.messages.join(" | ")));
        QVERIFY2(s.platform.messages[0].contains(s.image.path()), qPrintable(what + ": " + s.platform.messages[0]));
        s.platform.messages.clear();
    };

    if (window == "Monster") {
        typeInto(child<QLineEdit>(w, "namebox"), "Renamed");
        QVERIFY(!s.platform.messages.isEmpty());
        QVERIFY(s.platform.messages[0].contains(s.image.path()));
        s.platform.messages.clear();
    }
    for (const auto& [selector, save] : editor.saves) {
        if (*selector)
            QTest::mouseClick(child<QPushButton>(w, selector), Qt::LeftButton);
        clickSave(w, save);
        refusedNamingTheFile(QString::fromLatin1(save));
        QVERIFY2(bar(w).startsWith(QLatin1String("Not saved: ")), qPrintable(bar(w)));
    }
    if (window == "Gato") {
        // the Gato window reads when it opens
        w->close();
        QTRY_VERIFY(!s.shell().windows().find("Gato"));
        s.mainWindow()->findChild<QAction*>(QStringLiteral("Gato1"))->trigger();
        refusedNamingTheFile(QStringLiteral("opening"));
        QVERIFY(child<QListWidget>(s.shell().windows().find("Gato"), "List1")->selectedItems().isEmpty());
    } else {
        clickRow(child<QListWidget>(w, "List1"), 2);
        refusedNamingTheFile(QStringLiteral("reading entry 2"));
        QVERIFY2(bar(w).endsWith(QLatin1String("could not be read")), qPrintable(bar(w)));
    }
    if (auto* preread = child<QCheckBox>(s.shell().windows().find(window), "preread")) {
        preread->click();  // reads every name
        refusedNamingTheFile(QStringLiteral("reading the names"));
    }
    if (pipe)
        QVERIFY(!guard->released());
    else
        QCOMPARE(s.image.bytes(), before);
}

QTEST_MAIN(RefusalsTest)
#include "test_refusals.moc"

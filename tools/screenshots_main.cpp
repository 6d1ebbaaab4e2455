// Writes a PNG of every window, offscreen, on a generated sample image:
// veldra-forge-screenshots FOLDER
#include "app/app_shell.h"
#include "app/compare_window.h"
#include "app/main_window.h"
#include "app/quiet_platform.h"
#include "rom/sample_image.h"
#include "rom/tables.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <iostream>

namespace {

bool save(QWidget* window, const QDir& folder, const QString& name)
{
    // a window that fills itself on activation shows its new rows a turn later
    for (int turn = 0; turn < 3; ++turn)
        QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!window || !window->grab().save(path)) {
        std::cerr << "cannot write " << path.toStdString() << "\n";
        return false;
    }
    std::cout << path.toStdString() << "\n";
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: veldra-forge-screenshots FOLDER\n";
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Veldra Forge"));
    // the user's settings (recent images, label set) stay untouched
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication::setOrganizationName(QStringLiteral("veldra-forge-screenshots"));

    QTemporaryDir work(QDir::temp().filePath(QStringLiteral("veldra-sample-XXXXXX")));
    const QString image = work.filePath(QStringLiteral("sample.sfc"));
    if (const Status written = writeSampleImage(image.toStdString()); !written) {
        std::cerr << written.error() << "\n";
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QuietPlatform platform;
    AppShell shell(platform);
    shell.start(image);
    bool ok = save(&shell.mainWindow(), folder, QStringLiteral("main"));

    const QStringList windows{QStringLiteral("Character"), QStringLiteral("NPC"),   QStringLiteral("Monster"),
                              QStringLiteral("Weapon"),    QStringLiteral("Armor"), QStringLiteral("Accessory"),
                              QStringLiteral("Item2"),     QStringLiteral("KeyItemandConsumables"),
                              QStringLiteral("Chests"),    QStringLiteral("Gato"),  QStringLiteral("Dialog"),
                              QStringLiteral("Grid")};
    for (const QString& name : windows) {
        QWidget* window = shell.showWindow(name);
        ok = save(window, folder, name.toLower()) && ok;
        if (name == QLatin1String("Monster")) {
            // the other three pages of the enemy window, through their buttons
            const QStringList pages{QStringLiteral("Command4"), QStringLiteral("Command5"), QStringLiteral("Command6")};
            for (const QString& button : pages) {
                if (auto* selector = window->findChild<QAbstractButton*>(button)) {
                    selector->click();
                    ok = save(window, folder, QStringLiteral("monster-") + selector->text().toLower().replace(QLatin1Char(' '), QLatin1Char('-'))) && ok;
                }
            }
        }
        window->close();
    }
    // File > Image Info..., on the image loaded
    if (auto* action = shell.mainWindow().findChild<QAction*>(QStringLiteral("ImageInfo"))) {
        action->trigger();
        if (QWidget* info = shell.windows().find(QStringLiteral("ImageInfo")))
            ok = save(info, folder, QStringLiteral("imageinfo")) && ok;
    }
    // Tools > Compare With..., against a copy with a few values changed
    const QString other = work.filePath(QStringLiteral("changed.sfc"));
    if (QFile::copy(image, other)) {
        const RomImage changed(other.toStdString());
        const auto poke = [&changed](const Table& table, int index, int offset, std::uint8_t by) {
            const std::uint32_t at = table.base + std::uint32_t(index) * table.recordSize + std::uint32_t(offset);
            if (const auto was = changed.read(at, 1))
                (void)changed.write(at, Bytes{std::uint8_t((*was)[0] + by)});
        };
        poke(tables::weapons, 4, 0, 22);
        poke(tables::weapons, 9, 2, 5);
        poke(tables::enemyStats, 12, 0, 40);
        poke(tables::enemyStats, 12, 4, 3);
        poke(tables::itemSecondary, 20, 0, 8);
        poke(tables::chests, 30, 0, 1);
        (void)changed.write(0x200, Bytes{0xEA, 0xEA});
        auto* compare = qobject_cast<CompareWindow*>(shell.showWindow(QStringLiteral("Compare")));
        if (compare && compare->compareWith(other)) {
            if (auto* list = compare->findChild<QListWidget*>(QStringLiteral("CompareList")))
                list->setCurrentRow(1);
            ok = save(compare, folder, QStringLiteral("compare")) && ok;
        } else {
            ok = false;
        }
    }
    shell.windows().closeAll();
    return ok && platform.messages == 0 ? 0 : 1;
}

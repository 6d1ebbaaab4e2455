// Writes a PNG of every window, offscreen, on a generated sample image:
// veldra-forge-screenshots FOLDER
#include "app/app_shell.h"
#include "app/main_window.h"
#include "app/quiet_platform.h"
#include "rom/sample_image.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
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
    shell.windows().closeAll();
    return ok && platform.messages == 0 ? 0 : 1;
}

#include "app/app_shell.h"
#include "app/main_window.h"
#include "app/qt_platform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veldra Forge"));
    // the editors are separate top-level windows; the program ends with Exit
    // or with the main window
    QApplication::setQuitOnLastWindowClosed(false);
    QtPlatform platform;
    AppShell shell(platform);
    shell.mainWindow().show();
    return QApplication::exec();
}

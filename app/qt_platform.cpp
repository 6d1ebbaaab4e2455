#include "app/qt_platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

QString QtPlatform::chooseImageFile(QWidget* parent) { return QFileDialog::getOpenFileName(parent); }

void QtPlatform::showMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtPlatform::openTextFile(const QString& path)
{
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {path});
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}

void QtPlatform::quit() { QApplication::quit(); }

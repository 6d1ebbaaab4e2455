#include "app/qt_platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

QString QtPlatform::chooseImageFile(QWidget* parent, const QString& startFolder)
{
    return QFileDialog::getOpenFileName(parent, {}, startFolder);
}

QString QtPlatform::chooseOpenFile(QWidget* parent, const QString& caption, const QString& filters)
{
    return QFileDialog::getOpenFileName(parent, caption, {}, filters);
}

QString QtPlatform::chooseSaveFile(QWidget* parent, const QString& caption, const QString& filters,
                                   const QString& selectedFilter)
{
    QString selected = selectedFilter;
    // the caller checks the name before it asks to replace a file: an output
    // that is the image being edited is refused, never offered for replacing
    return QFileDialog::getSaveFileName(parent, caption, {}, filters, selected.isEmpty() ? nullptr : &selected,
                                        QFileDialog::DontConfirmOverwrite);
}

QString QtPlatform::chooseFolder(QWidget* parent, const QString& caption)
{
    return QFileDialog::getExistingDirectory(parent, caption);
}

bool QtPlatform::ask(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    return box.exec() == QMessageBox::Yes;
}

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

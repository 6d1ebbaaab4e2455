#include "app/qt_platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

namespace {

// The most lines a question or message shows before its buttons: more (a
// batch save of the grid lists one line per changed field) would push the
// buttons off the screen. The box then shows the first lines and the last
// (the question's count), and the whole text under Show Details, where it
// scrolls, so that every line can still be read before answering.
constexpr int kLinesShown = 24;

void setText(QMessageBox& box, const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() <= kLinesShown) {
        box.setText(text);
        return;
    }
    QStringList shown = lines.mid(0, kLinesShown - 2);
    shown << QStringLiteral("... and %1 more lines: Show Details lists them all.").arg(lines.size() - kLinesShown + 1)
          << lines.last();
    box.setText(shown.join(QLatin1Char('\n')));
    box.setDetailedText(text);
}

}  // namespace

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
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), {}, QMessageBox::Yes | QMessageBox::No,
                    parent);
    setText(box, text);
    return box.exec() == QMessageBox::Yes;
}

void QtPlatform::showMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), {}, QMessageBox::Ok, parent);
    setText(box, text);
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

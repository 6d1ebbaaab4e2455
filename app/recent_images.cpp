#include "app/recent_images.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString kKey = QStringLiteral("recentImages");

}  // namespace

QStringList RecentImages::paths() const
{
    QStringList paths = QSettings().value(kKey).toStringList();
    paths.removeAll(QString());
    return paths.mid(0, kMaxCount);
}

void RecentImages::add(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = this->paths();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    QSettings().setValue(kKey, paths.mid(0, kMaxCount));
}

QString RecentImages::lastFolder() const
{
    const QStringList paths = this->paths();
    return paths.isEmpty() ? QString() : QFileInfo(paths.first()).absolutePath();
}

#include "editors/common/labels.h"

#include <QFile>
#include <QHash>

QStringList labelList(const QString& name)
{
    static QHash<QString, QStringList> cache;
    if (auto it = cache.constFind(name); it != cache.constEnd())
        return *it;
    QStringList lines;
    QFile file(QStringLiteral(":/data/%1.txt").arg(name));
    if (file.open(QIODevice::ReadOnly)) {
        const QString all = QString::fromUtf8(file.readAll());
        lines = all.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        for (QString& line : lines)
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
    }
    cache.insert(name, lines);
    return lines;
}

QString labelText(const QString& name)
{
    const QStringList lines = labelList(name);
    return lines.isEmpty() ? QString() : lines.first();
}

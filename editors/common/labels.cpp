#include "editors/common/labels.h"

#include "rom/label_data.h"

#include <QHash>

QStringList labelList(const QString& name)
{
    static QHash<QString, QStringList> cache;
    if (auto it = cache.constFind(name); it != cache.constEnd())
        return *it;
    QStringList lines;
    for (const std::string& line : builtinLabels(name.toStdString()))
        lines << QString::fromStdString(line);
    cache.insert(name, lines);
    return lines;
}

QString labelText(const QString& name)
{
    const QStringList lines = labelList(name);
    return lines.isEmpty() ? QString() : lines.first();
}

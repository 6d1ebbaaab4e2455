#include "editors/common/labels.h"

#include "editors/common/label_set.h"
#include "rom/entry_names.h"
#include "rom/label_data.h"

#include <QHash>

#include <optional>

namespace {

QStringList builtInList(const QString& name)
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

std::optional<LabelSet>& userSet()
{
    static std::optional<LabelSet> set;
    return set;
}

}  // namespace

QStringList labelList(const QString& name)
{
    const auto& set = userSet();
    return set && set->has(name) ? set->list(name) : builtInList(name);
}

QString labelText(const QString& name)
{
    const QStringList lines = labelList(name);
    return lines.isEmpty() ? QString() : lines.first();
}

Status useLabelFolder(const QString& folder)
{
    auto set = LabelSet::read(folder, [](const QString& name) { return int(builtInList(name).size()); });
    if (!set)
        return Status::failure(set.error());
    userSet() = *set;
    return success();
}

void useBuiltInLabels() { userSet().reset(); }

QString labelFolder()
{
    const auto& set = userSet();
    return set ? set->folder() : QString();
}

QStringList entryLabels(const Table& table)
{
    const EntryListSource* source = entryListSource(table);
    if (!source)
        return {};
    return labelList(QString::fromUtf8(source->labels.data(), qsizetype(source->labels.size())))
        .mid(source->first, table.count);
}

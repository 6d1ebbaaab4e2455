#include "editors/common/label_set.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {

std::string say(const QString& text) { return text.toStdString(); }

}  // namespace

const QStringList& LabelSet::fileNames()
{
    // about.txt holds the about box's credits, not list texts
    static const QStringList names{QStringLiteral("characters"), QStringLiteral("npcs"), QStringLiteral("enemies"),
                                   QStringLiteral("items"), QStringLiteral("gato_place")};
    return names;
}

Result<QStringList> splitLabelLines(const QByteArray& bytes)
{
    QByteArray all = bytes;
    if (all.startsWith("\xEF\xBB\xBF"))
        all.remove(0, 3);
    QList<QByteArray> raw = all.split('\n');
    if (raw.last().isEmpty())
        raw.removeLast();  // the line break of the last line, or an empty file
    QStringList lines;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QByteArray line = raw[i];
        if (line.endsWith('\r'))
            line.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(line);
        if (utf8.hasError())
            return Result<QStringList>::failure(std::to_string(i + 1));
        lines << text;
    }
    return lines;
}

Result<LabelSet> LabelSet::read(const QString& folder, const std::function<int(const QString&)>& expectedCount)
{
    const QDir dir(folder);
    if (!dir.exists())
        return Result<LabelSet>::failure(say(QStringLiteral("the label set folder %1 does not exist").arg(folder)));
    LabelSet set;
    set.m_folder = dir.absolutePath();
    for (const QString& name : fileNames()) {
        const QString path = dir.filePath(name + QStringLiteral(".txt"));
        QFile file(path);
        if (!file.exists())
            continue;
        if (!file.open(QIODevice::ReadOnly))
            return Result<LabelSet>::failure(say(QStringLiteral("cannot read %1: %2").arg(path, file.errorString())));
        auto lines = splitLabelLines(file.readAll());
        if (!lines)
            return Result<LabelSet>::failure(
                say(QStringLiteral("%1, line %2: this line is not UTF-8 text").arg(path, QString::fromStdString(lines.error()))));
        const int expected = expectedCount(name);
        const int count = int(lines->size());
        if (count < expected)
            return Result<LabelSet>::failure(say(QStringLiteral("%1, line %2: the file ends here, but it needs %3 labels, one a line")
                                                     .arg(path).arg(count + 1).arg(expected)));
        if (count > expected)
            return Result<LabelSet>::failure(say(QStringLiteral("%1, line %2: one line too many; the file needs %3 labels, one a line")
                                                     .arg(path).arg(expected + 1).arg(expected)));
        set.m_lists.insert(name, *lines);
    }
    if (set.m_lists.isEmpty())
        return Result<LabelSet>::failure(say(QStringLiteral("%1 holds none of the label files (%2)")
                                                 .arg(set.m_folder, fileNames().join(QStringLiteral(".txt, ")) + QStringLiteral(".txt"))));
    return set;
}

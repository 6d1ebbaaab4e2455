#include "editors/common/label_set.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

std::string say(const QString& text) { return text.toStdString(); }

}  // namespace

int longestLabel(const QString& fileName) { return fileName == QLatin1String("characters") ? 16 : 32; }

const QStringList& LabelSet::fileNames()
{
    // about.txt holds the about box's credits, not list texts
    static const QStringList names{QStringLiteral("characters"), QStringLiteral("npcs"), QStringLiteral("enemies"),
                                   QStringLiteral("items"), QStringLiteral("gato_place")};
    return names;
}

Result<QStringList> splitLabelLines(const QByteArray& bytes, int longest)
{
    QByteArray all = bytes;
    if (all.startsWith("\xEF\xBB\xBF"))
        all.remove(0, 3);
    // a line ends in LF, CR LF or CR alone (as older Mac text files do): a
    // text editor shows each of them as a line break
    QList<QByteArray> raw;
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i] != '\n' && all[i] != '\r')
            continue;
        raw << all.mid(start, i - start);
        if (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < all.size())
        raw << all.mid(start);  // the last line without a line break
    QStringList lines;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(raw[i]);
        if (utf8.hasError())
            return Result<QStringList>::failure(say(QStringLiteral("line %1: this line is not UTF-8 text").arg(i + 1)));
        if (const qsizetype length = text.toUcs4().size(); length > longest)
            return Result<QStringList>::failure(say(QStringLiteral("line %1: this label has %2 characters; a label of this "
                                                                   "list may have at most %3, so that the windows showing "
                                                                   "it still fit on the screen")
                                                        .arg(i + 1)
                                                        .arg(length)
                                                        .arg(longest)));
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
        const QFileInfo info(path);
        if (!info.exists())
            continue;
        // a named pipe or a device would keep the program waiting
        if (!info.isFile())
            return Result<LabelSet>::failure(say(QStringLiteral("%1 is not a regular file").arg(path)));
        // the size is checked before anything is read, and the read stops past
        // the limit should the file grow meanwhile
        if (info.size() > kMaxLabelFileBytes)
            return Result<LabelSet>::failure(say(QStringLiteral("%1 is %2 bytes long; a label file may have at most %3 bytes (1 MiB)")
                                                     .arg(path)
                                                     .arg(info.size())
                                                     .arg(kMaxLabelFileBytes)));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return Result<LabelSet>::failure(say(QStringLiteral("cannot read %1: %2").arg(path, file.errorString())));
        const QByteArray bytes = file.read(kMaxLabelFileBytes + 1);
        if (bytes.size() > kMaxLabelFileBytes)
            return Result<LabelSet>::failure(
                say(QStringLiteral("%1 is longer than %2 bytes, the most a label file may have (1 MiB)").arg(path).arg(kMaxLabelFileBytes)));
        auto lines = splitLabelLines(bytes, longestLabel(name));
        if (!lines)
            return Result<LabelSet>::failure(say(QStringLiteral("%1, %2").arg(path, QString::fromStdString(lines.error()))));
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

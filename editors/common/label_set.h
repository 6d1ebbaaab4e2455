#pragma once

#include "rom/result.h"

#include <QHash>
#include <QStringList>

#include <functional>

// The longest label a set may hold, in characters: 16 for a character name
// (seven of them stand side by side as check boxes), 32 for any other list's.
// A label is shown whole wherever it is used (list, drop-down, check box, the
// status line's captions) and the windows grow to show it; up to these
// lengths every window still fits an 800-pixel-wide screen at the usual font,
// even in the widest letters.
int longestLabel(const QString& fileName);
// The largest label file read: 260 labels of the longest kind, several times over.
inline constexpr qint64 kMaxLabelFileBytes = 1024 * 1024;

// A user's own list texts: a folder of UTF-8 text files named like the ones
// supplied with the program (enemies.txt, items.txt, ...), one label a line,
// in the same order and with the same count. A file the folder lacks keeps
// the texts supplied with the program.
class LabelSet {
public:
    // The files a set may hold, by name without ".txt".
    static const QStringList& fileNames();

    // Reads and checks every label file in `folder`. `expectedCount` gives the
    // number of lines each file must have. Refused, naming the file and the
    // line, when a file is not UTF-8, has a label longer than longestLabel()
    // or has another number of lines; refused, before anything is read, when
    // a file is larger than kMaxLabelFileBytes or is not a regular file;
    // refused when the folder holds none of the files.
    static Result<LabelSet> read(const QString& folder, const std::function<int(const QString&)>& expectedCount);

    QString folder() const { return m_folder; }
    bool has(const QString& name) const { return m_lists.contains(name); }
    QStringList list(const QString& name) const { return m_lists.value(name); }

private:
    QString m_folder;
    QHash<QString, QStringList> m_lists;
};

// The lines of a label file's bytes: a line ends in LF, CR LF or CR; a final
// line break ends the last line rather than starting an empty one; a leading
// byte-order mark is dropped. Refused, with the 1-based number of the line
// ("line 17: ..."), at the first line that is not UTF-8 or is longer than
// `longest` characters.
Result<QStringList> splitLabelLines(const QByteArray& bytes, int longest);

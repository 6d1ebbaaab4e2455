#pragma once

#include <QStringList>

// The images accepted last, newest first, remembered between runs.
class RecentImages {
public:
    static constexpr int kMaxCount = 8;

    QStringList paths() const;
    // Puts `path` first, dropping an older mention of it and the oldest
    // beyond the count kept.
    void add(const QString& path);
    // The folder of the image accepted last; empty when none was.
    QString lastFolder() const;
};

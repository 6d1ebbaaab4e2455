#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>

// Keeps every window at most once: created on first use, brought forward when
// shown again, forgotten when closed (windows delete themselves on close).
class WindowRegistry {
public:
    using Factory = std::function<QWidget*()>;

    void add(const QString& objectName, Factory factory);
    bool knows(const QString& objectName) const;

    QWidget* show(const QString& objectName);
    QWidget* find(const QString& objectName) const;
    // The object names of the windows open now.
    QStringList openWindows() const;
    void closeAll();

private:
    struct Entry {
        Factory factory;
        QPointer<QWidget> window;
    };
    std::map<QString, Entry> m_entries;
};

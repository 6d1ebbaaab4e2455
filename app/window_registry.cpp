#include "app/window_registry.h"

#include "editors/common/wrapped_text_fit.h"

#include <QAbstractItemView>
#include <QHeaderView>

void WindowRegistry::add(const QString& objectName, Factory factory)
{
    m_entries[objectName].factory = std::move(factory);
}

bool WindowRegistry::knows(const QString& objectName) const { return m_entries.count(objectName) != 0; }

QWidget* WindowRegistry::show(const QString& objectName)
{
    auto it = m_entries.find(objectName);
    if (it == m_entries.end())
        return nullptr;
    Entry& entry = it->second;
    if (!entry.window) {
        entry.window = entry.factory();
        // a list or table the window left unnamed is announced by the window's
        // title (a drop-down's popup list and a table's headers are not the window's)
        for (QAbstractItemView* view : entry.window->findChildren<QAbstractItemView*>())
            if (view->window() == entry.window && !qobject_cast<QHeaderView*>(view) && view->accessibleName().isEmpty())
                view->setAccessibleName(entry.window->windowTitle().remove(QStringLiteral("[*]")).trimmed());
        growWithWrappedText(entry.window);
        entry.window->show();
    } else {
        if (entry.window->isMinimized())
            entry.window->showNormal();
        entry.window->show();
    }
    entry.window->raise();
    entry.window->activateWindow();
    return entry.window;
}

QWidget* WindowRegistry::find(const QString& objectName) const
{
    auto it = m_entries.find(objectName);
    return it == m_entries.end() ? nullptr : it->second.window.data();
}

QStringList WindowRegistry::openWindows() const
{
    QStringList names;
    for (const auto& [name, entry] : m_entries)
        if (entry.window)
            names << name;
    return names;
}

void WindowRegistry::closeAll()
{
    for (auto& [name, entry] : m_entries)
        if (entry.window)
            entry.window->close();
}

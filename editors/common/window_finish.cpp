#include "editors/common/window_finish.h"

#include "editors/common/editor_window.h"
#include "editors/common/list_filter.h"
#include "editors/common/tab_order.h"

#include <QListWidget>
#include <QMap>

namespace {

constexpr int kFilterHeightTwips = 315;
constexpr int kFilterGapTwips = 30;

// Moves every child of `window` from `top` down by `by` pixels and makes the
// window that much taller.
void makeRoom(QWidget* window, int top, int by)
{
    for (QObject* object : window->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child && !child->isWindow() && child->y() >= top)
            child->move(child->x(), child->y() + by);
    }
    if (window->minimumHeight() == window->maximumHeight())
        window->setFixedHeight(window->height() + by);
    else
        window->resize(window->width(), window->height() + by);
}

void addListFilter(QWidget* window)
{
    // lists at one place take turns (the enemy lists): one filter serves them
    QMap<std::pair<int, int>, QList<QListWidget*>> places;
    for (QListWidget* list : window->findChildren<QListWidget*>(Qt::FindDirectChildrenOnly))
        places[{list->y(), list->x()}] << list;
    for (const QList<QListWidget*>& lists : places) {
        int longest = 0;
        for (QListWidget* list : lists)
            longest = std::max(longest, list->count());
        if (longest <= kFilterThreshold)
            continue;
        const QRect place = lists.first()->geometry();
        auto* filter = new ListFilter(window);
        // tall enough for the window's font, which may be larger than designed
        const int height = std::max(twips(kFilterHeightTwips), filter->sizeHint().height());
        // a gap above too: the status line may reach a pixel into the list's place
        const int gap = twips(kFilterGapTwips);
        makeRoom(window, place.top(), gap + height + gap);  // the filter, still at 0,0, stays
        filter->setGeometry(place.left(), place.top() + gap, place.width(), height);
        for (QListWidget* list : lists)
            filter->addList(list);
        return;  // one filter a window: no window has two long lists in different places
    }
}

}  // namespace

void finishEditorWindow(QWidget* window)
{
    addListFilter(window);
    orderTabsByPosition(window);
    if (auto* editor = qobject_cast<EditorWindow*>(window))
        editor->watchUserEdits();
}

#include "editors/common/tab_order.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

bool takesFocus(const QWidget* w) { return w->focusPolicy() & Qt::TabFocus; }

// Whether a child is a block of controls rather than a control itself.
bool isBlock(const QWidget* w)
{
    if (takesFocus(w))
        return false;
    for (const QObject* child : w->children())
        if (child->isWidgetType())
            return true;
    return false;
}

// Children in the order they are seen: sorted from the top, gathered into
// rows (a widget whose vertical middle lies above the row's lowest bottom
// joins it), each row from the left.
std::vector<QWidget*> seenOrder(QWidget* parent)
{
    std::vector<QWidget*> children;
    for (QObject* child : parent->children())
        if (child->isWidgetType() && !static_cast<QWidget*>(child)->isWindow())
            children.push_back(static_cast<QWidget*>(child));
    std::stable_sort(children.begin(), children.end(),
                     [](const QWidget* a, const QWidget* b) { return a->geometry().top() < b->geometry().top(); });
    std::vector<QWidget*> ordered;
    std::size_t rowStart = 0;
    int rowBottom = 0;
    for (std::size_t i = 0; i <= children.size(); ++i) {
        const bool newRow = i == children.size() || (i > rowStart && children[i]->geometry().center().y() > rowBottom);
        if (newRow) {
            std::stable_sort(children.begin() + long(rowStart), children.begin() + long(i),
                             [](const QWidget* a, const QWidget* b) { return a->geometry().left() < b->geometry().left(); });
            ordered.insert(ordered.end(), children.begin() + long(rowStart), children.begin() + long(i));
            rowStart = i;
            rowBottom = 0;
        }
        if (i < children.size())
            rowBottom = std::max(rowBottom, children[i]->geometry().bottom());
    }
    return ordered;
}

void collect(QWidget* parent, std::vector<QWidget*>& controls)
{
    for (QWidget* child : seenOrder(parent)) {
        if (takesFocus(child))
            controls.push_back(child);  // setTabOrder stands in a focus proxy where there is one
        else if (isBlock(child))
            collect(child, controls);
    }
}

}  // namespace

void orderTabsByPosition(QWidget* window)
{
    std::vector<QWidget*> controls;
    collect(window, controls);
    for (std::size_t i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

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

// The controls and blocks among a parent's children, in the order they are
// seen: sorted from the top and gathered into rows, a widget joining the row
// when its vertical middle lies within every member's height (so a tall
// column beside several short rows does not swallow them), each row from the
// left.
std::vector<QWidget*> seenOrder(QWidget* parent)
{
    std::vector<QWidget*> children;
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isWindow() && (takesFocus(w) || isBlock(w)))
            children.push_back(w);
    }
    std::stable_sort(children.begin(), children.end(),
                     [](const QWidget* a, const QWidget* b) { return a->geometry().top() < b->geometry().top(); });
    std::vector<QWidget*> ordered;
    auto byLeft = [](const QWidget* a, const QWidget* b) { return a->geometry().left() < b->geometry().left(); };
    std::size_t rowStart = 0;
    int rowBottom = 0;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const QRect r = children[i]->geometry();
        if (i > rowStart && r.center().y() > rowBottom) {
            std::stable_sort(children.begin() + long(rowStart), children.begin() + long(i), byLeft);
            rowStart = i;
        }
        rowBottom = i == rowStart ? r.bottom() : std::min(rowBottom, r.bottom());
    }
    std::stable_sort(children.begin() + long(rowStart), children.end(), byLeft);
    return children;
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

#include "editors/common/wrapped_text_fit.h"

#include <QEvent>
#include <QLayout>
#include <QWidget>

#include <algorithm>

namespace {

class WrappedTextFit : public QObject {
public:
    explicit WrappedTextFit(QWidget* window) : QObject(window), m_window(window) { window->installEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize || event->type() == QEvent::Show)
            fit();
        return false;
    }

private:
    void fit()
    {
        QLayout* layout = m_window->layout();
        if (!layout || !layout->hasHeightForWidth())
            return;
        // the layout's own minimum leaves out the wrapped lines: their
        // height depends on the width the window has now
        const int needed = layout->totalHeightForWidth(m_window->width());
        const int least = std::max(needed, layout->totalMinimumSize().height());
        if (least != m_window->minimumHeight())
            m_window->setMinimumHeight(least);
        if (m_window->height() < m_window->minimumHeight())
            m_window->resize(m_window->width(), m_window->minimumHeight());
    }

    QWidget* m_window;
};

}  // namespace

void growWithWrappedText(QWidget* window) { new WrappedTextFit(window); }

#include "editors/common/status_line.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

StatusLine::StatusLine(QWidget* parent) : QLabel(QStringLiteral("Label1"), parent) {}

bool StatusLine::isElided() const { return fontMetrics().horizontalAdvance(text()) > contentsRect().width(); }

void StatusLine::paintEvent(QPaintEvent* event)
{
    if (!isElided()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}

bool StatusLine::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && isElided()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

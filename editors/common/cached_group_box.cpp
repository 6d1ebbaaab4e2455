#include "editors/common/cached_group_box.h"

#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionGroupBox>

CachedGroupBox::CachedGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

CachedGroupBox::Key CachedGroupBox::currentKey() const
{
    return {size(), title(), isEnabled(), isActiveWindow(), devicePixelRatioF()};
}

void CachedGroupBox::paintEvent(QPaintEvent*)
{
    const Key key = currentKey();
    if (m_picture.isNull() || !(key == m_key)) {
        // in the format windows are drawn in, so that the frame's soft edges
        // are blended exactly as on the window itself
        QImage picture(size() * key.ratio, QImage::Format_ARGB32_Premultiplied);
        picture.setDevicePixelRatio(key.ratio);
        const QWidget* under = parentWidget() ? parentWidget() : this;
        picture.fill(under->palette().color(under->backgroundRole()));
        QPainter painter(&picture);
        // what a painter on the widget itself would start with
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        painter.setBrush(palette().brush(backgroundRole()));
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
        painter.end();
        m_picture = picture;
        m_key = key;
    }
    QPainter(this).drawImage(0, 0, m_picture);
}

void CachedGroupBox::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        m_picture = QImage();
        break;
    default:
        break;
    }
    QGroupBox::changeEvent(event);
}

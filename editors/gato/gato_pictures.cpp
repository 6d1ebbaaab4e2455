#include "editors/gato/gato_pictures.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

QPixmap gatoSavePicture(bool pressed)
{
    QImage picture(104, 44, QImage::Format_RGB888);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, 44);
    sky.setColorAt(0.0, QColor(0xE8, 0xE8, 0xFF));
    sky.setColorAt(1.0, QColor(0x80, 0x80, 0xD0));
    painter.fillRect(picture.rect(), sky);
    // a small disk: body, label and shutter
    painter.setPen(QColor(0x20, 0x20, 0x40));
    painter.setBrush(QColor(0x30, 0x40, 0x90));
    painter.drawRect(38, 6, 28, 30);
    painter.setBrush(QColor(0xF0, 0xF0, 0xF0));
    painter.drawRect(42, 20, 20, 14);
    painter.setBrush(QColor(0xB0, 0xB0, 0xB8));
    painter.drawRect(44, 6, 14, 9);
    // the bevel: light above and left, dark below and right; pressed swaps them
    const QColor light(0xFF, 0xFF, 0xFF);
    const QColor dark(0x40, 0x40, 0x60);
    painter.setPen(pressed ? dark : light);
    painter.drawLine(0, 0, 103, 0);
    painter.drawLine(0, 0, 0, 43);
    painter.setPen(pressed ? light : dark);
    painter.drawLine(0, 43, 103, 43);
    painter.drawLine(103, 0, 103, 43);
    painter.end();
    return QPixmap::fromImage(picture);
}

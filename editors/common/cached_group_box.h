#pragma once

#include <QGroupBox>
#include <QImage>
#include <QSize>
#include <QString>

// A captioned frame that draws its frame and caption once and then copies
// them. The style draws a frame by stretching a small picture over the whole
// box, which the toolkit hands to its worker threads for a tall box: on every
// repaint of a window whose page is such a frame that costs more than all of
// the page's fields together. The copy is drawn again whenever anything it
// shows changes (size, caption, font, colours, style, greyed out or not, the
// window active or not, the screen's scale).
//
// The copy carries the parent's background colour under the frame, so the
// frame must sit on a parent that paints a plain colour there (a window, or a
// page of one), as the frames of this program do.
class CachedGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit CachedGroupBox(const QString& title, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Key {
        QSize size;
        QString title;
        bool enabled = false;
        bool active = false;
        qreal ratio = 0;
        bool operator==(const Key&) const = default;
    };
    Key currentKey() const;

    QImage m_picture;
    Key m_key;
};

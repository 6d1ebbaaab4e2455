#pragma once

#include <QLabel>

// The one-line status label `bar`. The window is fitted to the texts it is
// known to show; a text longer than the line (a refusal quoting a long file
// path, say) is not cut off silently but ends in an ellipsis, and its whole
// text shows as the tool tip. text() is always the whole text.
class StatusLine : public QLabel {
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent);

    // Whether the text is longer than the line shows.
    bool isElided() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};

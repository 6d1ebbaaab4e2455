#include "editors/common/cached_group_box.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <functional>
#include <memory>

// A frame that keeps a picture of itself must look exactly like the
// toolkit's own frame, also after each change of what it shows.
class FramePictureTest : public QObject {
    Q_OBJECT
private slots:
    void looksLikeThePlainFrameThroughEveryChange();
};

namespace {

// A window holding one frame, placed as the editors place theirs.
struct FrameWindow {
    QWidget window;
    QGroupBox* box;

    explicit FrameWindow(bool cached)
    {
        const QString title = QStringLiteral("Sprite Creation");
        box = cached ? new CachedGroupBox(title, &window) : new QGroupBox(title, &window);
        box->setGeometry(8, 40, 300, 220);
        window.resize(320, 280);
        window.show();
    }

    QImage picture()
    {
        QApplication::processEvents();
        return window.grab().toImage();
    }
};

// "" when the pictures are the same, else where they differ first and how
// often. The style's frame picture is stretched over the box, and where the
// stretch samples it depends on the box's place on the device, so one step of
// rounding in a channel is no difference; a stale caption, colour or size is
// many steps.
bool alike(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1 && std::abs(qBlue(a) - qBlue(b)) <= 1
           && qAlpha(a) == qAlpha(b);
}

QString difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return QStringLiteral("sizes differ");
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    QString first;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            if (!alike(x.pixel(col, row), y.pixel(col, row)) && count++ == 0)
                first = QStringLiteral("(%1, %2): %3 against %4")
                            .arg(col)
                            .arg(row)
                            .arg(x.pixel(col, row), 8, 16, QLatin1Char('0'))
                            .arg(y.pixel(col, row), 8, 16, QLatin1Char('0'));
    return count == 0 ? QString() : QStringLiteral("%1 pixels differ, first at %2").arg(count).arg(first);
}

}  // namespace

void FramePictureTest::looksLikeThePlainFrameThroughEveryChange()
{
    FrameWindow plain(false);
    FrameWindow cached(true);
    QVERIFY(QTest::qWaitForWindowExposed(&plain.window) && QTest::qWaitForWindowExposed(&cached.window));
    QCOMPARE(difference(cached.picture(), plain.picture()), QString());

    const std::pair<const char*, std::function<void(QGroupBox*)>> changes[] = {
        {"greyed out", [](QGroupBox* b) { b->setEnabled(false); }},
        {"enabled again", [](QGroupBox* b) { b->setEnabled(true); }},
        {"caption", [](QGroupBox* b) { b->setTitle(QStringLiteral("Rewards")); }},
        {"taller", [](QGroupBox* b) { b->resize(300, 236); }},
        {"font", [](QGroupBox* b) {
             QFont font = b->font();
             font.setPointSizeF(font.pointSizeF() * 1.5);
             b->setFont(font);
         }},
    };
    for (const auto& [what, change] : changes) {
        const QImage before = plain.picture();
        change(plain.box);
        change(cached.box);
        const QImage after = plain.picture();
        // each change shows on the screen; else the comparison below proves nothing
        QVERIFY2(after != before, what);
        QCOMPARE(difference(cached.picture(), after), QString());
    }
}

QTEST_MAIN(FramePictureTest)
#include "test_frame_picture.moc"

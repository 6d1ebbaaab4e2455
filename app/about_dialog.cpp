#include "app/about_dialog.h"

#include "editors/common/editor_window.h"
#include "editors/common/font_fit.h"
#include "editors/common/labels.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

namespace {

// the button's picture: a 33 x 86 strip in the forge's colours
QPixmap buttonPicture()
{
    QPixmap picture(33, 86);
    QPainter painter(&picture);
    QLinearGradient glow(0, 0, 0, 86);
    glow.setColorAt(0.0, QColor(0x30, 0x30, 0x38));
    glow.setColorAt(0.7, QColor(0xC0, 0x50, 0x10));
    glow.setColorAt(1.0, QColor(0xF0, 0xC0, 0x40));
    painter.fillRect(picture.rect(), glow);
    painter.setPen(QColor(0x20, 0x20, 0x20));
    painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    return picture;
}

}  // namespace

AboutDialog::AboutDialog()
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("Last Updated 6/30/04"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(twips(4815), twips(2190));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(twipsRect(3840, 0, 975, 2190));
    ok->setIcon(QIcon(buttonPicture()));
    ok->setIconSize(QSize(33, 86));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &AboutDialog::OKButton_Click);

    // heading, five credit lines, heading, two contact lines
    const QStringList names{QStringLiteral("Label8"), QStringLiteral("Label2"), QStringLiteral("Label9"),
                            QStringLiteral("Label4"), QStringLiteral("Label1"), QStringLiteral("Label5"),
                            QStringLiteral("Label3"), QStringLiteral("Label6"), QStringLiteral("Label7")};
    const QStringList texts = labelList(QStringLiteral("about"));
    for (int i = 0; i < names.size(); ++i) {
        auto* label = new QLabel(texts.value(i), this);
        label->setObjectName(names[i]);
        // 240 high on rows 240 apart: a line 255 high would overlap the next
        label->setGeometry(twipsRect(120, 0 + i * 240, 3600, 240));
        if (names[i] == QLatin1String("Label8") || names[i] == QLatin1String("Label3")) {
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
        }
    }
    fitToFont(this);
}

void AboutDialog::OKButton_Click() { close(); }

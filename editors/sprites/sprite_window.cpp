#include "editors/sprites/sprite_window.h"

#include "editors/common/entry_field.h"
#include "editors/common/labels.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int kRowSpacing = 360;

}  // namespace

SpriteWindow::SpriteWindow(EditorHost& host, const SpriteEditorConfig& config)
    : TableWindow(host, config.objectName, config.caption, config.widthTwips, config.heightTwips, *config.table),
      m_numberPrefix(config.numberPrefix)
{
    const int w = config.widthTwips;
    QLabel* status = makeStatusLine(w);
    QListWidget* entries =
        makeList(QStringLiteral("List1"), twipsRect(0, 240, w, config.listHeightTwips), labelList(config.labels));

    const int frameTop = 240 + config.listHeightTwips;
    const int frameHeight = 240 + 5 * kRowSpacing;
    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::StyledPanel);
    frame1->setGeometry(twipsRect(0, frameTop, w, frameHeight));
    for (int i = 0; i < 5; ++i) {
        const Field& field = config.table->fields[i];
        auto* label = new QLabel(QString::fromUtf8(field.label.data(), qsizetype(field.label.size())), frame1);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setGeometry(twipsRect(120, 150 + i * kRowSpacing, 2400, 255));
        auto* text = new EntryField(QStringLiteral("Text%1").arg(i + 1), field.rule, frame1);
        text->setGeometry(twipsRect(w - 1455, 120 + i * kRowSpacing, 1215, 285));
        label->setBuddy(text);
    }

    const int frame2Top = frameTop + frameHeight;
    auto* frame2 = new QFrame(this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setFrameShape(QFrame::StyledPanel);
    frame2->setGeometry(twipsRect(0, frame2Top, w, config.heightTwips - frame2Top));
    auto* save = new QPushButton(QStringLiteral("Save"), frame2);
    save->setObjectName(QStringLiteral("Save"));
    save->setGeometry(twipsRect(120, 240, w - 240, 495));

    bind(status, entries, save);
    Form_Load();
    fitWindow();
}

QString SpriteWindow::readCaption(int index) const { return m_numberPrefix + QString::number(index); }

QWidget* createCharacterWindow(EditorHost& host)
{
    return new SpriteWindow(host, {QStringLiteral("Character"), QStringLiteral("Character "), &tables::characterSprites,
                                   QStringLiteral("characters"), QStringLiteral("Character Number "), 4935, 4815, 1605});
}

QWidget* createNpcWindow(EditorHost& host)
{
    return new SpriteWindow(host, {QStringLiteral("NPC"), QStringLiteral("NPC "), &tables::npcSprites,
                                   QStringLiteral("npcs"), QStringLiteral("NPC Number "), 5895, 5535, 2280});
}

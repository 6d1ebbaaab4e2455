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
    : EditorWindow(host, config.objectName, config.caption, config.widthTwips, config.heightTwips), m_config(config)
{
    const int w = config.widthTwips;
    m_bar = makeStatusLine(w);
    m_list = makeList(QStringLiteral("List1"), twipsRect(0, 240, w, config.listHeightTwips), labelList(config.labels));

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

    m_form = std::make_unique<RecordForm>(*config.table, frame1);
    connect(m_list, &QListWidget::currentRowChanged, this, &SpriteWindow::List1_Click);
    connect(save, &QPushButton::clicked, this, &SpriteWindow::Save_Click);
    Form_Load();
}

void SpriteWindow::Form_Load() { m_list->setCurrentRow(0); }

void SpriteWindow::List1_Click()
{
    const int index = m_list->currentRow();
    if (index < 0)
        return;
    ReadRecord(static_cast<std::int16_t>(index));
    m_bar->setText(m_record ? m_config.numberPrefix + QString::number(index)
                            : QStringLiteral("%1%2 could not be read").arg(m_config.numberPrefix).arg(index));
}

void SpriteWindow::ReadRecord(std::int16_t index)
{
    m_record = readEntry(*m_config.table, index);
    if (m_record)
        m_form->show(*m_record);
}

void SpriteWindow::Save_Click()
{
    const int index = m_list->currentRow();
    if (!m_record || index < 0) {
        complain(QStringLiteral("Nothing was saved: no record is shown. Select an entry that can be read first."));
        return;
    }
    auto record = m_form->collect(*m_record);
    if (!record) {
        complain(record.error());
        return;
    }
    if (!writeEntry(*m_config.table, index, *record))
        return;
    m_record = *record;
    m_bar->setText(QStringLiteral("Saved -- ") + m_list->currentItem()->text() + QStringLiteral(" -- to ROM."));
}

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

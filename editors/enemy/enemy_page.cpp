#include "editors/enemy/enemy_page.h"

#include "editors/common/editor_window.h"
#include "editors/common/entry_field.h"
#include "editors/common/value_combo.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kFirstRowTop = 300;
constexpr int kRowSpacing = 360;
constexpr int kSaveFrameTop = 3255;

}  // namespace

EnemyPage::EnemyPage(const QString& objectName, const QString& caption, const Table& table, const QString& saveName,
                     QWidget* parent)
    : CachedGroupBox(caption, parent), m_table(table)
{
    setObjectName(objectName);
    auto* saveFrame = new QFrame(this);
    saveFrame->setFrameShape(QFrame::StyledPanel);
    saveFrame->setGeometry(twipsRect(60, kSaveFrameTop, kPageWidth - 120, kPageHeight - kSaveFrameTop - 60));
    m_save = new QPushButton(QStringLiteral("Save"), saveFrame);
    m_save->setObjectName(saveName);
    m_save->setGeometry(twipsRect(120, 180, kPageWidth - 360, 495));
}

EnemyPage::~EnemyPage() = default;

QString EnemyPage::labelOf(std::string_view name) const
{
    const Field* field = m_table.field(name);
    return field ? QString::fromUtf8(field->label.data(), qsizetype(field->label.size())) : QString();
}

QRect EnemyPage::rowLabelRect(int left, int row, int labelWidth) const
{
    return twipsRect(left, kFirstRowTop + 30 + row * kRowSpacing, labelWidth, 255);
}

EntryField* EnemyPage::addField(std::string_view name, int left, int row, int labelWidth, int fieldWidth)
{
    const Field* field = m_table.field(name);
    auto* label = new QLabel(labelOf(name), this);
    label->setGeometry(rowLabelRect(left, row, labelWidth));
    auto* edit = new EntryField(QString::fromUtf8(name.data(), qsizetype(name.size())),
                                field ? field->rule : EntryRule::None, this);
    edit->setGeometry(twipsRect(left + labelWidth, kFirstRowTop + row * kRowSpacing, fieldWidth, 285));
    label->setBuddy(edit);
    return edit;
}

ValueCombo* EnemyPage::addList(std::string_view name, int left, int row, int labelWidth, int listWidth)
{
    auto* label = new QLabel(labelOf(name), this);
    label->setGeometry(rowLabelRect(left, row, labelWidth));
    auto* combo = new ValueCombo(QString::fromUtf8(name.data(), qsizetype(name.size())), this);
    combo->setGeometry(twipsRect(left + labelWidth, kFirstRowTop + row * kRowSpacing - 15, listWidth, 315));
    label->setBuddy(combo);
    return combo;
}

void EnemyPage::bindFields() { m_form = std::make_unique<RecordForm>(m_table, this); }

void EnemyPage::showRecord(const std::optional<Bytes>& record, int index)
{
    m_record = record;
    if (record) {
        m_form->show(*record);
        m_form->showPlaces(index);
    }
    setEnabled(record.has_value());
}

Result<Bytes> EnemyPage::collect() const
{
    if (!m_record)
        return Result<Bytes>::failure("this page shows no record. Select an enemy that can be read first.");
    return m_form->collect(*m_record);
}

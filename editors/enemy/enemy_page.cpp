#include "editors/enemy/enemy_page.h"

#include "editors/common/editor_window.h"

#include <QFrame>
#include <QPushButton>

namespace {

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

BuiltControls EnemyPage::buildFields(std::span<const ControlRow> rows)
{
    BuiltControls controls = buildControls(this, {&m_table}, rows);
    m_form = std::make_unique<RecordForm>(m_table, this);
    return controls;
}

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

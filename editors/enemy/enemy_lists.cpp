#include "editors/enemy/enemy_lists.h"

#include "editors/common/labels.h"
#include "rom/enemy_names.h"
#include "rom/game_text.h"
#include "rom/tables.h"

#include <QCheckBox>
#include <QListWidget>
#include <QSignalBlocker>

EnemyLists::EnemyLists(QListWidget* list1, QListWidget* list2, QCheckBox* preread)
    : m_list1(list1), m_list2(list2), m_preread(preread)
{
    m_list2->clear();
    m_list2->hide();
    m_list1->show();
}

QStringList EnemyLists::builtInTexts() { return labelList(QStringLiteral("enemies")); }

QCheckBox* EnemyLists::makePrereadBox(QWidget* parent)
{
    auto* box = new QCheckBox(QStringLiteral("Read Names from ROM?"), parent);
    box->setObjectName(QStringLiteral("preread"));
    box->setToolTip(QStringLiteral("Unchecked will give predefined list of original enemy names."));
    return box;
}

QListWidget* EnemyLists::shown() const { return m_list2->isHidden() ? m_list1 : m_list2; }

QString EnemyLists::entryText(int index) const
{
    const QListWidgetItem* item = shown()->item(index);
    return item ? item->text() : QString();
}

Status EnemyLists::followBox(const RomImage& image)
{
    if (!m_preread->isChecked()) {
        m_list2->clear();
        m_list1->show();
        m_list2->hide();
        return success();
    }
    // all names first, so that a failed read leaves the lists as they were
    auto names = readEnemyNames(image);
    if (!names) {
        const QSignalBlocker quiet(m_preread);  // going back to List1 needs no handler
        m_preread->setChecked(false);
        return Status::failure(names.error());
    }
    // filled in one step: the list (and its filter) lays out and filters
    // once, not once per name
    QStringList texts;
    texts.reserve(qsizetype(names->size()));
    for (const std::string& name : *names)
        texts << QString::fromStdString(name);
    m_list2->clear();
    m_list2->addItems(texts);
    m_list1->hide();
    m_list2->show();
    return success();
}

bool EnemyLists::nameWritten(int index, const Bytes& slot)
{
    QListWidgetItem* item = m_list2->item(index);
    if (!item)
        return false;
    item->setText(QString::fromStdString(decodeGameText(slot)));
    return true;
}

void EnemyLists::renameEntry(int index, const QString& name)
{
    if (QListWidgetItem* item = m_list2->item(index))
        item->setText(name);
}

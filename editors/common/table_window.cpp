#include "editors/common/table_window.h"

#include "editors/common/font_fit.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

TableWindow::TableWindow(EditorHost& host, const QString& objectName, const QString& caption, int clientWidthTwips,
                         int clientHeightTwips, const Table& table)
    : EditorWindow(host, objectName, caption, clientWidthTwips, clientHeightTwips), m_table(table)
{
}

void TableWindow::bind(QLabel* bar, QListWidget* list, QPushButton* save, const QStringList& leftToWindow)
{
    m_bar = bar;
    m_list = list;
    m_form = std::make_unique<RecordForm>(m_table, this, leftToWindow);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &TableWindow::List1_Click);
    // a click on the entry already selected (the one a window opens on among
    // them) reads nothing again, which would drop the edits shown, but says
    // which entry it is, as a click on any other does; after a failed read it retries
    onClickOfSelected(m_list, [this] {
        const int index = selectedRow(m_list);
        if (!m_record)
            List1_Click();
        else if (index >= 0)
            m_bar->setText(readCaption(index));
    });
    connect(save, &QPushButton::clicked, this, &TableWindow::Save_Click);
}

void TableWindow::Form_Load() { m_list->setCurrentRow(0); }

void TableWindow::List1_Click()
{
    const int index = selectedRow(m_list);
    if (index < 0)
        return;
    ReadRecord(static_cast<std::int16_t>(index));
    m_bar->setText(m_record ? readCaption(index) : QStringLiteral("%1 could not be read").arg(m_list->item(index)->text()));
}

void TableWindow::ReadRecord(std::int16_t index)
{
    m_record = readEntry(m_table, index);
    if (!m_record)
        return;
    m_form->show(*m_record);
    showOwnFields(*m_record);
    m_form->showPlaces(index);
    showOwnPlaces(index);
}

QString TableWindow::savedCaption(const QString& label) const
{
    return QStringLiteral("Saved -- ") + label + QStringLiteral(" -- to ROM.");
}

void TableWindow::Save_Click()
{
    const int index = selectedRow(m_list);
    if (!m_record || index < 0) {
        refuseSave(QStringLiteral("no record is shown. Select an entry that can be read first."));
        return;
    }
    auto record = m_form->collect(*m_record);
    if (record)
        record = collectOwnFields(*record);
    if (!record) {
        refuseSave(record.error());
        return;
    }
    const QString label = m_list->item(index)->text();
    switch (saveRecord(m_table, index, *m_record, *record, label)) {
    case SaveOutcome::Saved:
        m_record = *record;
        m_bar->setText(savedCaption(label));
        break;
    case SaveOutcome::ReadAgain:
        ReadRecord(static_cast<std::int16_t>(index));
        if (m_record)
            showReadAgain(label, QStringLiteral("it"));
        else
            m_bar->setText(QStringLiteral("%1 could not be read").arg(label));
        break;
    case SaveOutcome::Refused:
        break;
    }
}

bool TableWindow::showsRecord(const Table& table, int index) const
{
    return &table == &m_table && index == selectedRow(m_list);
}

void TableWindow::recordRestored(const Table& table, int index, const QString& writer)
{
    if (!showsRecord(table, index))
        return;
    ReadRecord(static_cast<std::int16_t>(index));
    const QString label = m_list->item(index)->text();
    m_bar->setText(m_record ? restoredCaption(label, writer) : QStringLiteral("%1 could not be read").arg(label));
}

void TableWindow::fitWindow()
{
    // the entry with the longest text and the one with the highest number give the widest captions
    QStringList texts;
    for (int row : {longestRow(m_list), int(m_list->count()) - 1}) {
        if (row < 0 || row >= m_list->count())
            continue;
        const QString text = m_list->item(row)->text();
        texts << readCaption(row) << savedCaption(text) << restoredCaption(text, QStringLiteral("Take Value"))
              << QStringLiteral("%1 could not be read").arg(text);
    }
    expectTexts(m_bar, texts);
    fitToFont(this);
}

#include "editors/gato/gato_window.h"

#include "editors/common/editor_host.h"
#include "editors/common/font_fit.h"
#include "editors/common/labels.h"
#include "editors/common/place_tips.h"
#include "editors/enemy/enemy_lists.h"
#include "editors/enemy/monster_window.h"
#include "editors/gato/gato_pictures.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

constexpr int kWidth = 5895;
const QColor kLightBlue{0xC0, 0xC0, 0xFF};

QString editCaption(const QString& entry) { return QStringLiteral("Edit ") + entry + QStringLiteral("'s Stats"); }

}  // namespace

GatoWindow::GatoWindow(EditorHost& host)
    : EditorWindow(host, QStringLiteral("Gato"),
                   QStringLiteral("Change Gato from ") + labelText(QStringLiteral("gato_place")) + QStringLiteral(" to What Monster?"),
                   kWidth, 4275)
{
    m_bar = makeStatusLine(kWidth, kLightBlue);
    const QRect listPlace = twipsRect(0, 240, kWidth, 2055);
    auto* list1 = makeList(QStringLiteral("List1"), listPlace, EnemyLists::builtInTexts());
    auto* list2 = makeList(QStringLiteral("List2"), listPlace, {});

    auto* frame2 = new QFrame(this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setFrameShape(QFrame::StyledPanel);
    frame2->setGeometry(twipsRect(0, 2295, kWidth, 495));
    m_preread = EnemyLists::makePrereadBox(frame2);
    m_preread->setGeometry(twipsRect(120, 120, 3000, 255));
    m_lists = std::make_unique<EnemyLists>(list1, list2, m_preread);

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::StyledPanel);
    frame1->setGeometry(twipsRect(0, 2790, kWidth, 1215));
    m_save = new QPushButton(QStringLiteral("Save"), frame1);
    m_save->setObjectName(QStringLiteral("Save"));
    m_save->setGeometry(twipsRect(195, 120, 2655, 975));
    m_save->setIcon(QIcon(gatoSavePicture(false)));
    m_save->setIconSize(QSize(104, 44));
    m_editG = new QPushButton(QStringLiteral("Quick Edit"), frame1);
    m_editG->setObjectName(QStringLiteral("EditG"));
    m_editG->setGeometry(twipsRect(3045, 120, 2655, 975));

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->hide();

    connect(list1, &QListWidget::itemSelectionChanged, this, &GatoWindow::List1_Click);
    connect(list2, &QListWidget::itemSelectionChanged, this, &GatoWindow::List2_Click);
    // after a switch of lists List1 still highlights an entry that may no
    // longer be the choice: a click (or Enter) on it chooses it again
    connect(list1, &QListWidget::itemClicked, this, &GatoWindow::List1_Click);
    connect(list1, &QListWidget::itemActivated, this, &GatoWindow::List1_Click);
    connect(list2, &QListWidget::itemClicked, this, &GatoWindow::List2_Click);
    connect(list2, &QListWidget::itemActivated, this, &GatoWindow::List2_Click);
    connect(m_preread, &QCheckBox::toggled, this, &GatoWindow::preread_Click);
    connect(m_save, &QPushButton::pressed, this, [this] { m_save->setIcon(QIcon(gatoSavePicture(true))); });
    connect(m_save, &QPushButton::released, this, [this] { m_save->setIcon(QIcon(gatoSavePicture(false))); });
    connect(m_save, &QPushButton::clicked, this, &GatoWindow::Save_Click);
    connect(m_editG, &QPushButton::clicked, this, &GatoWindow::EditG_Click);
    Form_Load();
    fitWindow();
}

void GatoWindow::fitWindow()
{
    // a choice is quoted: the longest built-in text or a name of 11 characters read from the image
    QListWidget* list1 = m_lists->list1();
    expectTexts(m_bar, {QStringLiteral("Monster Number %1").arg(list1->count() - 1)});
    for (const QString& entry : {list1->item(longestRow(list1))->text(), QString(tables::enemyNames.recordSize, QLatin1Char('X'))}) {
        expectTexts(m_bar, {QStringLiteral("Gato is now ") + entry + QStringLiteral(" !")});
        expectTexts(m_editG, {editCaption(entry)});
    }
    fitToFont(this);
}

GatoWindow::~GatoWindow() = default;

void GatoWindow::Form_Load()
{
    if (host().romPath().isEmpty())
        return;
    readSlot();
}

bool GatoWindow::readSlot()
{
    m_slot = readEntry(tables::gatoSlot, 0);
    if (!m_slot)
        return false;
    m_text1->setText(QString::number((*m_slot)[0]));
    // the slot is Save's to write: its place shows there too
    for (QWidget* control : {static_cast<QWidget*>(m_text1), static_cast<QWidget*>(m_save)})
        showPlace(control, tables::gatoSlot, tables::gatoSlot.fields[0], 0);
    // the slot's enemy is selected in both lists, so that whichever is shown
    // (now or after a switch) highlights the choice that Save and Quick Edit use
    const int enemy = (*m_slot)[0];
    for (QListWidget* list : {m_lists->list1(), m_lists->list2()}) {
        if (enemy >= list->count())
            continue;
        const QSignalBlocker quiet(list);  // chosen below, once
        list->setCurrentRow(enemy);
    }
    choose(m_lists->shown());
    return true;
}

void GatoWindow::List1_Click() { choose(m_lists->list1()); }

void GatoWindow::List2_Click() { choose(m_lists->list2()); }

void GatoWindow::choose(QListWidget* list)
{
    // emptying or switching a list chooses nothing
    const int index = selectedRow(list);
    if (index < 0)
        return;
    m_text1->setText(QString::number(index));
    m_bar->setText(QStringLiteral("Monster Number %1").arg(index));
    m_editG->setText(editCaption(list->item(index)->text()));
}

void GatoWindow::preread_Click()
{
    const Status switched = m_lists->followBox(image());
    if (!switched)
        complain(switched.error());
}

void GatoWindow::Save_Click()
{
    if (m_text1->text().isEmpty()) {
        refuseSave(QStringLiteral("no enemy is chosen. Choose the enemy to meet in Gato's place first."));
        return;
    }
    const auto chosen = byteFromText(m_text1->text().toStdString(), "The chosen enemy");
    if (!chosen) {
        refuseSave(chosen.error());
        return;
    }
    // the slot as this window read it; read now when it could not be read on opening
    if (!m_slot && !(m_slot = readEntry(tables::gatoSlot, 0))) {
        showNotSaved(QStringLiteral("the Gato slot could not be read"));
        return;
    }
    switch (saveRecord(tables::gatoSlot, 0, *m_slot, Bytes{*chosen}, labelText(QStringLiteral("gato_place")))) {
    case SaveOutcome::Saved:
        m_slot = Bytes{*chosen};
        m_bar->setText(QStringLiteral("Gato is now ") + m_lists->entryText(*chosen) + QStringLiteral(" !"));
        break;
    case SaveOutcome::ReadAgain:
        if (readSlot())
            showReadAgain(QStringLiteral("the Gato slot"), QStringLiteral("it"));
        break;
    case SaveOutcome::Refused:
        break;
    }
}

void GatoWindow::recordWritten(const Table& table, int index, const Bytes& bytes)
{
    if (&table != &tables::enemyNames || !m_lists->nameWritten(index, bytes))
        return;
    // the Quick Edit caption quotes the chosen entry's text
    if (selectedRow(m_lists->shown()) == index)
        m_editG->setText(editCaption(m_lists->entryText(index)));
}

bool GatoWindow::showsRecord(const Table& table, int) const { return &table == &tables::gatoSlot; }

void GatoWindow::recordRestored(const Table& table, int, const QString& writer)
{
    if (&table != &tables::gatoSlot || !readSlot())
        return;
    m_bar->setText(restoredCaption(QStringLiteral("Gato is ") + m_lists->entryText((*m_slot)[0]), writer));
}

void GatoWindow::EditG_Click()
{
    // right after switching lists the shown one has no selection: nothing to edit
    const int index = selectedRow(m_lists->shown());
    if (index < 0)
        return;
    if (auto* monster = qobject_cast<MonsterWindow*>(host().showWindow(QStringLiteral("Monster"))))
        monster->showEnemy(index);
}

QWidget* createGatoWindow(EditorHost& host) { return new GatoWindow(host); }

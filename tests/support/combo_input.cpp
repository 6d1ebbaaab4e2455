#include "tests/support/combo_input.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

void pickEntry(QComboBox* combo, int index)
{
    // what the drop-down's list view does when the user clicks an entry
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void typeIntoCombo(QComboBox* combo, const QString& text)
{
    QLineEdit* edit = combo->lineEdit();
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

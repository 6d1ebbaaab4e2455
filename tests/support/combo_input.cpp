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

void focusForTyping(QWidget* control)
{
    QWidget* window = control->window();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("the window %s did not become active", qPrintable(window->objectName()));
    control->setFocus();
}

void typeIntoCombo(QComboBox* combo, const QString& text)
{
    QLineEdit* edit = combo->lineEdit();
    focusForTyping(edit);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

#pragma once

class QComboBox;
class QString;
class QWidget;

// Picks entry `index` of a drop-down as a user's choice from its list would.
void pickEntry(QComboBox* combo, int index);
// Makes the window of `control` the active one and gives `control` the focus,
// as a user's click into it would: completers and the like act only then.
void focusForTyping(QWidget* control);
// Replaces the text of an editable drop-down's edit part by typing.
void typeIntoCombo(QComboBox* combo, const QString& text);

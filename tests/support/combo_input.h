#pragma once

class QComboBox;
class QString;

// Picks entry `index` of a drop-down as a user's choice from its list would.
void pickEntry(QComboBox* combo, int index);
// Replaces the text of an editable drop-down's edit part by typing.
void typeIntoCombo(QComboBox* combo, const QString& text);

#pragma once

#include <QRect>
#include <QStringList>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QWidget;

// The windows are laid out in twips for an 8 pt font; the platform's font is
// often larger. fitToFont stretches a window (its controls placed by geometry,
// not by layouts) just enough that every caption, frame title, drop-down entry
// and field value fits its control in the control's own font and style, and
// fixes the window at its new size. Each axis is stretched piece by piece
// between the edges of the controls (see StretchMap), never shrunk, so the
// arrangement stays as designed. A control placed wholly outside its parent on
// purpose is moved along but not measured. Call it once all controls exist and
// show their first texts.
void fitToFont(QWidget* root);

// Texts that a label or button will show later (a status line's captions, a
// button renamed by a handler): the fit makes room for them too.
void expectTexts(QWidget* control, const QStringList& texts);

// The row of the list entry with the longest text (0 for an empty list): the
// captions that quote an entry are widest for it.
int longestRow(const QListWidget* list);

// What a field must show whole: any byte for a clamped byte field, five digits
// for the other numeric fields (a word, or a byte whose excess the Save
// refuses), else what it holds now or can hold at most.
QString widestValue(const QLineEdit* edit);

// Where the style draws a frame's title, in the frame's own coordinates.
QRect titleRect(const QGroupBox* box);

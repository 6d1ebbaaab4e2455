#pragma once

// Makes every drop-down announce its caption as its name, as an entry field
// does: its accessible name where one is set, else the label beside it, with
// the text it shows as its value. (Qt's own drop-down gives its shown text as
// its name on some systems, so a screen reader would read "Poison", not
// "Inflicted Status".) Safe to call more than once.
void announceComboCaptions();

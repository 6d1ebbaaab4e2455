#pragma once

#include "rom/numeric_text.h"

#include <QLineEdit>

// A single-line numeric field whose change rule runs on every change of its
// text, whether typed by the user or set by the program.
class EntryField : public QLineEdit {
    Q_OBJECT
public:
    EntryField(const QString& objectName, EntryRule rule, QWidget* parent);

    EntryRule rule() const { return m_rule; }

private:
    void applyRule(const QString& text);

    EntryRule m_rule;
};

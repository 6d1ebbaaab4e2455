#pragma once

#include "editors/common/editor_window.h"
#include "rom/rom_image.h"

#include <QStringList>

class QCheckBox;
class QListWidget;
class QWidget;

// The two enemy lists that the enemy window and the Gato window share: List1
// with the texts supplied with the program and List2, at the same place, with
// the names decoded from the image on request. Exactly one of them is visible.
class EnemyLists {
public:
    EnemyLists(QListWidget* list1, QListWidget* list2, QCheckBox* preread);

    static QStringList builtInTexts();
    // The check box "Read Names from ROM?", unchecked.
    static QCheckBox* makePrereadBox(QWidget* parent);

    QListWidget* list1() const { return m_list1; }
    QListWidget* list2() const { return m_list2; }
    QListWidget* shown() const;
    // The text of enemy `index` in the list that is shown (empty when it has none).
    QString entryText(int index) const;

    // Follows the check box: when checked, List2 is filled with the names in
    // `image` and shown; when unchecked, List2 is emptied and List1 shown.
    // Neither list's selection is touched. When the names cannot be read,
    // List1 stays, the box is unchecked again and the reason is returned.
    Status followBox(const RomImage& image);

    // Keeps List2 in step with the name slot of enemy `index` just written
    // into the image (by a save, an undo or a redo). False when List2 does
    // not list that enemy (the names are not shown).
    bool nameWritten(int index, const Bytes& slot);
    // Keeps List2 in step with a name just read again from the image.
    void renameEntry(int index, const QString& name);

private:
    QListWidget* m_list1;
    QListWidget* m_list2;
    QCheckBox* m_preread;
};

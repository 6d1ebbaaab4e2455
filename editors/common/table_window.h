#pragma once

#include "editors/common/editor_window.h"
#include "editors/common/record_form.h"

#include <memory>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;

// An editor of one table: a list of its entries, a status line, controls bound
// to the table's fields and a Save button. Selecting an entry reads its record
// and spreads it over the controls; Save rebuilds the record from them and
// writes it back, or writes nothing and says why when a control does not
// convert. Windows with fields of their own (the chest contents word) handle
// them in showOwnFields and collectOwnFields.
class TableWindow : public EditorWindow {
    Q_OBJECT
public:
    void Form_Load();
    void List1_Click();
    void ReadRecord(std::int16_t index);
    void Save_Click();

protected:
    TableWindow(EditorHost& host, const QString& objectName, const QString& caption, int clientWidthTwips,
                int clientHeightTwips, const Table& table);

    // Called once the subclass has made its controls: binds them by name,
    // except the fields named in `leftToWindow`, and connects the handlers.
    void bind(QLabel* bar, QListWidget* list, QPushButton* save, const QStringList& leftToWindow = {});
    // Called last: makes room in `bar` for the widest texts it will show and
    // fits the window to the platform's font.
    void fitWindow();

    // The status line after entry `index` was read.
    virtual QString readCaption(int index) const = 0;
    // The status line after a save of the entry listed as `label`.
    virtual QString savedCaption(const QString& label) const;
    bool showsRecord(const Table& table, int index) const override;
    void recordRestored(const Table& table, int index, const QString& writer) override;
    virtual void showOwnFields(const Bytes&) {}
    // The tooltips of those fields: where they lie in entry `index`.
    virtual void showOwnPlaces(int) {}
    virtual Result<Bytes> collectOwnFields(Bytes record) { return record; }

    QLabel* bar() const { return m_bar; }
    QListWidget* list() const { return m_list; }
    const std::optional<Bytes>& record() const { return m_record; }

private:
    const Table& m_table;
    QLabel* m_bar = nullptr;
    QListWidget* m_list = nullptr;
    std::unique_ptr<RecordForm> m_form;
    std::optional<Bytes> m_record;  // the record shown, as read or saved; none after a failed read
};

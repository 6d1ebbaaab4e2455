#include "tests/support/combo_input.h"
#include "tests/support/test_support.h"

#include "editors/common/record_form.h"
#include "editors/common/value_combo.h"
#include "rom/chest_contents.h"
#include "rom/edit_plan.h"
#include "rom/entry_names.h"
#include "rom/field_keys.h"
#include "rom/tables.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <stdexcept>

// The promise between the windows and the tool: text typed into a window's
// control and saved, and the same text given to the tool's store (in the
// windows' notation, adjusted as a window adjusts), end as the same record
// bytes in the file, or are both refused with the same reason.

namespace {

constexpr int kRoundsPerTable = 40;

quint32 seed() { return propertySeed(20261211u); }

// Where a table's controls are: the window (row of the main window's editor
// list), the button that shows the page and the page itself, its Save button.
struct Target {
    int listIndex;
    const char* window;
    const char* selector;  // "" for none
    const char* page;      // "" when the controls lie on the window itself
    const char* save;
    const Table* table;
};

const Target kTargets[] = {
    {0, "Character", "", "", "Save", &tables::characterSprites},
    {1, "NPC", "", "", "Save", &tables::npcSprites},
    {2, "Monster", "Command1", "spritecreation", "Save", &tables::enemySpriteCreation},
    {2, "Monster", "Command4", "stats", "Save2", &tables::enemyStats},
    {2, "Monster", "Command5", "aipointer", "Save3", &tables::enemyAiPointers},
    {2, "Monster", "Command6", "reward", "Save4", &tables::enemyRewards},
    {3, "Weapon", "", "", "Save", &tables::weapons},
    {4, "Armor", "", "", "Save", &tables::armor},
    {5, "Accessory", "", "", "Save", &tables::accessoryEffects},
    {5, "Accessory", "", "", "Save", &tables::accessoryEquip},
    {6, "Item2", "", "", "Save", &tables::itemSecondary},
    {7, "KeyItemandConsumables", "", "", "Save", &tables::consumables},
    {8, "Chests", "", "", "Save", &tables::chests},
};

QString nameOf(const Field& field) { return QString::fromUtf8(field.name.data(), qsizetype(field.name.size())); }

// The plain field of the tool's keyed table that stands for `field`.
const KeyedField* keyedField(const KeyedTable& table, const Field& field)
{
    for (const KeyedField& k : table.fields)
        if (k.field == &field && k.kind == KeyKind::Plain)
            return &k;
    return nullptr;
}

// Typed text of every kind a person or a script gives: numbers in and out of
// range, both hexadecimal notations, signs, points and exponents, blanks
// around, list labels whole, cut short or in another case, and junk.
class TextMaker {
public:
    explicit TextMaker(quint32 seed) : m_random(seed) {}

    QString make(const Field& field)
    {
        const std::int64_t max = field.width == Width::Word ? 65535 : 255;
        QString text;
        switch (m_random.bounded(field.list != ValueListId::None ? 12 : 9)) {
        case 0:
            text = QString::number(m_random.bounded(int(max) + 1));
            break;
        case 1: {
            const std::int64_t edges[] = {0, 1, max - 1, max, max + 1, 255, 256, 65535, 65536, -1, 4294967296};
            text = QString::number(edges[m_random.bounded(int(std::size(edges)))]);
            break;
        }
        case 2:
            text = QStringLiteral("&H") + QString::number(m_random.bounded(int(max) + 300), 16);
            if (m_random.bounded(2))
                text = text.toUpper().replace(QLatin1String("&H"), QLatin1String("&h"));
            break;
        case 3:
            text = QStringLiteral("0x") + QString::number(m_random.bounded(int(max) + 1), 16);
            break;
        case 4: {
            const char* signedOnes[] = {"-", "+", "-0"};
            text = QString::fromLatin1(signedOnes[m_random.bounded(3)]) + QString::number(m_random.bounded(300));
            break;
        }
        case 5: {
            const char* numbers[] = {"2.5", "3.5", "254.5", "255.4", "1e2", "3e2", "300e-1", "2550e-1", ".5", "7.",
                                     "1e400", "-1e400", "65535.4", "65535.5", "1E1", "0.0000001"};
            text = QString::fromLatin1(numbers[m_random.bounded(int(std::size(numbers)))]);
            break;
        }
        case 6: {
            const char* junk[] = {"", "-", "+", ".", "e", "abc", "1x", "12 34", "&H", "&Hxyz", "0x", "true", "--1", "1e",
                                  "$10", "3000x"};
            text = QString::fromLatin1(junk[m_random.bounded(int(std::size(junk)))]);
            break;
        }
        case 7:
        case 8:
            text = QString::number(m_random.bounded(int(max) + 1));
            break;
        default: {
            const auto entries = valueList(field.list);
            QString label = QString::fromStdString(entries[m_random.bounded(int(entries.size()))].label);
            if (m_random.bounded(3) == 0)
                label = label.left(1 + m_random.bounded(int(std::max<qsizetype>(1, label.size()))));
            else if (m_random.bounded(4) == 0)
                label = label.toUpper();
            text = label;
            break;
        }
        }
        // blanks around, now and then (a tab would move the focus on)
        if (m_random.bounded(6) == 0)
            text = QStringLiteral(" ") + text;
        if (m_random.bounded(6) == 0)
            text += QStringLiteral("  ");
        return text;
    }

    int bounded(int n) { return m_random.bounded(n); }

private:
    QRandomGenerator m_random;
};

// What an entry field holds after `keys` are typed into it over a selection:
// its change rule runs after every key, and a text it changes is what the
// next key is added to ("3000x" shows as "255x").
std::string typedKeyByKey(EntryRule rule, const QString& keys)
{
    std::string held;
    for (QChar key : keys)
        held = applyEntryRule(rule, held + char(key.unicode()));
    return keys.isEmpty() ? applyEntryRule(rule, "") : held;
}

// Compares a window's Save with the tool's plan for the same text: both
// refused with the same reason, or the window silent and the tool's record
// (when it changes) taken into `mirror`, the image as it must now be; then
// the file around the record must equal it. Counts the outcome.
void compareOutcome(Session& s, qsizetype messagesBefore, const EditPlan& plan, const Table& table,
                    std::uint32_t position, const QString& what, Bytes& mirror, int& stored, int& refused)
{
    if (plan.refusals.empty()) {
        ++stored;
        QVERIFY2(s.platform.messages.size() == messagesBefore,
                 qPrintable(what + QStringLiteral(": the window refused: ") + s.platform.messages.value(messagesBefore)));
        if (!plan.changes.empty())
            std::copy(plan.changes[0].after.begin(), plan.changes[0].after.end(), mirror.begin() + position);
    } else {
        ++refused;
        QVERIFY2(s.platform.messages.size() > messagesBefore,
                 qPrintable(what + QStringLiteral(": the tool refused with \"")
                            + QString::fromStdString(plan.refusals[0].reason) + QStringLiteral("\", the window did not")));
        QVERIFY2(s.platform.messages.back().toStdString() == plan.refusals[0].reason,
                 qPrintable(what + QStringLiteral(": the window said \"") + s.platform.messages.back()
                            + QStringLiteral("\", the tool \"") + QString::fromStdString(plan.refusals[0].reason)
                            + QStringLiteral("\"")));
    }
    constexpr std::uint32_t kMargin = 64;
    const std::uint32_t from = position - kMargin;
    const Bytes around = *RomImage(s.image.path().toStdString()).read(from, table.recordSize + 2 * kMargin);
    for (std::size_t i = 0; i < around.size(); ++i)
        if (around[i] != mirror[from + i])
            QFAIL(qPrintable(what + QStringLiteral(": the file holds %1 at 0x%2 where the tool's store gives %3")
                                        .arg(around[i])
                                        .arg(from + i, 6, 16, QLatin1Char('0'))
                                        .arg(mirror[from + i])));
}

}  // namespace

class FieldPromiseTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qInfo("property seed %u", seed()); }
    void windowAndToolStoreTheSame_data();
    void windowAndToolStoreTheSame();
    void chestValuesStoreTheSame();
    void aFormRefusesAFieldWithoutItsControl_data();
    void aFormRefusesAFieldWithoutItsControl();
};

void FieldPromiseTest::windowAndToolStoreTheSame_data()
{
    QTest::addColumn<int>("target");
    for (std::size_t i = 0; i < std::size(kTargets); ++i)
        QTest::newRow(kTargets[i].table->name.data()) << int(i);
}

void FieldPromiseTest::windowAndToolStoreTheSame()
{
    QFETCH(int, target);
    const Target& t = kTargets[target];
    const Table& table = *t.table;
    const KeyedTable& keyed = *findKeyedTable(table.key);
    Session s;
    QWidget* window = s.openEditor(t.listIndex, QString::fromLatin1(t.window));
    QVERIFY(window);
    if (*t.selector)
        QTest::mouseClick(child<QPushButton>(window, QString::fromLatin1(t.selector)), Qt::LeftButton);
    QWidget* root = *t.page ? child<QWidget>(window, QString::fromLatin1(t.page)) : window;
    QVERIFY(root);
    auto* list = child<QListWidget>(window, QStringLiteral("List1"));
    // the window's list names every entry as the tool and the history do
    QCOMPARE(list->count(), int(table.count));
    for (int i = 0; i < list->count(); ++i)
        QCOMPARE(list->item(i)->text().toStdString(), entryListText(table, i));
    std::vector<const Field*> fields;
    for (const Field& field : table.fields)
        if (field.width != Width::Text && root->findChild<QWidget*>(nameOf(field)) && keyedField(keyed, field))
            fields.push_back(&field);
    QVERIFY(!fields.empty());
    std::vector<const Field*> typedFields;
    std::copy_if(fields.begin(), fields.end(), std::back_inserter(typedFields),
                 [](const Field* f) { return f->width != Width::Bit; });

    const quint32 caseSeed = seed() + quint32(target) * 7919u;
    TextMaker maker(caseSeed);
    // the image as it must be, beside the file: each save is checked around
    // its record, and the whole file at the end
    Bytes mirror = s.image.bytes();
    const int entries = table.count;
    int current = list->currentRow();
    int stored = 0, refused = 0;
    for (int round = 0; round < kRoundsPerTable; ++round) {
        // another entry each round: both sides then start from the record as read
        int index = maker.bounded(entries);
        if (index == current)
            index = (index + 1) % entries;
        clickRow(list, index);
        current = index;
        // the bits of a table are many, its typed fields few: these are picked three times in four
        const Field* picked = fields[std::size_t(maker.bounded(int(fields.size())))];
        if (picked->width == Width::Bit && !typedFields.empty() && maker.bounded(4) != 0)
            picked = typedFields[std::size_t(maker.bounded(int(typedFields.size())))];
        const Field& field = *picked;
        QWidget* control = root->findChild<QWidget*>(nameOf(field));

        QString typed;
        std::string given;  // what the tool is given
        if (auto* box = qobject_cast<QCheckBox*>(control)) {
            const char* bits[] = {"true", "false", "1", "0", "TRUE", " false "};
            given = bits[maker.bounded(int(std::size(bits)))];
            typed = QString::fromStdString(given);
            const bool on = typed.trimmed().toLower() == QLatin1String("true") || typed.trimmed() == QLatin1String("1");
            if (box->isChecked() != on) {
                box->setFocus();
                QTest::keyClick(box, Qt::Key_Space);
            }
        } else if (auto* combo = qobject_cast<ValueCombo*>(control)) {
            typed = maker.make(field);
            given = typed.toStdString();
            typeIntoCombo(combo, typed);
        } else {
            auto* edit = qobject_cast<QLineEdit*>(control);
            QVERIFY(edit);
            typed = maker.make(field);
            typeInto(edit, typed);
            given = typedKeyByKey(field.rule, typed);
        }
        const qsizetype messagesBefore = s.platform.messages.size();
        clickSave(root, QString::fromLatin1(t.save));

        const FieldEdit edit{&keyed, index, keyedField(keyed, field), given, {}};
        const EditPlan plan = planEdits(mirror, std::span(&edit, 1), Notation::Window, ValueFit::Adjust);
        const QString what = QStringLiteral("VELDRA_PROPERTY_SEED=%1, %2 entry %3, field %4 (%5), typed \"%6\", the tool given \"%7\"")
                                 .arg(seed())
                                 .arg(QString::fromUtf8(table.name.data(), qsizetype(table.name.size())))
                                 .arg(index)
                                 .arg(nameOf(field), QString::fromUtf8(field.label.data(), qsizetype(field.label.size())),
                                      typed, QString::fromStdString(given));
        compareOutcome(s, messagesBefore, plan, table, *recordPosition(table, index), what, mirror, stored, refused);
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY2(s.image.bytes() == mirror, "a save wrote outside its record");
    // both outcomes must have been met, or the text maker has lost its way
    QVERIFY2(stored > 0 && refused > 0, qPrintable(QStringLiteral("%1 stored, %2 refused").arg(stored).arg(refused)));
}

// The chest window's value: the gold amount typed into its entry field, an
// item typed into its item drop-down (whose change rule keeps a number from
// going below 0), against the tool's "value" of the same chest.
void FieldPromiseTest::chestValuesStoreTheSame()
{
    const Table& table = tables::chests;
    const KeyedTable& keyed = *findKeyedTable(table.key);
    const KeyedField* value = keyed.find("value");
    QVERIFY(value);
    Session s;
    QWidget* window = s.openEditor(8, QStringLiteral("Chests"));
    QVERIFY(window);
    auto* list = child<QListWidget>(window, QStringLiteral("List1"));
    auto* gold = child<QLineEdit>(window, QStringLiteral("Text1"));
    auto* item = child<ValueCombo>(window, QStringLiteral("c3"));
    QVERIFY(gold && item);
    // what the text maker makes for each: numbers and junk, item labels
    const Field goldField{"Text1", "value", 2, Width::Word, "Value"};
    const Field itemField{"c3", "value", 2, Width::Word, "Value", EntryRule::None, -1, ValueListId::Items};

    const quint32 caseSeed = seed() + 424242u;
    TextMaker maker(caseSeed);
    Bytes mirror = s.image.bytes();
    int current = list->currentRow();
    int stored = 0, refused = 0, rounds = 0;
    for (int tries = 0; rounds < kRoundsPerTable && tries < 20 * kRoundsPerTable; ++tries) {
        int index = maker.bounded(table.count);
        const std::uint32_t position = *recordPosition(table, index);
        const ChestType type = decodeChestContents(std::uint16_t(mirror[position + 2] | mirror[position + 3] << 8)).type;
        if (index == current || type == ChestType::Event)  // an event chest shows no value to type
            continue;
        ++rounds;
        clickRow(list, index);
        current = index;
        QString typed;
        std::string given;
        if (type == ChestType::Gold) {
            typed = maker.make(goldField);
            typeInto(gold, typed);
            given = typed.toStdString();
        } else {
            typed = maker.make(itemField);
            typeIntoCombo(item, typed);
            given = typedKeyByKey(EntryRule::NonNegative, typed);
        }
        const qsizetype messagesBefore = s.platform.messages.size();
        clickSave(window);

        const FieldEdit edit{&keyed, index, value, given, {}};
        const EditPlan plan = planEdits(mirror, std::span(&edit, 1), Notation::Window, ValueFit::Adjust);
        const QString what = QStringLiteral("VELDRA_PROPERTY_SEED=%1, chest %2 (%3), typed \"%4\", the tool given \"%5\"")
                                 .arg(seed())
                                 .arg(index)
                                 .arg(type == ChestType::Gold ? QStringLiteral("gold") : QStringLiteral("item"), typed,
                                      QString::fromStdString(given));
        compareOutcome(s, messagesBefore, plan, table, position, what, mirror, stored, refused);
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY2(s.image.bytes() == mirror, "a save wrote outside its record");
    QVERIFY2(stored > 0 && refused > 0, qPrintable(QStringLiteral("%1 stored, %2 refused").arg(stored).arg(refused)));
}

void FieldPromiseTest::aFormRefusesAFieldWithoutItsControl_data()
{
    QTest::addColumn<int>("table");
    for (std::size_t i = 0; i < tables::all().size(); ++i)
        if (tables::all()[i]->fields[0].width != Width::Text)
            QTest::newRow(tables::all()[i]->name.data()) << int(i);
}

// A form over controls for every field binds; one control missing (or of a
// kind that cannot show the field) stops it, naming the field.
void FieldPromiseTest::aFormRefusesAFieldWithoutItsControl()
{
    QFETCH(int, table);
    const Table& t = *tables::all()[table];
    const auto controlsFor = [&](const Field* missing, bool wrongKind) {
        auto root = std::make_unique<QWidget>();
        for (const Field& field : t.fields) {
            QWidget* control = nullptr;
            if (&field == missing && !wrongKind)
                continue;
            if (&field == missing)
                control = new QPushButton(root.get());
            else if (field.width == Width::Bit)
                control = new QCheckBox(root.get());
            else if (field.list != ValueListId::None)
                control = new ValueCombo(nameOf(field), root.get());
            else
                control = new QLineEdit(root.get());
            control->setObjectName(nameOf(field));
        }
        return root;
    };
    const auto whole = controlsFor(nullptr, false);
    RecordForm bound(t, whole.get());
    QCOMPARE(&bound.table(), &t);
    for (const Field& field : t.fields)
        for (bool wrongKind : {false, true}) {
            const auto root = controlsFor(&field, wrongKind);
            try {
                RecordForm form(t, root.get());
                QFAIL(qPrintable(QStringLiteral("a form was made without a control for ") + nameOf(field)));
            } catch (const std::logic_error& e) {
                QVERIFY2(std::string(e.what()).find(" named " + std::string(field.name) + " ") != std::string::npos, e.what());
            }
            // a field the window handles itself needs no control
            RecordForm left(t, root.get(), {nameOf(field)});
        }
}

QTEST_MAIN(FieldPromiseTest)
#include "test_field_promise.moc"

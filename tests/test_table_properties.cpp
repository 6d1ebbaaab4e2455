#include "tests/support/test_support.h"

#include "editors/common/record_form.h"
#include "editors/common/value_combo.h"
#include "rom/edit_plan.h"
#include "rom/field_keys.h"
#include "rom/field_lists.h"
#include "rom/game_text.h"
#include "rom/history/checked_write.h"
#include "rom/tables.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <memory>

// Properties every declared table must keep, on random entries and random
// in-range values: a save of one field changes that field's bytes (or bit)
// and nothing else, a save of an unchanged record changes nothing, and a read
// after a write gives back what was written.

namespace {

constexpr int kRoundsPerTable = 60;

quint32 seed() { return propertySeed(20240611u); }

// The test's own reckoning of a field's bytes, apart from the program's.
std::uint32_t fieldMax(const Field& field) { return field.width == Width::Word ? 0xFFFF : field.width == Width::Bit ? 1 : 0xFF; }
std::size_t fieldSize(const Field& field, std::size_t recordSize)
{
    return field.width == Width::Word ? 2 : field.width == Width::Text ? recordSize - field.offset : 1;
}
std::uint32_t readField(const Field& field, std::span<const std::uint8_t> record)
{
    if (field.width == Width::Bit)
        return (record[field.offset] >> field.bit) & 1u;
    if (field.width == Width::Word)
        return record[field.offset] | (record[field.offset + 1u] << 8);
    return record[field.offset];
}
void writeField(const Field& field, std::span<std::uint8_t> record, std::uint32_t value)
{
    if (field.width == Width::Bit) {
        const auto mask = static_cast<std::uint8_t>(1u << field.bit);
        record[field.offset] = value ? record[field.offset] | mask : record[field.offset] & ~mask;
    } else {
        record[field.offset] = static_cast<std::uint8_t>(value);
        if (field.width == Width::Word)
            record[field.offset + 1u] = static_cast<std::uint8_t>(value >> 8);
    }
}

std::vector<const Field*> numericFields(const Table& table)
{
    std::vector<const Field*> out;
    for (const Field& field : table.fields)
        if (field.width != Width::Text)
            out.push_back(&field);
    return out;
}

// The image as it should be, kept in memory beside the file. After each save
// the bytes around the record are compared with it and taken over; at the end
// the whole file must equal it, so a stray byte written anywhere shows.
class Mirror {
public:
    explicit Mirror(const SampleImage& sample) : m_sample(sample), m_bytes(sample.bytes()) {}

    // Whether the save changed at most the field's bytes (or its bit) around the record.
    bool onlyFieldChanged(const Table& table, const Field& field, std::uint32_t position)
    {
        const std::uint32_t from = position >= kMargin ? position - kMargin : 0;
        const std::size_t count = std::min<std::size_t>(table.recordSize + 2 * kMargin, m_bytes.size() - from);
        const Bytes now = *RomImage(m_sample.path().toStdString()).read(from, count);
        const std::size_t fieldFirst = position + field.offset;
        const std::size_t fieldEnd = fieldFirst + fieldSize(field, table.recordSize);
        bool ok = true;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t was = m_bytes[from + i];
            const std::size_t at = from + i;
            if (was == now[i])
                continue;
            if (at < fieldFirst || at >= fieldEnd || (field.width == Width::Bit && ((was ^ now[i]) & ~(1u << field.bit))))
                ok = false;
            m_bytes[at] = now[i];
        }
        return ok;
    }
    bool wholeFileMatches() const { return m_sample.bytes() == m_bytes; }
    const Bytes& bytes() const { return m_bytes; }

private:
    static constexpr std::uint32_t kMargin = 32;
    const SampleImage& m_sample;
    Bytes m_bytes;
};

// A bare window with a control for every numeric field of `table`, named as
// the field: a check box for a bit, a drop-down of its list for a list field,
// else an entry field.
std::unique_ptr<QWidget> formRoot(const Table& table)
{
    auto root = std::make_unique<QWidget>();
    for (const Field* field : numericFields(table)) {
        const QString name = QString::fromUtf8(field->name.data(), qsizetype(field->name.size()));
        if (field->width == Width::Bit) {
            new QCheckBox(root.get());
        } else if (field->list != ValueListId::None) {
            auto* combo = new ValueCombo(name, root.get());
            for (const ValueListEntry& entry : valueList(field->list))
                combo->addEntry(QString::fromStdString(entry.label), entry.value);
        } else {
            new QLineEdit(root.get());
        }
        root->children().back()->setObjectName(name);
    }
    return root;
}

void setControl(QWidget* root, const Field& field, std::uint32_t value)
{
    const QString name = QString::fromUtf8(field.name.data(), qsizetype(field.name.size()));
    if (field.width == Width::Bit)
        root->findChild<QCheckBox*>(name)->setChecked(value != 0);
    else if (field.list != ValueListId::None)
        root->findChild<ValueCombo*>(name)->showStored(int(value));
    else
        root->findChild<QLineEdit*>(name)->setText(QString::number(value));
}

// The text a control shows for a field.
QString shownText(QWidget* root, const Field& field)
{
    const QString name = QString::fromUtf8(field.name.data(), qsizetype(field.name.size()));
    if (auto* combo = root->findChild<ValueCombo*>(name))
        return QString::number(combo->value());
    return root->findChild<QLineEdit*>(name)->text();
}

}  // namespace

class TablePropertyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyTable_data();
    void savingOneFieldChangesOnlyThatField();
    void savingOneFieldChangesOnlyThatField_data() { everyTable_data(); }
    void savingAnUnchangedRecordChangesNothing();
    void savingAnUnchangedRecordChangesNothing_data() { everyTable_data(); }
    void theFormShowsAndCollectsWhatTheCoreStores();
    void theFormShowsAndCollectsWhatTheCoreStores_data() { everyTable_data(); }
    void namesReadBackAsWritten();
    void valuesTypedIntoTheCoreChangeOnlyTheirField();
    void valuesTypedIntoTheCoreChangeOnlyTheirField_data() { everyTable_data(); }
};

void TablePropertyTest::initTestCase() { qInfo("property seed %u", seed()); }

void TablePropertyTest::everyTable_data()
{
    QTest::addColumn<int>("table");
    for (std::size_t i = 0; i < tables::all().size(); ++i)
        QTest::newRow(tables::all()[i]->name.data()) << int(i);
}

void TablePropertyTest::savingOneFieldChangesOnlyThatField()
{
    QFETCH(int, table);
    const Table& t = *tables::all()[table];
    const auto fields = numericFields(t);
    if (fields.empty())
        QSKIP("a text table: see namesReadBackAsWritten");
    SampleImage sample;
    const RomImage image(sample.path().toStdString());
    QRandomGenerator random(seed() + quint32(table));
    Mirror mirror(sample);
    for (int round = 0; round < kRoundsPerTable; ++round) {
        const int index = random.bounded(int(t.count));
        const Field& field = *fields[random.bounded(int(fields.size()))];
        const std::uint32_t value = random.bounded(fieldMax(field) + 1);
        const std::uint32_t position = *recordPosition(t, index);
        const Bytes read = *image.read(position, t.recordSize);
        Bytes record = read;
        writeField(field, record, value);

        const CheckedWrite written = writeChecked(image, t, index, read, record);
        QVERIFY2(written, written.message.c_str());
        QVERIFY2(mirror.onlyFieldChanged(t, field, position),
                 qPrintable(QStringLiteral("entry %1, field %2 = %3").arg(index).arg(field.name.data()).arg(value)));
        const Bytes back = *image.read(position, t.recordSize);
        QCOMPARE(readField(field, back), value);
        for (const Field* other : fields)
            if (other != &field && !(other->offset == field.offset && other->width == Width::Bit && field.width == Width::Bit
                                     && other->bit == field.bit))
                QCOMPARE(readField(*other, back), readField(*other, read));
    }
    QVERIFY(mirror.wholeFileMatches());
}

void TablePropertyTest::savingAnUnchangedRecordChangesNothing()
{
    QFETCH(int, table);
    const Table& t = *tables::all()[table];
    SampleImage sample;
    const RomImage image(sample.path().toStdString());
    const Bytes before = sample.bytes();
    QRandomGenerator random(seed() ^ quint32(table * 7919));
    for (int round = 0; round < kRoundsPerTable; ++round) {
        const int index = random.bounded(int(t.count));
        const Bytes read = *image.read(*recordPosition(t, index), t.recordSize);
        QVERIFY(writeChecked(image, t, index, read, read));
    }
    QVERIFY(sample.bytes() == before);
}

void TablePropertyTest::theFormShowsAndCollectsWhatTheCoreStores()
{
    QFETCH(int, table);
    const Table& t = *tables::all()[table];
    const auto fields = numericFields(t);
    if (fields.empty())
        QSKIP("a text table has no form controls");
    SampleImage sample;
    const RomImage image(sample.path().toStdString());
    const auto root = formRoot(t);
    const RecordForm form(t, root.get());
    QRandomGenerator random(seed() + 1000u + quint32(table));
    Mirror mirror(sample);
    for (int round = 0; round < kRoundsPerTable; ++round) {
        const int index = random.bounded(int(t.count));
        const Field& field = *fields[random.bounded(int(fields.size()))];
        const std::uint32_t value = random.bounded(fieldMax(field) + 1);
        const std::uint32_t position = *recordPosition(t, index);
        const Bytes read = *image.read(position, t.recordSize);

        form.show(read);
        for (const Field* shown : fields) {
            const QString name = QString::fromUtf8(shown->name.data(), qsizetype(shown->name.size()));
            if (shown->width == Width::Bit)
                QCOMPARE(root->findChild<QCheckBox*>(name)->isChecked(), readField(*shown, read) != 0);
            else
                QCOMPARE(shownText(root.get(), *shown), QString::number(readField(*shown, read)));
        }
        auto untouched = form.collect(read);
        QVERIFY(untouched);
        QCOMPARE(*untouched, read);

        setControl(root.get(), field, value);
        auto collected = form.collect(read);
        QVERIFY2(collected, collected.error().c_str());
        Bytes expected = read;
        writeField(field, expected, value);
        QCOMPARE(*collected, expected);

        QVERIFY(writeChecked(image, t, index, read, *collected));
        QVERIFY(mirror.onlyFieldChanged(t, field, position));
        form.show(*image.read(position, t.recordSize));
        auto reread = form.collect(*collected);
        QVERIFY(reread);
        QCOMPARE(readField(field, *reread), value);
    }
    QVERIFY(mirror.wholeFileMatches());
}

void TablePropertyTest::namesReadBackAsWritten()
{
    const Table& t = tables::enemyNames;
    SampleImage sample;
    const RomImage image(sample.path().toStdString());
    // every character the codec can write, once each (0xE7 and 0xF1 read as texts that encode elsewhere)
    std::vector<std::string> alphabet;
    for (int code = 0; code < 256; ++code)
        if (!CharTable()[code].empty() && code != 0xE7 && code != 0xF1)
            alphabet.emplace_back(CharTable()[code]);
    QRandomGenerator random(seed() + 77u);
    Mirror mirror(sample);
    for (int round = 0; round < kRoundsPerTable; ++round) {
        const int index = random.bounded(int(t.count));
        const int length = random.bounded(t.recordSize + 1);
        std::string name;
        for (int i = 0; i < length; ++i)
            name += alphabet[random.bounded(int(alphabet.size()))];
        const std::uint32_t position = *recordPosition(t, index);
        QVERIFY(WriteGameText(image, std::int32_t(position), name, t.recordSize));
        QVERIFY(mirror.onlyFieldChanged(t, t.fields[0], position));
        std::string padded = name + std::string(t.recordSize - length, ' ');
        QCOMPARE(*ReadGameText(image, std::int32_t(position), t.recordSize), padded);
    }
    QVERIFY(mirror.wholeFileMatches());
}

// The core's own road for typed values (the command-line tool's set and
// import): a value planned and applied for one field changes only that
// field, and reads back as given.
void TablePropertyTest::valuesTypedIntoTheCoreChangeOnlyTheirField()
{
    QFETCH(int, table);
    const KeyedTable& keyed = keyedTables()[table];
    const Table& t = *keyed.table;
    std::vector<const KeyedField*> fields;
    for (const KeyedField& field : keyed.fields)
        if (field.settable && (field.kind == KeyKind::Plain || field.kind == KeyKind::Name))
            fields.push_back(&field);
    if (fields.empty())
        QSKIP("no field of this table is set one at a time");
    SampleImage sample;
    const RomImage image(sample.path().toStdString());
    Mirror mirror(sample);
    QRandomGenerator random(seed() + 5000u + quint32(table));
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 !?':.,";
    for (int round = 0; round < kRoundsPerTable; ++round) {
        const int index = random.bounded(int(t.count));
        const KeyedField& field = *fields[random.bounded(int(fields.size()))];
        std::string text;
        FieldValue expected;
        if (field.kind == KeyKind::Name) {
            const int length = random.bounded(t.recordSize + 1);
            for (int i = 0; i < length; ++i)
                text += alphabet[random.bounded(int(alphabet.size()))];
            expected = text + std::string(t.recordSize - length, ' ');
        } else if (field.field->width == Width::Bit) {
            const bool on = random.bounded(2) == 1;
            text = on ? "true" : "false";
            expected = on;
        } else if (field.list != ValueListId::None) {
            const auto entries = valueList(field.list);
            const ValueListEntry& entry = entries[random.bounded(int(entries.size()))];
            text = std::to_string(entry.value);
            expected = std::int64_t(entry.value);
        } else {
            const std::int64_t min = field.min.value_or(0);
            const std::int64_t max = field.max.value_or(fieldMax(*field.field));
            const std::int64_t value = min + std::int64_t(random.bounded(quint32(max - min + 1)));
            text = std::to_string(value);
            expected = value;
        }
        const FieldEdit edit{&keyed, index, &field, text, {}};
        const EditPlan plan = planEdits(mirror.bytes(), std::span(&edit, 1));
        QVERIFY2(plan.refusals.empty(), plan.refusals.empty() ? "" : plan.refusals[0].reason.c_str());
        const Status applied = applyPlan(image, plan);
        QVERIFY2(applied, applied.ok() ? "" : applied.error().c_str());
        const std::uint32_t position = *recordPosition(t, index);
        QVERIFY2(mirror.onlyFieldChanged(t, *field.field, position),
                 qPrintable(QStringLiteral("entry %1, %2 = %3").arg(index).arg(field.key.c_str(), text.c_str())));
        QVERIFY(readFieldValue(field, *image.read(position, t.recordSize)) == expected);
    }
    QVERIFY(mirror.wholeFileMatches());
}

QTEST_MAIN(TablePropertyTest)
#include "test_table_properties.moc"

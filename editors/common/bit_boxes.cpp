#include "editors/common/bit_boxes.h"

#include "editors/common/editor_window.h"
#include "editors/common/labels.h"

#include <QCheckBox>

#include <string_view>
#include <vector>

QString bitCaption(const Field& field)
{
    if (field.character >= 0) {
        const QStringList characters = labelList(QStringLiteral("characters"));
        if (field.character < characters.size())
            return characters[field.character];
    }
    return QString::fromUtf8(field.label.data(), qsizetype(field.label.size()));
}

QCheckBox* makeBitBox(const Table& table, std::string_view name, QWidget* parent, const QRect& geometry)
{
    const Field* field = table.field(name);
    Q_ASSERT(field && field->width == Width::Bit);
    auto* box = new QCheckBox(bitCaption(*field), parent);
    box->setAccessibleName(box->text());
    box->setObjectName(QString::fromLatin1(name.data(), qsizetype(name.size())));
    box->setGeometry(geometry);
    return box;
}

namespace {

template <typename Names>
void placeNamed(const Table& table, const Names& names, QWidget* parent, const BitGrid& grid)
{
    int i = 0;
    for (std::string_view name : names) {
        const int column = i / grid.perColumn;
        const int row = i % grid.perColumn;
        makeBitBox(table, name, parent,
                   twipsRect(grid.left + column * grid.columnWidth, grid.top + row * grid.rowStep, grid.boxWidth,
                             grid.boxHeight));
        ++i;
    }
}

}  // namespace

void placeBitBoxes(const Table& table, std::initializer_list<const char*> names, QWidget* parent, const BitGrid& grid)
{
    placeNamed(table, names, parent, grid);
}

void placeBitBoxes(const Table& table, std::span<const Field> fields, QWidget* parent, const BitGrid& grid)
{
    std::vector<std::string_view> names;
    for (const Field& field : fields)
        names.push_back(field.name);
    placeNamed(table, names, parent, grid);
}

#include "rom/record_io.h"

Result<Bytes> readRecord(const RomImage& image, const Table& table, int index)
{
    auto position = recordPosition(table, index);
    if (!position)
        return Result<Bytes>::failure(position.error());
    return image.read(*position, table.recordSize);
}

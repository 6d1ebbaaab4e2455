#include "rom/identity.h"

#include "rom/rom_image.h"
#include "rom/tables.h"

std::int32_t decodeIdentity(std::span<const std::uint8_t, 4> bytes)
{
    const std::uint32_t v = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16
                            | std::uint32_t(bytes[3]) << 24;
    return static_cast<std::int32_t>(v);
}

Result<std::int32_t> readIdentityValue(const std::filesystem::path& path)
{
    auto bytes = RomImage(path, IdentityCheck::Skipped).read(kIdentityPosition, 4);
    if (!bytes)
        return Result<std::int32_t>::failure(bytes.error());
    if (bytes->size() < 4)
        return Result<std::int32_t>::failure("the file is too short to hold the identity value");
    return decodeIdentity(std::span<const std::uint8_t, 4>(bytes->data(), 4));
}

void clearReadOnly(const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add, ignored);
}

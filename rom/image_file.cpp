#include "rom/image_file.h"

#include "rom/tables.h"

#include <cstdio>
#include <memory>

namespace {

Status checkRegularFile(const std::filesystem::path& path)
{
    const std::string name = path.string();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        return Status::failure("cannot open " + name + ": no such file");
    if (std::filesystem::is_directory(status))
        return Status::failure("cannot open " + name + ": it is a folder, not a file");
    if (!std::filesystem::is_regular_file(status))
        return Status::failure("cannot open " + name + ": it is not a regular file");
    return success();
}

}  // namespace

Status checkImageBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    const std::string name = path.string();
    if (bytes.size() < kIdentityPosition + 4)
        return Status::failure(name + " is not a Veldra Saga ROM: at " + std::to_string(bytes.size())
                               + " bytes it is too short to hold the identity value");
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | bytes[kIdentityPosition + k];
    const auto value = static_cast<std::int32_t>(v);
    if (value != kIdentityValue)
        return Status::failure(name + " is not a Veldra Saga ROM: the identity value at 0x10651 is "
                               + std::to_string(value) + ", not " + std::to_string(kIdentityValue));
    return success();
}

Status checkImageFile(const std::filesystem::path& path)
{
    if (Status regular = checkRegularFile(path); !regular)
        return regular;
    auto identity = RomImage(path).read(kIdentityPosition, 4);
    if (!identity) {
        // too short, or unreadable: say which
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec && size < kIdentityPosition + 4)
            return checkImageBytes(path, Bytes(size));
        return Status::failure(identity.error());
    }
    Bytes head(kIdentityPosition + 4);
    std::copy(identity->begin(), identity->end(), head.begin() + kIdentityPosition);
    return checkImageBytes(path, head);
}

Result<Bytes> loadImageFile(const std::filesystem::path& path)
{
    if (Status regular = checkRegularFile(path); !regular)
        return Result<Bytes>::failure(regular.error());
    const std::string name = path.string();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(name.c_str(), "rb"), &std::fclose);
    if (!file)
        return Result<Bytes>::failure("cannot open " + name + ": it cannot be read");
    Bytes bytes;
    std::error_code ec;
    bytes.reserve(static_cast<std::size_t>(std::filesystem::file_size(path, ec)));
    unsigned char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    if (std::ferror(file.get()))
        return Result<Bytes>::failure("cannot read " + name);
    if (Status image = checkImageBytes(path, bytes); !image)
        return Result<Bytes>::failure(image.error());
    return bytes;
}

#include "rom/formats/patch_format.h"

#include "rom/formats/bps_patch.h"
#include "rom/formats/ips_patch.h"
#include "rom/platform/path_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

std::optional<PatchFormat> patchFormatFromName(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == "bps")
        return PatchFormat::Bps;
    if (lower == "ips")
        return PatchFormat::Ips;
    return std::nullopt;
}

std::optional<PatchFormat> patchFormatFromExtension(const std::filesystem::path& path)
{
    const std::string extension = pathToUtf8(path.extension());
    if (extension.size() < 2)
        return std::nullopt;
    return patchFormatFromName(std::string_view(extension).substr(1));
}

std::string_view patchFormatName(PatchFormat format) { return format == PatchFormat::Bps ? "bps" : "ips"; }

Result<std::vector<std::uint8_t>> createPatch(PatchFormat format, std::span<const std::uint8_t> source,
                                              std::span<const std::uint8_t> target)
{
    if (format == PatchFormat::Bps)
        return createBps(source, target);
    return createIps(source, target);
}

Result<std::vector<std::uint8_t>> applyPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch)
{
    auto startsWith = [&](const char* magic) {
        const std::size_t n = std::strlen(magic);
        return patch.size() >= n && std::memcmp(patch.data(), magic, n) == 0;
    };
    if (startsWith("BPS1"))
        return applyBps(source, patch);
    if (startsWith("PATCH"))
        return applyIps(source, patch);
    return Result<std::vector<std::uint8_t>>::failure(
        "not a patch: it starts neither with \"BPS1\" (BPS) nor with \"PATCH\" (IPS)");
}

#include "rom/history/restore_point_file.h"

#include "rom/files.h"
#include "rom/formats/crc32.h"
#include "rom/image_facts.h"
#include "rom/platform/path_text.h"
#include "rom/tables.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr std::string_view kExtension = ".sfc";
constexpr std::size_t kTimeLength = 24;  // "2026-12-11_04-42-05.120Z"

std::string timeName(system_clock::time_point when)
{
    const auto ms = floor<milliseconds>(when);
    const auto day = floor<days>(ms);
    const year_month_day date{day};
    const hh_mm_ss clock{ms - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u_%02d-%02d-%02d.%03dZ", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()), int(clock.hours().count()), int(clock.minutes().count()),
                  int(clock.seconds().count()), int(clock.subseconds().count()));
    return text;
}

int number(std::string_view text)
{
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return (error == std::errc() && end == text.data() + text.size()) ? value : -1;
}

// The time a point's name stands for; nothing for a name of another shape.
std::optional<system_clock::time_point> timeOfName(std::string_view name)
{
    if (name.size() < kTimeLength || name[4] != '-' || name[7] != '-' || name[10] != '_' || name[13] != '-'
        || name[16] != '-' || name[19] != '.' || name[23] != 'Z')
        return std::nullopt;
    const int y = number(name.substr(0, 4)), mo = number(name.substr(5, 2)), d = number(name.substr(8, 2));
    const int h = number(name.substr(11, 2)), mi = number(name.substr(14, 2)), s = number(name.substr(17, 2));
    const int ms = number(name.substr(20, 3));
    const year_month_day date{year{y}, month{unsigned(mo)}, day{unsigned(d)}};
    if (y < 0 || !date.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 60 || ms < 0)
        return std::nullopt;
    if (name.size() > kTimeLength && (name[kTimeLength] != '-' || number(name.substr(kTimeLength + 1)) < 2))
        return std::nullopt;
    return sys_days{date} + hours{h} + minutes{mi} + seconds{s} + milliseconds{ms};
}

// "4194304-1c291ca3": the length in decimal and the CRC-32 in 8 hex digits
std::optional<RestorePoint::Check> checkOfText(std::string_view text)
{
    const auto dash = text.find('-');
    if (dash == std::string_view::npos || text.size() - dash - 1 != 8)
        return std::nullopt;
    RestorePoint::Check check;
    const std::string_view size = text.substr(0, dash), crc = text.substr(dash + 1);
    const auto [sizeEnd, sizeError] = std::from_chars(size.data(), size.data() + size.size(), check.size);
    const auto [crcEnd, crcError] = std::from_chars(crc.data(), crc.data() + crc.size(), check.crc32, 16);
    if (size.empty() || sizeError != std::errc() || sizeEnd != size.data() + size.size() || crcError != std::errc()
        || crcEnd != crc.data() + crc.size() || std::any_of(crc.begin(), crc.end(), [](char c) { return c >= 'A' && c <= 'F'; }))
        return std::nullopt;
    return check;
}

std::string textOfCheck(const RestorePoint::Check& check)
{
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", unsigned(check.crc32));
    return std::to_string(check.size) + "-" + crc;
}

// The point a file of the restore folder is, if it is one.
std::optional<RestorePoint> pointOfFile(const fs::directory_entry& entry)
{
    std::error_code error;
    if (!entry.is_regular_file(error))
        return std::nullopt;
    const std::string file = pathToUtf8(entry.path().filename());
    if (file.size() <= kExtension.size() || !file.ends_with(kExtension))
        return std::nullopt;
    const std::string stem = file.substr(0, file.size() - kExtension.size());
    // the time name holds a dot of its own; the writer (a slug) holds none
    const auto dot = stem.find('.', std::min(stem.size(), kTimeLength));
    if (dot == std::string::npos)
        return std::nullopt;
    RestorePoint point;
    point.name = stem.substr(0, dot);
    std::string rest = stem.substr(dot + 1);
    if (const auto checkDot = rest.find('.'); checkDot != std::string::npos) {
        point.check = checkOfText(std::string_view(rest).substr(checkDot + 1));
        if (!point.check)
            return std::nullopt;
        rest.resize(checkDot);
    }
    point.writer = rest;
    const auto when = timeOfName(point.name);
    if (!when || point.writer.empty())
        return std::nullopt;
    point.time = *when;
    point.file = entry.path();
    point.size = entry.file_size(error);
    return point;
}

// "…Z" before "…Z-2" before "…Z-3": the order the points were taken in
bool newerFirst(const RestorePoint& a, const RestorePoint& b)
{
    if (a.time != b.time)
        return a.time > b.time;
    const auto suffix = [](const std::string& name) {
        return name.size() > kTimeLength ? number(std::string_view(name).substr(kTimeLength + 1)) : 1;
    };
    return suffix(a.name) > suffix(b.name);
}

}  // namespace

Result<std::vector<RestorePoint>> pointsIn(const fs::path& folder)
{
    using R = Result<std::vector<RestorePoint>>;
    std::vector<RestorePoint> points;
    std::error_code error;
    if (!fs::exists(folder, error))
        return points;
    fs::directory_iterator it(folder, error);
    if (error)
        return R::failure("cannot list the restore points in " + pathToUtf8(folder) + ": " + error.message());
    for (const auto& entry : it)
        if (auto point = pointOfFile(entry))
            points.push_back(std::move(*point));
    std::sort(points.begin(), points.end(), newerFirst);
    return points;
}

Result<RestorePoint> writePoint(const fs::path& folder, std::span<const std::uint8_t> bytes, const std::string& writer)
{
    using R = Result<RestorePoint>;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        return R::failure("cannot make the folder " + pathToUtf8(folder) + ": " + error.message());
    const std::string check = textOfCheck({bytes.size(), crc32Of(bytes)});
    const std::string time = timeName(system_clock::now());
    // two points within one millisecond get a number after the time
    for (int attempt = 1; attempt < 100; ++attempt) {
        const std::string name = attempt == 1 ? time : time + "-" + std::to_string(attempt);
        bool taken = false;
        for (const auto& entry : fs::directory_iterator(folder, error))
            taken = taken || pathToUtf8(entry.path().filename()).starts_with(name + ".");
        if (taken)
            continue;
        const fs::path file = folder / pathFromUtf8(name + "." + writer + "." + check + std::string(kExtension));
        if (const Status written = writeNewFile(file, bytes, Existing::Refuse); !written)
            return R::failure(written.error());
        auto point = pointOfFile(fs::directory_entry(file));
        if (!point)
            return R::failure("cannot read back the restore point " + pathToUtf8(file));
        return *point;
    }
    return R::failure("cannot name a new restore point in " + pathToUtf8(folder));
}

void prunePoints(const fs::path& folder, std::size_t keep, const fs::path& spare)
{
    auto points = pointsIn(folder);
    if (!points)
        return;
    std::size_t kept = 0;
    for (const RestorePoint& point : *points) {
        if (point.file == spare)
            continue;  // over the number, until the next point is kept
        if (kept < keep) {
            ++kept;
            continue;
        }
        std::error_code error;
        fs::remove(point.file, error);
    }
}

Result<Bytes> readPointChecked(const RestorePoint& point)
{
    const std::string named = "the restore point " + point.name + " (" + pathToUtf8(point.file) + ")";
    auto bytes = readWholeFile(point.file);
    if (!bytes)
        return Result<Bytes>::failure("cannot read " + named + ": " + bytes.error() + "; nothing was written");
    const auto damaged = [&](const std::string& why) {
        return Result<Bytes>::failure(named + " is damaged (" + why + "); nothing was written");
    };
    if (point.check) {
        if (bytes->size() != point.check->size)
            return damaged(std::to_string(bytes->size()) + " bytes where it was " + std::to_string(point.check->size));
        if (crc32Of(*bytes) != point.check->crc32)
            return damaged("its bytes are not those it was kept with: the CRC-32 differs");
    } else {
        // a point from before the checks: at least not cut short of an image
        const std::uint64_t least = kImageSize + (hasCopierHeader(*bytes) ? kCopierHeaderSize : 0);
        if (bytes->size() < least)
            return damaged(std::to_string(bytes->size()) + " bytes, shorter than an image of "
                           + std::to_string(least) + " bytes");
    }
    return bytes;
}

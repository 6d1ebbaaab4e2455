#include "rom/history/data_folder.h"

#include "rom/files.h"
#include "rom/platform/path_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>
#include <system_error>

namespace fs = std::filesystem;

namespace {

[[maybe_unused]] std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

Result<fs::path> dataFolder()
{
#ifdef _WIN32
    // the wide environment: a folder name outside the ANSI code page survives
    if (const wchar_t* chosen = _wgetenv(L"VELDRA_FORGE_DATA_DIR"); chosen && *chosen)
        return fs::path(chosen);
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        return fs::path(local) / "veldra-forge";
    return Result<fs::path>::failure("cannot find the folder for the save history: LOCALAPPDATA is not set");
#else
    if (const std::string chosen = environment("VELDRA_FORGE_DATA_DIR"); !chosen.empty())
        return fs::path(chosen);
    if (const std::string xdg = environment("XDG_DATA_HOME"); !xdg.empty() && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "veldra-forge";
    if (const std::string home = environment("HOME"); !home.empty())
        return fs::path(home) / ".local" / "share" / "veldra-forge";
    return Result<fs::path>::failure("cannot find the folder for the save history: neither XDG_DATA_HOME nor HOME is set");
#endif
}

Result<fs::path> canonicalImagePath(const fs::path& image)
{
    std::error_code error;
    fs::path canonical = canonicalPath(image, error);
    if (error)
        return Result<fs::path>::failure("cannot resolve " + pathToUtf8(image) + ": " + error.message());
    return canonical;
}

namespace {

// A folder name is at most 255 units (bytes here, UTF-16 units on Windows);
// the hash's 17 must fit beside the file name.
constexpr std::size_t kMaxNameUnits = 255 - 17;
// a longer file name is cut to this many units: the hash keeps it unique
constexpr std::size_t kCutNameUnits = 120;

// The file name, cut on a character's boundary when the folder's name would
// pass the file systems' limit; a name that fits is kept whole, as before.
std::string shortenedName(const fs::path& name)
{
    std::string text = pathToUtf8(name);
    const auto units = [](std::string_view utf8) { return pathFromUtf8(utf8).native().size(); };
    if (units(text) <= kMaxNameUnits)
        return text;
    std::size_t end = 0;
    for (std::size_t next = 1; next <= text.size(); ++next) {
        if (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
            continue;  // inside a character
        if (units(std::string_view(text).substr(0, next)) > kCutNameUnits)
            break;
        end = next;
    }
    text.resize(end);
    return text;
}

}  // namespace

std::string historyFolderName(const fs::path& canonicalImage)
{
    // FNV-1a over the path's UTF-8 text: stable across runs and systems
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const unsigned char c : pathToUtf8(canonicalImage)) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return shortenedName(canonicalImage.filename()) + "-" + hex;
}

namespace {

// Each history folder names the images it was found for, one a line, in a
// file of its own, so that the same file reached by another name (a hard
// link, a bind mount, another case of a Windows name) finds it too, and
// that name keeps finding it once a restore has made it a file of its own.
constexpr const char* kImageRecord = "image-path";

bool isFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

std::vector<std::string> recordedImages(const fs::path& folder)
{
    std::vector<std::string> names;
    std::ifstream in(folder / kImageRecord, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            names.push_back(line);
    return names;
}

// Adds the image's name to its history folder's record, once.
void recordImage(const fs::path& folder, const fs::path& image)
{
    const std::string name = pathToUtf8(image);
    const auto names = recordedImages(folder);
    if (std::find(names.begin(), names.end(), name) == names.end())
        std::ofstream(folder / kImageRecord, std::ios::binary | std::ios::app) << name << '\n';  // best effort: a help to find it
}

// The history folder that records `image` by name, or a name that is the
// same file as `image` now (by device and file number): names alone cannot
// tell a link, and the file's number alone changes with each restore, which
// writes a new file.
std::optional<fs::path> folderOfSameFile(const fs::path& images, const fs::path& image)
{
    const std::string name = pathToUtf8(image);
    std::error_code error;
    for (fs::directory_iterator it(images, error), end; !error && it != end; it.increment(error)) {
        if (!isFolder(it->path()))
            continue;
        for (const std::string& recorded : recordedImages(it->path()))
            if (recorded == name || sameFile(pathFromUtf8(recorded), image))
                return it->path();
    }
    return std::nullopt;
}

}  // namespace

Result<fs::path> historyFolderFor(const fs::path& image)
{
    auto folder = dataFolder();
    if (!folder)
        return folder;
    const fs::path images = *folder / "images";
    auto canonical = canonicalImagePath(image);
    if (!canonical) {
        // an image deleted or moved away: its folder is found by the folder
        // it was in and its name, so that its restore points can be reached
        std::error_code error;
        if (fs::symlink_status(image, error).type() != fs::file_type::not_found || image.filename().empty())
            return canonical;
        const fs::path where = fs::weakly_canonical(fs::absolute(image, error), error);
        if (error)
            return canonical;
        return images / historyFolderName(where);
    }
    // the name as the system resolves it (on Windows its stored case), so
    // that every spelling of one file finds one folder
    std::error_code error;
    fs::path resolved = resolvedPath(*canonical, error);
    if (error)
        resolved = *canonical;
    const fs::path own = images / historyFolderName(resolved);
    if (isFolder(own)) {
        recordImage(own, resolved);
        return own;
    }
    // a folder named before names were resolved (by the spelling as typed)
    if (const fs::path typed = images / historyFolderName(*canonical); typed != own && isFolder(typed)) {
        recordImage(typed, resolved);
        return typed;
    }
    if (auto other = folderOfSameFile(images, resolved)) {
        recordImage(*other, resolved);
        return *other;
    }
    return own;
}

bool historyTurnedOff(const fs::path& folder)
{
    std::error_code error;
    return fs::exists(folder / "off", error);
}

#include "rom/label_data.h"

#include <map>
#include <mutex>

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

const std::vector<std::string>& builtinLabels(std::string_view name)
{
    static std::mutex guard;
    static std::map<std::string, std::vector<std::string>, std::less<>> cache;
    const std::lock_guard lock(guard);
    if (auto it = cache.find(name); it != cache.end())
        return it->second;
    std::vector<std::string> lines;
    for (const EmbeddedFile& file : embeddedDataFiles())
        if (file.name == name)
            lines = splitLines(std::string_view(reinterpret_cast<const char*>(file.bytes), file.size));
    return cache.emplace(std::string(name), std::move(lines)).first->second;
}

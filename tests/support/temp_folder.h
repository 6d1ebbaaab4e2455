#pragma once

#include <string>
#include <string_view>

// A new empty folder under the system's temporary folder, removed with all it
// holds when the guard ends. For tests that run without Qt.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string filePath(std::string_view name) const { return m_path + "/" + std::string(name); }

private:
    std::string m_path;
};

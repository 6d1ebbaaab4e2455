#include "tests/support/temp_folder.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "veldra-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder from " + pattern);
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    // a test may have left a file read-only; removing the folder still works
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

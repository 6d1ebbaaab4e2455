#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <functional>
#include <string>

// Real file faults for tests, made by the operating system rather than mocked.

// Runs `work` in a forked child and returns the text it hands back, or
// "child ended by signal N" / "child exited with N" when it gives none.
std::string inChild(const std::function<std::string()>& work);

// A file size limit (RLIMIT_FSIZE) on this process for the guard's life. The
// signal a write past the limit raises (SIGXFSZ) is left as the system has
// it: the program itself must keep it from ending the process, as it must for
// a user under `ulimit -f`. Only the soft limit moves; it is put back after.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
};

// Makes a file read-only for this process for the guard's life. Root may
// write to any file, so as root the guard also makes this thread's file
// system user "nobody" (setfsuid), which the permission checks then apply to;
// the folder is opened to others meanwhile so that "nobody" can reach the file.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

private:
    std::string m_path;
    std::string m_folder;
    int m_oldFileMode = 0;
    int m_oldFolderMode = 0;
    int m_oldFsuid = -1;
};

#include "tests/support/file_faults.h"

#include <csignal>
#include <filesystem>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

int modeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? int(st.st_mode & 07777) : 0;
}

}  // namespace

std::string inChild(const std::function<std::string()>& work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        const std::string said = work();
        (void)!::write(fds[1], said.data(), said.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string said;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        said.append(buf, std::size_t(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (said.empty() && WIFSIGNALED(status))
        return "child ended by signal " + std::to_string(WTERMSIG(status));
    if (said.empty())
        return "child exited with " + std::to_string(WEXITSTATUS(status));
    return said;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    const rlimit limit{bytes, m_old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &m_old);
}

ReadOnlyFile::ReadOnlyFile(const std::string& path)
    : m_path(path), m_folder(std::filesystem::absolute(path).parent_path().string())
{
    m_oldFileMode = modeOf(m_path);
    m_oldFolderMode = modeOf(m_folder);
    ::chmod(m_path.c_str(), 0444);
    if (::geteuid() == 0) {
        ::chmod(m_folder.c_str(), m_oldFolderMode | 0055);
        m_oldFsuid = ::setfsuid(kNobody);
    }
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (m_oldFsuid >= 0) {
        ::setfsuid(uid_t(m_oldFsuid));
        ::chmod(m_folder.c_str(), m_oldFolderMode);
    }
    ::chmod(m_path.c_str(), m_oldFileMode);
}

#include "rom/file_lock.h"

#include <cerrno>
#include <thread>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#endif

namespace {

#ifdef _WIN32
// the whole file, however long: LockFileEx locks a byte range
bool tryLock(std::FILE* file, bool& busy)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    OVERLAPPED from{};
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &from))
        return true;
    busy = GetLastError() == ERROR_LOCK_VIOLATION;
    errno = busy ? EWOULDBLOCK : EIO;
    return false;
}
#else
// flock belongs to the open file description, not to the process: another
// open of the same file in this process (a read while saving) neither
// drops it nor shares it, unlike a record lock of fcntl
bool tryLock(std::FILE* file, bool& busy)
{
    const int fd = ::fileno(file);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EINTR)
            break;
    }
    busy = errno == EWOULDBLOCK;
    return false;
}
#endif

}  // namespace

LockOutcome lockExclusive(std::FILE* file, std::chrono::milliseconds patience)
{
    using clock = std::chrono::steady_clock;
    const auto giveUp = clock::now() + patience;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        bool busy = false;
        if (tryLock(file, busy))
            return LockOutcome::Locked;
        if (!busy)
            return LockOutcome::Failed;
        if (clock::now() >= giveUp)
            return LockOutcome::Busy;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

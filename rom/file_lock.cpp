#include "rom/file_lock.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <sys/stat.h>
#endif

namespace {

#ifdef _WIN32
// A lock of Windows keeps every other handle from reading and writing the
// bytes it covers, so it covers one byte far past the end of any image: the
// writers exclude each other by it, while readers (and the holder's own
// other opens) still read and write the records.
bool tryLock(std::FILE* file, bool& busy)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    OVERLAPPED from{};
    from.OffsetHigh = 0x40000000;  // 2^62
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &from))
        return true;
    busy = GetLastError() == ERROR_LOCK_VIOLATION || GetLastError() == ERROR_IO_PENDING;
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
    if (LockedHere::isHere(file))
        return LockOutcome::Locked;
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

namespace {

struct Marks {
    std::mutex guard;
    std::vector<std::pair<unsigned long long, unsigned long long>> held;  // device, file; once per mark
};

Marks& marks()
{
    static Marks all;
    return all;
}

}  // namespace

bool LockedHere::keyOf(std::FILE* file, Key& key)
{
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), &info))
        return false;
    key.device = info.dwVolumeSerialNumber;
    key.file = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
#else
    struct stat info;
    if (::fstat(::fileno(file), &info) != 0)
        return false;
    key.device = static_cast<unsigned long long>(info.st_dev);
    key.file = static_cast<unsigned long long>(info.st_ino);
#endif
    return true;
}

LockedHere::LockedHere(std::FILE* file)
{
    if (!keyOf(file, m_key))
        return;  // then later opens wait on it as any other writer would
    std::lock_guard lock(marks().guard);
    marks().held.emplace_back(m_key.device, m_key.file);
    m_active = true;
}

LockedHere::LockedHere(LockedHere&& other) noexcept : m_key(other.m_key), m_active(other.m_active)
{
    other.m_active = false;
}

LockedHere::~LockedHere()
{
    if (!m_active)
        return;
    std::lock_guard lock(marks().guard);
    auto& held = marks().held;
    const auto it = std::find(held.begin(), held.end(), std::pair(m_key.device, m_key.file));
    if (it != held.end())
        held.erase(it);
}

bool LockedHere::isHere(std::FILE* file)
{
    Key key;
    if (!keyOf(file, key))
        return false;
    std::lock_guard lock(marks().guard);
    const auto& held = marks().held;
    return std::find(held.begin(), held.end(), std::pair(key.device, key.file)) != held.end();
}

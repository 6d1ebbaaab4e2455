#include "rom/platform/file_lock_calls.h"

#include <cerrno>

#include <io.h>
#include <windows.h>

namespace {

HANDLE handleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

}  // namespace

// A lock of Windows keeps every other handle from reading and writing the
// bytes it covers, so it covers one byte far past the end of any image: the
// writers exclude each other by it, while readers (and the holder's own
// other opens) still read and write the records.
bool tryLockFile(std::FILE* file, bool& busy)
{
    OVERLAPPED from{};
    from.OffsetHigh = 0x40000000;  // 2^62
    if (LockFileEx(handleOf(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &from))
        return true;
    const DWORD error = GetLastError();
    busy = error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING;
    errno = busy ? EWOULDBLOCK : EIO;
    return false;
}

bool fileIdentity(std::FILE* file, unsigned long long& device, unsigned long long& number)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handleOf(file), &info))
        return false;
    device = info.dwVolumeSerialNumber;
    number = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

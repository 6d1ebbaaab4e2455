#include "rom/platform/file_lock_calls.h"

#include <cerrno>

#include <sys/file.h>
#include <sys/stat.h>

// flock belongs to the open file description, not to the process: another
// open of the same file in this process (a read while saving) neither
// drops it nor shares it, unlike a record lock of fcntl
bool tryLockFile(std::FILE* file, bool& busy)
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

bool fileIdentity(std::FILE* file, unsigned long long& device, unsigned long long& number)
{
    struct stat info;
    if (::fstat(::fileno(file), &info) != 0)
        return false;
    device = static_cast<unsigned long long>(info.st_dev);
    number = static_cast<unsigned long long>(info.st_ino);
    return true;
}

#include "rom/regular_file.h"

#include <cerrno>
#include <cstring>

// The reasons are the same on every system: the Windows build maps its own
// error codes onto these errno values first.
std::string fileErrorReason(int err)
{
    switch (err) {
    case ENOENT: return "no such file or folder";
    case EACCES:
    case EPERM: return "permission denied (is the file read-only?)";
    case EROFS: return "the file system is read-only";
    case ENOSPC: return "the disk is full";
#ifdef EDQUOT
    case EDQUOT: return "the disk quota is used up";
#endif
#ifdef _WIN32
    case EFBIG: return "the file would pass the size limit for files";
#else
    case EFBIG: return "the file would pass the size limit for files (ulimit -f)";
#endif
    case EISDIR: return kFolderReason;
    default: return std::strerror(err);
    }
}

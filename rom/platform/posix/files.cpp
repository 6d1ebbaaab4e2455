#include "rom/files.h"

#include "rom/regular_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>

namespace fs = std::filesystem;

namespace {

// A file size limit raises SIGXFSZ, which would end the program without a
// word; while writing, it is ignored so that write() reports EFBIG instead.
class IgnoreFileSizeSignal {
public:
    IgnoreFileSizeSignal()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, &m_previous);
    }
    ~IgnoreFileSizeSignal() { sigaction(SIGXFSZ, &m_previous, nullptr); }
    IgnoreFileSizeSignal(const IgnoreFileSizeSignal&) = delete;
    IgnoreFileSizeSignal& operator=(const IgnoreFileSizeSignal&) = delete;

private:
    struct sigaction m_previous {};
};

constexpr char kTemporaryPrefix[] = ".vf-";
constexpr std::size_t kTemporaryNameLength = 10;  // ".vf-" and six characters
// a temporary file younger than this is never taken for a leftover: it may
// be between its creation and its lock
constexpr time_t kLeftoverAge = 10;

// Removes the temporary files of runs that ended before their rename: a
// writer holds an exclusive flock on its temporary file from its creation
// until it is renamed or removed, and the system drops the lock with the
// process, so a temporary file whose lock can be taken is nobody's.
void removeLeftovers(const fs::path& folder)
{
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != kTemporaryNameLength || !name.starts_with(kTemporaryPrefix))
            continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat open {}, named {};
        if (::fstat(fd, &open) == 0 && S_ISREG(open.st_mode) && open.st_mtime + kLeftoverAge < ::time(nullptr)
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(it->path().c_str(), &named) == 0
            && named.st_ino == open.st_ino && named.st_dev == open.st_dev)
            ::unlink(it->path().c_str());
        ::close(fd);
    }
}

// A new, exclusive file next to `path` (same folder, so the rename stays on
// one file system), locked (see removeLeftovers); its descriptor, or -1 with
// errno set. The name is short (".vf-" and six characters), so it fits
// wherever the output's name fits; the open applies the umask to `mode` as
// for any new file.
int createTemporary(const fs::path& path, fs::path& temporary, mode_t mode)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::atomic<unsigned> counter{0};
    removeLeftovers(path.parent_path());
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t pick = (std::uint64_t(random()) << 20) ^ (std::uint64_t(::getpid()) << 8) ^ counter++;
        std::string name = kTemporaryPrefix;
        for (int i = 0; i < 6; ++i, pick /= 62)
            name += kLetters[pick % 62];
        temporary = path.parent_path() / name;
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            (void)::flock(fd, LOCK_EX | LOCK_NB);  // new and unknown to others: always taken
            return fd;
        }
        if (errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

// Flushes a folder's list of names, so that a file just made or renamed in it
// is still there after a power cut. Best effort: some file systems refuse it.
void syncFolderOf(const fs::path& path)
{
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

// Renames the finished temporary file to its name; 0 or an errno value.
int placeFile(const fs::path& temporary, const fs::path& path, Existing existing)
{
    if (existing == Existing::Replace)
        return ::rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
    // refuses an output that appeared meanwhile, where the file system can
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::access(path.c_str(), F_OK) == 0)
        return EEXIST;
    return ::rename(temporary.c_str(), path.c_str()) == 0 ? 0 : errno;
}

}  // namespace

Status writeNewFile(const fs::path& path, std::span<const std::uint8_t> bytes, Existing existing)
{
    const std::string name = path.string();
    auto refuse = [&](const std::string& why) { return Status::failure("cannot write " + name + ": " + why); };
    if (name.empty())
        return Status::failure("no output file is named");
    struct stat old {};
    const bool exists = ::lstat(path.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return refuse("it is a folder, not a file");
    // a named pipe, a device or a socket is never turned into a plain file,
    // not even with --force; a link is replaced as a name, like any file
    if (exists && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode))
        return refuse("it is not a regular file (a pipe, a device or the like), and it is never replaced");
    if (exists && existing == Existing::Refuse)
        return refuse("the file already exists");
    // a replaced file keeps its permissions; a new one gets the usual ones
    const mode_t mode = (exists && S_ISREG(old.st_mode)) ? (old.st_mode & 07777) : 0666;

    IgnoreFileSizeSignal quiet;
    fs::path temporary;
    const int fd = createTemporary(path, temporary, mode);
    if (fd < 0)
        return refuse(fileErrorReason(errno));
    int err = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        err = errno;
    if (err == 0 && exists && S_ISREG(old.st_mode))
        (void)::fchmod(fd, mode);  // past the umask; failure is harmless
    // the descriptor (and its lock) stays open until the rename: until then
    // the temporary file is never taken for a leftover
    if (err == 0)
        err = placeFile(temporary, path, existing);
    if (err != 0)
        ::unlink(temporary.c_str());
    ::close(fd);  // after fsync, nothing is left for close to report
    if (err == EEXIST)
        return refuse("the file already exists");
    if (err != 0)
        return refuse(fileErrorReason(err) + "; nothing was written");
    syncFolderOf(path);
    return success();
}

Status appendDurably(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    auto refuse = [&](int err) { return Status::failure("cannot write " + path.string() + ": " + fileErrorReason(err)); };
    IgnoreFileSizeSignal quiet;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return refuse(errno);
    const off_t end = ::lseek(fd, 0, SEEK_END);
    int err = end < 0 ? errno : 0;
    // fdatasync: the bytes and the file's new length, without its times
    if (err == 0 && (!writeAll(fd, bytes) || ::fdatasync(fd) != 0)) {
        err = errno;
        // what went in of a write that stopped part-way is taken off again
        if (::ftruncate(fd, end) == 0)
            (void)::fsync(fd);
    }
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && end == 0)
        syncFolderOf(path);  // a file begun here: its name must outlast a power cut too
    return err == 0 ? success() : refuse(err);
}

Status replaceOpenFile(const fs::path& path, std::span<const std::uint8_t> bytes, const std::function<void()>&)
{
    // a file is renamed over one still open: the holder keeps the old one
    return writeNewFile(path, bytes, Existing::Replace);
}

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

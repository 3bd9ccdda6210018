#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string>
#include <system_error>
#include <utility>

#include "platform/posix_file_system.h"

#include "platform/descriptor.h"
#include "platform/link_target.h"

namespace {

[[noreturn]] void throwErrno(int errnoValue, const char* what, const std::filesystem::path& path)
{
    throw std::system_error(errnoValue, std::generic_category(), std::string(what) + " " + path.string());
}

using platform_io::Descriptor;

/// Opens for writing; `made` is the file this call created (empty when it existed). A missing
/// file, or a symbolic link to one, is made where the link leads; a file that cannot be made
/// there (its folder missing) fails with the system's reason.
int openForWriting(const std::filesystem::path& file, bool truncate, std::filesystem::path& made)
{
    const int flags = O_WRONLY | O_CLOEXEC | (truncate ? O_TRUNC : O_APPEND);
    // Another writer may create it between the two calls: then it is opened, a bounded number
    // of times.
    for (int round = 0; round < 40; ++round) {
        int fd = ::open(file.c_str(), flags);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        std::filesystem::path target = file;
        if (const int error = followLinks(target)) {
            errno = error;
            return -1;
        }
        fd = ::open(target.c_str(), flags | O_CREAT | O_EXCL, 0644);
        if (fd >= 0)
            made = target;
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category());
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

/// A flock(2) on the lock file, which the kernel drops with the last descriptor: when the
/// process ends, however it ends.
class FlockLock final : public FileSystem::WriterLock {
public:
    explicit FlockLock(int fd) : m_fd(fd) {}
    ~FlockLock() override { ::close(m_fd); }

private:
    int m_fd;
};

}  // namespace

PosixFileSystem::PosixFileSystem(Sync sync) : m_sync(std::move(sync)) {}

/// Flushes a folder, so that a name created or changed in it survives a power cut.
void PosixFileSystem::syncDirectory(const std::filesystem::path& dir) const
{
    const std::filesystem::path folder = dir.empty() ? std::filesystem::path(".") : dir;
    const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        throwErrno(errno, "open", folder);
    if (m_sync(fd.get()) != 0)
        throwErrno(errno, "fsync", folder);
}

void PosixFileSystem::createDirectory(const std::filesystem::path& dir)
{
    // One level only: the folder that holds it (the home folder) is never made here.
    if (::mkdir(dir.c_str(), 0777) == 0)
        return;
    const int error = errno;
    struct stat st {};
    if (error == EEXIST && ::stat(dir.c_str(), &st) == 0)
        if (S_ISDIR(st.st_mode))
            return;
    throwErrno(error == EEXIST ? ENOTDIR : error, "mkdir", dir);
}

bool PosixFileSystem::holdsData(const std::filesystem::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return false;
        throwErrno(errno, "stat", file);
    }
    return S_ISREG(st.st_mode) && st.st_size > 0;
}

bool PosixFileSystem::exists(const std::filesystem::path& file)
{
    struct stat st {};
    if (::lstat(file.c_str(), &st) == 0)
        return true;
    if (errno == ENOENT)
        return false;
    throwErrno(errno, "stat", file);
}

void PosixFileSystem::rename(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        throwErrno(errno, "rename", from);
    syncDirectory(to.parent_path());
}

void PosixFileSystem::writeDurably(const std::filesystem::path& file, std::string_view bytes,
                                   bool truncate)
{
    std::filesystem::path made;
    const Descriptor fd(openForWriting(file, truncate, made));
    if (fd.get() < 0)
        throwErrno(errno, "open", file);

    // All or nothing: a write cut short (disk full, quota, size limit) or a failed flush is
    // undone, so the file only ever holds whole lines and a later attempt cannot repeat one.
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throwErrno(errno, "stat", file);
    const off_t sizeBefore = st.st_size;
    const char* step = "write";
    try {
        writeAll(fd.get(), bytes);
        step = "fsync";
        if (m_sync(fd.get()) != 0)
            throw std::system_error(errno, std::generic_category());
        if (!made.empty())
            syncDirectory(made.parent_path());
    } catch (const std::system_error& e) {
        while (::ftruncate(fd.get(), sizeBefore) != 0 && errno == EINTR) {
        }
        m_sync(fd.get());
        throw std::system_error(e.code(), std::string(step) + " " + file.string());
    }
    // The bytes are on stable storage once fsync succeeded; Linux releases the descriptor
    // whatever close() returns, and reporting its error would only make the caller write the
    // lines a second time. The destructor closes.
}

std::string PosixFileSystem::readHead(const std::filesystem::path& file, std::size_t maxBytes)
{
    const Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return {};
        throwErrno(errno, "open", file);
    }
    std::string bytes(maxBytes, '\0');
    std::size_t got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, maxBytes - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throwErrno(errno, "read", file);
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

std::unique_ptr<FileSystem::WriterLock> PosixFileSystem::lockForWriting(const std::filesystem::path& file,
                                                                        long& holder)
{
    const std::filesystem::path lockFile = writerLockPath(file);
    Descriptor fd(::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0)
        throwErrno(errno, "open", lockFile);
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            throwErrno(errno, "flock", lockFile);
        // The holder wrote its process id into the lock file once it held it.
        char text[24] = {};
        const ssize_t n = ::pread(fd.get(), text, sizeof text - 1, 0);
        holder = 0;
        if (n > 0)
            std::from_chars(text, text + n, holder);
        return nullptr;
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd.get(), 0) != 0 || ::pwrite(fd.get(), pid.data(), pid.size(), 0) < 0)
        throwErrno(errno, "write", lockFile);
    return std::make_unique<FlockLock>(fd.release());
}

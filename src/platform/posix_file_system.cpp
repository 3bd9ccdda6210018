#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/posix_file_system.h"

#include "platform/descriptor.h"
#include "platform/folder_file.h"
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

/// FNV-1a, 64 bits: the same value for the same bytes in every process and every build.
std::uint64_t stableHash(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211u;
    }
    return hash;
}

/// The lock's name, "velmorixon 89ab…/data12-05-2026.val": the same whoever asks and by
/// whichever path the folder is reached (its canonical path is hashed), also once the folder is
/// removed and made again.
std::string lockName(const std::filesystem::path& file)
{
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::canonical(file.parent_path().empty() ? "." : file.parent_path(), error);
    if (error)
        throwErrno(error.value(), "realpath", file.parent_path());
    const std::uint64_t hash = stableHash(folder.native());
    std::string name = "velmorixon ";
    for (int shift = 60; shift >= 0; shift -= 4)
        name += "0123456789abcdef"[(hash >> shift) & 0xF];
    return name + "/" + file.filename().string();
}

/// The process that holds the lock bound at `address`, asked through the holder's listening
/// socket; 0 when it cannot be told.
long holderOf(const sockaddr_un& address, socklen_t length)
{
    const Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    ucred peer{};
    socklen_t size = sizeof peer;
    if (fd.get() < 0 || ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
        ::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return 0;
    return peer.pid;
}

/// The right to write, held as a Unix socket bound to the lock's name in the abstract
/// namespace: no file stands for it, so nothing done to the folder's files takes it away, and
/// the kernel lets the name go with the socket, however the process ends. A refused writer
/// connects to learn who holds it; a thread accepts and closes each connection at once, so that
/// hours of refused retries never fill the queue and every one of them is answered.
class SocketLock final : public FileSystem::WriterLock {
public:
    explicit SocketLock(int fd)
        : m_socket(fd), m_answering([fd] {
              while (true) {
                  const int connection = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
                  if (connection >= 0)
                      ::close(connection);
                  else if (errno != EINTR && errno != ECONNABORTED)
                      return;  // shut down by the destructor (or out of descriptors)
              }
          })
    {
    }
    ~SocketLock() override
    {
        ::shutdown(m_socket.get(), SHUT_RDWR);  // wakes the thread out of accept()
        m_answering.join();
    }

private:
    Descriptor m_socket;
    std::thread m_answering;
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
    // Only a regular file tells anything: a pipe or a device in its place is never opened.
    const OpenedFile opened = openRegularFile(file);
    if (!opened.opened()) {
        if (opened.refusal.error == ENOENT || opened.refusal.special)
            return {};
        throwErrno(opened.refusal.error, "open", file);
    }
    std::string bytes(maxBytes, '\0');
    std::size_t got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::read(opened.fd.get(), bytes.data() + got, maxBytes - got);
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
    const std::string name = lockName(file);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= sizeof address.sun_path)  // the first byte stays 0: the abstract namespace
        throwErrno(ENAMETOOLONG, "bind", file);
    std::copy(name.begin(), name.end(), address.sun_path + 1);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());

    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0)
        throwErrno(errno, "socket", file);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        if (errno != EADDRINUSE)
            throwErrno(errno, "bind", file);
        holder = holderOf(address, length);
        return nullptr;
    }
    if (::listen(fd.get(), SOMAXCONN) != 0)
        throwErrno(errno, "listen", file);
    return std::make_unique<SocketLock>(fd.release());
}

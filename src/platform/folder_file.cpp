// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "platform/folder_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/system_message.h"

namespace {

ReadRefusal refused(int error) { return {error, frenchReason(error), false}; }

}  // namespace

ReadRefusal notRegular(const struct stat& status)
{
    if (S_ISDIR(status.st_mode)) return refused(EISDIR);
    return {0, "n'est pas un fichier ordinaire (un tube, un périphérique ou une socket)", true};
}

OpenedFile openRegularFile(const std::filesystem::path& path)
{
    OpenedFile file;
    // Looked at before it is opened: opening a device may act on it.
    if (::stat(path.c_str(), &file.status) != 0) {
        file.refusal = refused(errno);
        return file;
    }
    if (!S_ISREG(file.status.st_mode)) {
        file.refusal = notRegular(file.status);
        return file;
    }
    platform_io::Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0 || ::fstat(fd.get(), &file.status) != 0) {
        file.refusal = refused(errno);
        return file;
    }
    if (!S_ISREG(file.status.st_mode)) {  // replaced in between
        file.refusal = notRegular(file.status);
        return file;
    }
    file.fd = platform_io::Descriptor(fd.release());
    return file;
}

ReadRefusal readRegularFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes)
{
    bytes.clear();
    const OpenedFile file = openRegularFile(path);
    return file.opened() ? readOpenedFile(file.fd.get(), maxBytes, bytes) : file.refusal;
}

ReadRefusal readOpenedFile(int fd, std::size_t maxBytes, std::string& bytes)
{
    // Room for the size the file says, and one byte more: a file larger than the bound is
    // refused, also one that grew after its size was looked at (the room then grows, up to
    // one byte past the bound).
    struct stat status {};
    const std::size_t said = ::fstat(fd, &status) == 0 ? std::size_t(std::max<off_t>(status.st_size, 0)) : 0;
    bytes.resize(std::min(said, maxBytes) + 1);
    std::size_t got = 0;
    while (true) {
        if (got == bytes.size()) {
            if (got > maxBytes) break;
            bytes.resize(std::min(2 * got, maxBytes + 1));
        }
        const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got, off_t(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            bytes.clear();
            return refused(errno);
        }
        if (n == 0) break;
        got += std::size_t(n);
    }
    bytes.resize(got);
    if (got > maxBytes) {
        bytes.clear();
        return {EFBIG, "fichier trop volumineux (plus de " + std::to_string(maxBytes / 1024) + " Kio)", false};
    }
    return {};
}

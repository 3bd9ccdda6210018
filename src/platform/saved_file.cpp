// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "platform/saved_file.h"

#include "platform/link_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

int saveWholeFile(const std::filesystem::path& path, std::string_view bytes)
{
    bool given = false;
    return saveFileInPieces(path, [&] { return std::exchange(given, true) ? std::string_view{} : bytes; });
}

int saveFileInPieces(const std::filesystem::path& given, const std::function<std::string_view()>& nextPiece)
{
    std::filesystem::path path = given;
    if (const int error = followLinks(path)) return error;
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    // Named after this process: a leftover of an earlier one with the same number is ours to
    // overwrite. Created with the usual permissions less the umask, like any file the user makes.
    const std::string temporary = path.string() + "." + std::to_string(::getpid()) + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    int error = 0;
    if (replacing) {
        if (::fchmod(fd, existing.st_mode & 07777) != 0) error = errno;
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            // another owner or group is not ours to give: the permissions still hold
        }
    }
    for (std::string_view bytes = nextPiece(); !bytes.empty() && error == 0; bytes = nextPiece()) {
        for (std::size_t done = 0; done < bytes.size() && error == 0;) {
            const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (wrote < 0 && errno != EINTR) error = errno;
            if (wrote > 0) done += static_cast<std::size_t>(wrote);
        }
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temporary.c_str());
    return error;
}

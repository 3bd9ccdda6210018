// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "platform/saved_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

int saveWholeFile(const std::filesystem::path& path, std::string_view bytes)
{
    // Named after this process: a leftover of an earlier one with the same number is ours to
    // overwrite. Created with the usual permissions less the umask, like any file the user makes.
    const std::string temporary = path.string() + "." + std::to_string(::getpid()) + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    int error = 0;
    for (std::size_t done = 0; done < bytes.size() && error == 0;) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno != EINTR) error = errno;
        if (wrote > 0) done += static_cast<std::size_t>(wrote);
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temporary.c_str());
    return error;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// A file of the data folder opened for reading, whatever lies at its name. Only a regular file,
// reached through links or not, is read: a folder, a pipe, a device or a socket is refused
// before it is opened (a pipe would block, a device never end), and nothing is ever waited for.
#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/descriptor.h"

/// Why a file is not read: the system's errno (0 when the file is of a kind never read, or too
/// large) and the reason in French, for « Lecture impossible de … : <reason> ».
struct ReadRefusal {
    int error = 0;
    std::string reason;
    bool special = false;  ///< a pipe, a device or a socket
};

/// A regular file open for reading (descriptor and status), or why not (`refusal.reason` set).
struct OpenedFile {
    platform_io::Descriptor fd{-1};
    struct stat status {};
    ReadRefusal refusal;
    bool opened() const { return fd.get() >= 0; }
};

OpenedFile openRegularFile(const std::filesystem::path& path);
/// Why a file of this status, not a regular one, is never read.
ReadRefusal notRegular(const struct stat& status);

/// The whole of a regular file of at most `maxBytes`; a larger one is refused with the bound.
/// Returns the refusal, its reason empty when the bytes were read.
ReadRefusal readRegularFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes);
/// The same for a regular file already open.
ReadRefusal readOpenedFile(int fd, std::size_t maxBytes, std::string& bytes);

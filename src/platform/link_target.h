// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// Where a path leads once its symbolic links are followed.
#include <cerrno>
#include <filesystem>
#include <system_error>

/// Follows the symbolic links of `path`'s last component in place; a dangling link leads to the
/// file it would create. Returns 0, the errno of a link that cannot be read, or ELOOP after 40
/// links, like the kernel.
inline int followLinks(std::filesystem::path& path)
{
    for (int links = 0; links < 40; ++links) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) return 0;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) return error.value();
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return ELOOP;
}

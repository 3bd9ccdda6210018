// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// Exported files (images, CSV) written whole or not at all.
#include <filesystem>
#include <functional>
#include <string_view>

/// Writes `bytes` as the whole content of `path`: into a temporary file beside it, flushed to
/// disk, then renamed over it, so that nobody ever reads half an export and an earlier file of
/// that name stays whole when writing fails. A symbolic link is followed: its target is the
/// file replaced, and the link stays. A file replaced keeps its permissions (and its owner
/// where the user may keep it); a new one gets the usual ones less the umask. Returns 0, or the
/// errno of the step that failed (the temporary file is then removed).
int saveWholeFile(const std::filesystem::path& path, std::string_view bytes);

/// The same, the content given in pieces: `nextPiece` is called until it gives an empty one, so
/// that a file of any size is written with one piece in memory at a time.
int saveFileInPieces(const std::filesystem::path& path, const std::function<std::string_view()>& nextPiece);

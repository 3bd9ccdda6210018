// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// How the main window shows the measurement file's path: the home folder as "~", and a path
// that would still run out of its frame shortened in its middle.
#include <QFontMetrics>
#include <QString>
#include <string>

/// `file` with its home folder written "~": "/home/obs/velmorixon/x.val" under the home
/// "/home/obs" gives "~/velmorixon/x.val". Unchanged when `file` does not lie under `home`,
/// or when `home` is empty or the root folder.
std::string withHomeAsTilde(const std::string& file, const std::string& home);

/// What the file label shows: withHomeAsTilde(), then shortened in its middle with "…" when it
/// is wider than `width` pixels in `metrics`, so that its beginning and the file name stay.
QString fileLabelText(const std::string& file, const std::string& home, const QFontMetrics& metrics,
                      int width);

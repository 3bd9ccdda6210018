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

#include <QObject>
#include <functional>

class QLabel;

/// A double-click on the file label opens the day view on the measurement file, in a process of
/// its own: `open` starts it and says whether it did. When it could not, a message that does
/// not hold the window says so.
class FileLabelOpener : public QObject {
public:
    FileLabelOpener(QLabel* label, std::function<std::string()> file,
                    std::function<bool(const std::string&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_label;
    std::function<std::string()> m_file;
    std::function<bool(const std::string&)> m_open;
};

/// The tooltip of the file label: the full path, and what a double-click does.
QString fileLabelToolTip(const std::string& file);

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/file_label.h"

std::string withHomeAsTilde(const std::string& file, const std::string& home)
{
    std::string prefix = home;
    while (prefix.size() > 1 && prefix.back() == '/')
        prefix.pop_back();
    if (prefix.empty() || prefix == "/")
        return file;
    if (file == prefix)
        return "~";
    if (file.size() > prefix.size() && file.compare(0, prefix.size(), prefix) == 0 && file[prefix.size()] == '/')
        return "~" + file.substr(prefix.size());
    return file;
}

QString fileLabelText(const std::string& file, const std::string& home, const QFontMetrics& metrics,
                      int width)
{
    return metrics.elidedText(QString::fromStdString(withHomeAsTilde(file, home)), Qt::ElideMiddle, width);
}

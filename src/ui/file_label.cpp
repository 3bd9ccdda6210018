// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/file_label.h"

#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <utility>

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

FileLabelOpener::FileLabelOpener(QLabel* label, std::function<std::string()> file,
                                 std::function<bool(const std::string&)> open)
    : QObject(label), m_label(label), m_file(std::move(file)), m_open(std::move(open))
{
    label->installEventFilter(this);
}

bool FileLabelOpener::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_label || event->type() != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    const std::string file = m_file();
    if (!m_open(file)) {
        auto* box = new QMessageBox(
            QMessageBox::Warning, m_label->window()->windowTitle(),
            QStringLiteral("Le journal des mesures de %1 n'a pas pu être ouvert.")
                .arg(QString::fromStdString(file)),
            QMessageBox::Ok, m_label->window());
        box->setObjectName(QStringLiteral("journalOpenMessage"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    }
    return true;
}

QString fileLabelToolTip(const std::string& file)
{
    return QStringLiteral("%1\nDouble-cliquer pour ouvrir le journal des mesures.")
        .arg(QString::fromStdString(file));
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// « Taille de l'image »: the size of a PNG export, chosen among the usual screen and video
// sizes or the chart's own on screen, or typed, width and height held within the sizes an
// export accepts (kSmallestImage to kLargestImage).
#include <QDialog>
#include <QSize>

class QComboBox;
class QSpinBox;

class ImageSizeDialog : public QDialog {
public:
    /// Proposes 1920 × 1080; `chartSize` is offered as « Taille de la fenêtre ».
    explicit ImageSizeDialog(QSize chartSize, QWidget* parent = nullptr);
    QSize chosen() const;

private:
    QComboBox* m_sizes = nullptr;
    QSpinBox* m_width = nullptr;
    QSpinBox* m_height = nullptr;
};

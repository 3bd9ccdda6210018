// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/image_size_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

#include "ui/journal_export.h"
#include "ui/summary_panel.h"

ImageSizeDialog::ImageSizeDialog(QSize chartSize, QWidget* parent) : QDialog(parent)
{
    setObjectName("imageSize");
    setWindowTitle(QString::fromUtf8("Taille de l'image"));
    auto* form = new QFormLayout(this);
    m_sizes = new QComboBox(this);
    m_sizes->setObjectName("sizes");
    const std::pair<QString, QSize> offered[] = {
        {QString::fromUtf8("1920 × 1080 (HD)"), {1920, 1080}},
        {QString::fromUtf8("1280 × 720"), {1280, 720}},
        {QString::fromUtf8("3840 × 2160 (4K)"), {3840, 2160}},
        {QString::fromUtf8("Taille de la fenêtre (%1 × %2)").arg(chartSize.width()).arg(chartSize.height()), chartSize}};
    for (const auto& [name, size] : offered) m_sizes->addItem(name, size);
    m_sizes->addItem(QString::fromUtf8("Autre taille"));
    form->addRow(sunlight_text::french("Taille :"), m_sizes);
    const auto spinBox = [&](const char* name, const char* label, int smallest, int largest) {
        auto* box = new QSpinBox(this);
        box->setObjectName(name);
        box->setRange(smallest, largest);
        box->setSuffix(QString::fromUtf8(" px"));
        form->addRow(QString::fromUtf8(label), box);
        // A size picked in the list fills both boxes; boxes that match none say « Autre taille ».
        connect(box, &QSpinBox::valueChanged, this, [this] {
            const int offer = m_sizes->findData(chosen());
            m_sizes->setCurrentIndex(offer < 0 ? m_sizes->count() - 1 : offer);
        });
        return box;
    };
    m_width = spinBox("width", "Largeur :", kSmallestImage.width(), kLargestImage.width());
    m_height = spinBox("height", "Hauteur :", kSmallestImage.height(), kLargestImage.height());
    form->addRow(new QLabel(sunlight_text::french("De %1 × %2 à %3 × %4 pixels : le texte et les traits grandissent avec "
                                              "l'image.")
                                .arg(kSmallestImage.width())
                                .arg(kSmallestImage.height())
                                .arg(kLargestImage.width())
                                .arg(kLargestImage.height()),
                            this));
    connect(m_sizes, &QComboBox::currentIndexChanged, this, [this] {
        if (const QSize size = m_sizes->currentData().toSize(); size.isValid()) {
            m_width->setValue(size.width());
            m_height->setValue(size.height());
        }
    });
    m_width->setValue(1920);
    m_height->setValue(1080);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QSize ImageSizeDialog::chosen() const { return {m_width->value(), m_height->value()}; }

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// « Capteur… »: the calibration history kept beside the data (capteur.csv), its malformed rows
// named with their file and line, and a new row added from now or from a chosen date: opened
// from a day on view, the start of that day, so that its readings come out in W/m², and the
// dialog says why. The file is only ever added to: what it holds stays byte for byte.
#include <QDialog>
#include <QTimeZone>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <variant>

#include "record/calibration.h"

class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;

class SensorDialog : public QDialog {
public:
    SensorDialog(std::filesystem::path folder, QTimeZone zone, std::function<std::chrono::sys_seconds()> now,
                 std::optional<std::chrono::local_days> dayOnView = std::nullopt, QWidget* parent = nullptr);

    /// Reads the form and adds its row; the French reason it was refused or could not be
    /// written, or nothing. The « Ajouter » button calls it.
    QString addRow();
    /// The form read as a row, or the French reason it cannot be.
    std::variant<record::CalibrationRow, QString> formRow() const;
    /// Reads capteur.csv again into the table and the problems' label.
    void reload();

    /// Called after a row was added.
    std::function<void()> added;

private:
    std::filesystem::path m_folder;
    QTimeZone m_zone;
    std::function<std::chrono::sys_seconds()> m_now;
    QTableWidget* m_history;
    QLabel* m_problems;
    QLineEdit *m_name, *m_sensitivity, *m_offset, *m_a, *m_b;
    QRadioButton* m_fromNow;
    QDateTimeEdit* m_from;
    QLabel* m_error;
};

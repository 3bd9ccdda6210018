// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/sensor_dialog.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <variant>

#include "platform/month_report.h"
#include "ui/journal_export.h"
#include "ui/summary_panel.h"

using namespace std::chrono;

namespace {

/// A number written with a comma or a point; nothing when the text is not one.
std::optional<double> number(QString text)
{
    text = text.trimmed().replace(',', '.');
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString decimal(double value) { return QLocale().toString(value, 'g', 6); }

QString localText(const record::CalibrationRow& row)
{
    const QDateTime at = QDateTime::fromSecsSinceEpoch(row.from().time_since_epoch().count(),
                                                       QTimeZone(int(row.utcOffset.count()) * 60));
    return at.toString("dd/MM/yyyy HH:mm:ss t");
}

}  // namespace

SensorDialog::SensorDialog(std::filesystem::path folder, QTimeZone zone, std::function<sys_seconds()> now,
                           std::optional<local_days> dayOnView,
                           QWidget* parent)
    : QDialog(parent), m_folder(std::move(folder)), m_zone(std::move(zone)), m_now(std::move(now))
{
    setObjectName("sensorDialog");
    setWindowTitle(QString::fromUtf8("Capteur"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(sunlight_text::french("Historique de l'étalonnage (%1) :")
                                     .arg(shownPath(m_folder / kCalibrationFileName)), this));
    m_history = new QTableWidget(0, 6, this);
    m_history->setObjectName("history");
    m_history->setHorizontalHeaderLabels({QString::fromUtf8("Depuis"), QString::fromUtf8("Capteur"),
                                          QString::fromUtf8("mV par W/m²"), QString::fromUtf8("Décalage (mV)"),
                                          "A", "B"});
    m_history->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_history->horizontalHeader()->setStretchLastSection(true);
    m_history->verticalHeader()->hide();
    column->addWidget(m_history, 1);
    m_problems = new QLabel(this);
    m_problems->setObjectName("historyProblems");
    m_problems->setWordWrap(true);
    m_problems->setStyleSheet("QLabel { color: #8a1f11; }");
    column->addWidget(m_problems);

    auto* form = new QFormLayout;
    m_fromNow = new QRadioButton(QString::fromUtf8("maintenant"), this);
    m_fromNow->setObjectName("fromNow");
    m_fromNow->setChecked(true);
    auto* fromDate = new QRadioButton(QString::fromUtf8("le"), this);
    fromDate->setObjectName("fromDate");
    m_from = new QDateTimeEdit(QDateTime::fromSecsSinceEpoch(m_now().time_since_epoch().count(), m_zone), this);
    m_from->setObjectName("fromDateTime");
    m_from->setDisplayFormat("dd/MM/yyyy HH:mm:ss");
    m_from->setCalendarPopup(true);
    m_from->setDateRange(QDate(record::kFirstYear, 1, 1), QDate(record::kLastYear, 12, 31));
    auto* fromRow = new QHBoxLayout;
    fromRow->addWidget(m_fromNow);
    fromRow->addWidget(fromDate);
    fromRow->addWidget(m_from, 1);
    form->addRow(sunlight_text::french("À partir de :"), fromRow);
    if (dayOnView) {
        // A row from now would leave the day on view, read before now, in millivolts.
        fromDate->setChecked(true);
        // The edit's own date and time, which the row reads on the zone's clock.
        m_from->setDate(qDateOf(*dayOnView));
        m_from->setTime(QTime(0, 0));
        auto* why = new QLabel(sunlight_text::french("Proposé : le début du %1, la journée affichée, pour que ses mesures "
                                                 "passent en W/m². Choisissez « maintenant » si le capteur vient d'être "
                                                 "installé ou réglé : les mesures d'avant restent alors en mV.")
                                   .arg(frenchDate(*dayOnView)), this);
        why->setObjectName("fromWhy");
        why->setWordWrap(true);
        form->addRow(why);
    }
    auto field = [&](const char* name, const char* label, const char* text, const char* hint) {
        auto* edit = new QLineEdit(QString::fromUtf8(text), this);
        edit->setObjectName(name);
        edit->setPlaceholderText(QString::fromUtf8(hint));
        form->addRow(QString::fromUtf8(label), edit);
        return edit;
    };
    m_name = field("sensorName", "Capteur :", "", "SP-110 + ampli ×10");
    m_sensitivity = field("sensitivity", "Sensibilité (mV par W/m²) :", "", "2");
    m_offset = field("offset", "Décalage (mV ou « nuit ») :", "nuit", "0");
    m_a = field("coefficientA", "A (ensoleillement) :", "0,73", "0,73");
    m_b = field("coefficientB", "B (ensoleillement) :", "0,06", "0,06");
    column->addLayout(form);
    m_error = new QLabel(this);
    m_error->setObjectName("sensorError");
    m_error->setWordWrap(true);
    m_error->setStyleSheet("QLabel { color: #8a1f11; }");
    column->addWidget(m_error);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* add = buttons->addButton(QString::fromUtf8("Ajouter"), QDialogButtonBox::ActionRole);
    add->setObjectName("add");
    add->setDefault(true);  // Entrée adds the row typed; only « Fermer » closes
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, [this] { m_error->setText(addRow()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    resize(640, 520);
    reload();
}

void SensorDialog::reload()
{
    const record::CalibrationHistory history = readCalibrationFile(m_folder);
    m_history->setRowCount(int(history.rows.size()));
    for (std::size_t r = 0; r < history.rows.size(); ++r) {
        const record::CalibrationRow& row = history.rows[r];
        const QString cells[] = {localText(row), QString::fromStdString(row.sensor), decimal(row.sensitivity),
                                 row.offset ? decimal(*row.offset) : QString::fromUtf8("nuit"),
                                 decimal(row.coefficients.a), decimal(row.coefficients.b)};
        for (int c = 0; c < 6; ++c) m_history->setItem(int(r), c, new QTableWidgetItem(cells[c]));
    }
    m_history->resizeColumnsToContents();
    QStringList problems;
    for (const std::string& problem : history.problems) problems << QString::fromStdString(problem);
    m_problems->setText(problems.join('\n'));
    m_problems->setVisible(!problems.isEmpty());
}

std::variant<record::CalibrationRow, QString> SensorDialog::formRow() const
{
    record::CalibrationRow row;
    const QString name = m_name->text().trimmed();
    if (name.isEmpty()) return QString::fromUtf8("Donnez le nom du capteur.");
    if (name.contains(';') || name.contains('\n') || name.contains('\r'))
        return sunlight_text::french("Le nom du capteur ne peut contenir ni « ; » ni retour à la ligne.");
    row.sensor = name.toStdString();
    const auto sensitivity = number(m_sensitivity->text());
    if (!sensitivity || *sensitivity <= 0)
        return sunlight_text::french("Sensibilité illisible : « %1 ». Écrivez un nombre positif de mV par W/m², "
                                 "par exemple 0,2.").arg(m_sensitivity->text());
    row.sensitivity = *sensitivity;
    const QString offset = m_offset->text().trimmed();
    if (offset.compare(QString::fromUtf8("nuit"), Qt::CaseInsensitive) != 0) {
        const auto value = offset.isEmpty() ? std::optional<double>(0) : number(offset);
        if (!value)
            return sunlight_text::french("Décalage illisible : « %1 ». Écrivez des mV ou « nuit ».").arg(offset);
        row.offset = *value;
    }
    const auto coefficient = [](const QLineEdit* edit, double fallback) {
        return edit->text().trimmed().isEmpty() ? std::optional<double>(fallback) : number(edit->text());
    };
    const auto a = coefficient(m_a, 0.73), b = coefficient(m_b, 0.06);
    if (!a) return sunlight_text::french("Coefficient A illisible : « %1 ».").arg(m_a->text());
    if (!b) return sunlight_text::french("Coefficient B illisible : « %1 ».").arg(m_b->text());
    row.coefficients = {*a, *b};
    const qint64 at = m_fromNow->isChecked() ? qint64(m_now().time_since_epoch().count())
                                             : QDateTime(m_from->date(), m_from->time(), m_zone).toSecsSinceEpoch();
    const int offsetSeconds = m_zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(at, QTimeZone::utc()));
    row.utcOffset = minutes(offsetSeconds / 60);
    row.local = local_seconds(seconds(at + offsetSeconds));
    return row;
}

QString SensorDialog::addRow()
{
    const auto read = formRow();
    if (const QString* refused = std::get_if<QString>(&read)) return *refused;
    if (const std::string refused = addCalibrationRow(m_folder, std::get<record::CalibrationRow>(read)); !refused.empty())
        return QString::fromStdString(refused);
    reload();
    if (added) added();
    return {};
}

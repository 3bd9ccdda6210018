// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/journal_export.h"

#include <QBuffer>
#include <QDate>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPdfWriter>
#include <algorithm>
#include <utility>

#include "platform/day_record.h"
#include "platform/saved_file.h"
#include "platform/system_message.h"
#include "record/journal_csv.h"
#include "ui/journal_chart.h"
#include "ui/summary_panel.h"

using namespace std::chrono;

namespace {

QString writeFailure(const std::filesystem::path& path, int error)
{
    return sunlight_text::french("Écriture impossible dans %1 : %2.")
        .arg(shownPath(path), QString::fromStdString(frenchReason(error)));
}

}  // namespace

QDate qDateOf(local_days day)
{
    const year_month_day date{day};
    return QDate(int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())));
}

QString frenchDate(local_days day)
{
    // « 1er juin 2026 », « 21 juin 2026 »: never broken across two lines.
    const QDate date = qDateOf(day);
    const QString month = QLocale(QLocale::French, QLocale::France).toString(date, "MMMM yyyy").replace(QChar(' '), QChar(0x00A0));
    return QString::number(date.day()) + (date.day() == 1 ? QString::fromUtf8("er") : QString()) + QChar(0x00A0) + month;
}

std::filesystem::path proposedExport(const std::filesystem::path& dayFile, ExportKind kind)
{
    std::string stem = dayFile.filename().string();
    if (const auto dot = stem.find('.'); dot != std::string::npos && dot > 0) stem.resize(dot);
    const char* suffix = kind == ExportKind::Image ? ".png" : kind == ExportKind::VisibleCsv ? "-plage.csv" : "-journee.csv";
    return dayFile.parent_path() / (stem + suffix);
}

QString shownPath(const std::filesystem::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }

std::filesystem::path chosenPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

namespace {

QString recordRefusal(const std::filesystem::path& target)
{
    return sunlight_text::french("%1 est un fichier de mesures, le journal d'une série, l'historique du capteur "
                             "ou un verrou : l'export ne le remplace pas. Choisissez un autre nom.")
        .arg(shownPath(target));
}

}  // namespace

QString refusalOverRecord(const std::filesystem::path& target)
{
    return namesRecord(target) ? recordRefusal(target) : QString();
}

QString refusalOverRecord(const DayRecord& record, const std::filesystem::path& target)
{
    return record.wouldReplaceRecord(target) ? recordRefusal(target) : QString();
}

bool isPdf(const std::filesystem::path& path)
{
    return QString::fromStdString(path.extension().string()).compare(".pdf", Qt::CaseInsensitive) == 0;
}

namespace {

/// The chart laid out at most 960 × 540 with its export decorations and drawn enlarged to fill
/// `size`, text, lines and marks with it: it reads as the chart on screen does.
void drawEnlarged(JournalChart& chart, QCPPainter& painter, QSize size, const QString& title)
{
    const double scale = std::max(1.0, std::min(size.width() / 960.0, size.height() / 540.0));
    const QSize laidOut = (QSizeF(size) / scale).toSize();
    chart.setExportDecorations(title, laidOut.width());
    painter.setMode(QCPPainter::pmNonCosmetic);
    painter.scale(size.width() / double(laidOut.width()), size.height() / double(laidOut.height()));
    chart.toPainter(&painter, laidOut.width(), laidOut.height());
    chart.setExportDecorations(QString());
    chart.replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace

QString saveChart(JournalChart& chart, const std::filesystem::path& path, QSize size, const QString& title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (isPdf(path)) {
        // A page any printer takes; at 96 units an inch its 1 cm margins leave 1047 × 718 units,
        // so the chart's text prints a little larger than its size in points.
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("velmorixon"));
        pdf.setTitle(title);
        pdf.setResolution(96);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                                      QPageLayout::Millimeter));
        QCPPainter painter(&pdf);
        painter.setMode(QCPPainter::pmVectorized);
        drawEnlarged(chart, painter, {pdf.width(), pdf.height()}, title);
    } else {
        // Refused rather than saved empty: a picture the memory cannot hold.
        QImage picture(size, QImage::Format_RGB32);
        if (picture.isNull())
            return sunlight_text::french("Image de %1 × %2 pixels impossible : la mémoire ne la tient pas. Choisissez une taille plus petite.")
                .arg(size.width())
                .arg(size.height());
        picture.fill(Qt::white);
        QCPPainter painter(&picture);
        drawEnlarged(chart, painter, size, title);
        painter.end();
        picture.save(&buffer, "PNG");
    }
    if (const int error = saveWholeFile(path, bytes.toStdString())) return writeFailure(path, error);
    return {};
}

QString saveCsv(const std::filesystem::path& path, std::vector<CsvRows> runs, const record::DaySunlight& sunlight,
                const record::ObservingSite& site)
{
    std::string piece = record::sunlitCsvHeader();
    bool started = false;
    const int error = saveFileInPieces(path, [&]() -> std::string_view {
        if (std::exchange(started, true)) piece.clear();
        while (piece.size() < (1u << 20)) {
            CsvRows* earliest = nullptr;
            for (CsvRows& rows : runs)
                if (rows.first < rows.end && (!earliest || rows.points[rows.first].instant < earliest->points[earliest->first].instant))
                    earliest = &rows;
            if (!earliest) break;
            const record::TracePoint& p = earliest->points[earliest->first];
            piece += record::sunlitCsvLine(p, record::sunAltitude(site, p.instant, p.utcOffset()),
                                           sunlight.reading(earliest->run, earliest->first));
            ++earliest->first;
        }
        return piece;
    });
    if (error) return writeFailure(path, error);
    return {};
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/journal_window.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPdfWriter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <qcustomplot.h>

#include "record/journal_csv.h"
#include "platform/regional_text.h"
#include "platform/saved_file.h"
#include "platform/system_message.h"

using namespace std::chrono;
using record::TracePoint;

namespace {

constexpr int kFixedTop = 4095;  // the converter's full scale in millivolts

// One colour per run, the newest in the instrument's magenta.
const QColor kRunColours[] = {QColor(0, 90, 200), QColor(0, 140, 70), QColor(200, 110, 0),
                              QColor(110, 60, 170), QColor(0, 150, 160), QColor(120, 120, 0)};
const QColor kNewestRun(200, 0, 160);
const QColor kSunColour(230, 140, 0);

QDate qDateOf(local_days day)
{
    const year_month_day ymd{day};
    return QDate(int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())));
}

/// 00:00:00 of `date` on the zone's clock, on the axis.
double startOfDay(const QDate& date, const QTimeZone& zone)
{
    return double(QDateTime(date, QTime(0, 0), zone).toSecsSinceEpoch());
}

QString writeFailure(const QString& path, int error)
{
    return QString::fromUtf8("Écriture impossible dans %1 : %2.")
        .arg(path, QString::fromStdString(frenchReason(error)));
}

/// The zone's offsets over the years around `around`, looked up by bisection.
record::UtcOffsetAt offsetsOf(const QTimeZone& zone, local_days around)
{
    const qint64 centre = duration_cast<seconds>(around.time_since_epoch()).count();
    const qint64 span = 400LL * 86400;
    const QDateTime from = QDateTime::fromSecsSinceEpoch(centre - span, QTimeZone::utc());
    const QDateTime to = QDateTime::fromSecsSinceEpoch(centre + span, QTimeZone::utc());
    std::vector<std::pair<sys_seconds, minutes>> changes;
    for (const QTimeZone::OffsetData& change : zone.transitions(from, to))
        changes.emplace_back(sys_seconds(seconds(change.atUtc.toSecsSinceEpoch())),
                             minutes(change.offsetFromUtc / 60));
    return record::zoneFromChanges(minutes(zone.offsetFromUtc(from) / 60), std::move(changes));
}

double axisOf(sys_seconds instant) { return double(instant.time_since_epoch().count()); }
sys_seconds instantOf(double axis) { return sys_seconds(seconds(std::llround(axis))); }

QString offsetText(minutes offset)
{
    const int total = int(offset.count());
    const int magnitude = std::abs(total);
    return QStringLiteral("UTC%1%2:%3")
        .arg(total < 0 ? QChar('-') : QChar('+'))
        .arg(magnitude / 60, 2, 10, QChar('0'))
        .arg(magnitude % 60, 2, 10, QChar('0'));
}

QString plural(std::size_t count, const char* one, const char* many)
{
    return QString::fromUtf8(count == 1 ? one : many).arg(QLocale().toString(qulonglong(count)));
}

}  // namespace

local_days localDayOf(const QDate& date)
{
    return local_days{year_month_day{year(date.year()), month(unsigned(date.month())),
                                     day(unsigned(date.day()))}};
}

JournalWindow::JournalWindow(JournalSetup setup, QWidget* parent)
    : QMainWindow(parent), m_setup(std::move(setup))
{
    setObjectName("journal");
    setWindowTitle(QString::fromUtf8("Journal des mesures"));
    setWindowIcon(QIcon(":/data/icons/velmorixon-32.png"));
    const auto sites = record::observingSites();
    m_site = sites.at(7);  // the main window's site at start-up

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(4, 4, 4, 4);
    m_message = new QLabel(central);
    m_message->setObjectName("journalMessage");
    m_message->setWordWrap(true);
    m_message->setStyleSheet("QLabel { background: #fff3cd; color: #5a3d00; padding: 4px; }");
    m_message->hide();
    column->addWidget(m_message);
    m_runBar = new QWidget(central);
    m_runBar->setObjectName("runs");
    m_runLayout = new QHBoxLayout(m_runBar);
    m_runLayout->setContentsMargins(0, 0, 0, 0);
    m_runLayout->addStretch();
    column->addWidget(m_runBar);

    m_plot = new QCustomPlot(central);
    m_plot->setObjectName("plot");
    m_plot->setFocusPolicy(Qt::StrongFocus);
    m_plot->setMinimumSize(640, 360);
    m_plot->installEventFilter(this);
    column->addWidget(m_plot, 1);
    setCentralWidget(central);

    QSharedPointer<QCPAxisTickerDateTime> ticker(new QCPAxisTickerDateTime);
    ticker->setDateTimeFormat("HH:mm");
    ticker->setTimeZone(m_setup.zone);
    m_plot->xAxis->setTicker(ticker);
    m_plot->xAxis->setLabel(QString::fromUtf8("Heure locale"));
    m_plot->yAxis->setLabel(QString::fromUtf8("Tension (mV)"));
    m_plot->yAxis->setRange(0, kFixedTop);
    m_plot->yAxis2->setVisible(true);
    m_plot->yAxis2->setLabel(QString::fromUtf8("Hauteur du soleil (°)"));
    m_plot->yAxis2->setRange(-90, 90);
    m_plot->yAxis2->setTickLabelColor(kSunColour.darker(130));
    m_plot->yAxis2->setLabelColor(kSunColour.darker(130));
    m_plot->addLayer("night", m_plot->layer("grid"), QCustomPlot::limBelow);
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    m_plot->axisRect()->setRangeDrag(Qt::Horizontal);
    m_plot->axisRect()->setRangeZoom(Qt::Horizontal);
    m_plot->axisRect()->setRangeDragAxes(m_plot->xAxis, nullptr);
    m_plot->axisRect()->setRangeZoomAxes(m_plot->xAxis, nullptr);
    m_sunGraph = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis2);
    m_sunGraph->setName(QString::fromUtf8("Soleil"));
    m_sunGraph->setPen(QPen(kSunColour, 2));
    connect(m_plot->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this] { rangeChanged(); });
    connect(m_plot, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { pointAt(int(event->position().x())); });

    m_figures = new QLabel(this);
    m_figures->setObjectName("figures");
    m_cursor = new QLabel(this);
    m_cursor->setObjectName("cursorReadout");
    m_malformed = new QLabel(this);
    m_malformed->setObjectName("malformedLines");
    statusBar()->addWidget(m_figures, 1);
    statusBar()->addWidget(m_cursor, 1);
    statusBar()->addPermanentWidget(m_malformed);

    buildTools();
    m_poll = new QTimer(this);
    m_poll->setInterval(m_setup.followIntervalMs);
    connect(m_poll, &QTimer::timeout, this, [this] { refresh(); });
    resize(1100, 640);
    openFile(m_setup.file);
    m_poll->start();
}

void JournalWindow::buildTools()
{
    QToolBar* tools = addToolBar(QString::fromUtf8("Journal"));
    tools->setObjectName("tools");
    tools->setMovable(false);
    auto add = [&](const char* name, const char* text, auto handler) {
        QAction* action = tools->addAction(QString::fromUtf8(text));
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add("open", "Ouvrir…", [this] { chooseFile(); })->setShortcut(QKeySequence::Open);
    tools->addSeparator();
    add("wholeDay", "Journée entière", [this] { showWholeDay(); })->setShortcut(Qt::Key_Home);
    m_follow = add("follow", "Suivre", [this](bool on) { setFollowing(on); });
    m_follow->setCheckable(true);
    m_follow->setShortcut(Qt::Key_End);
    m_fitY = add("fitY", "Échelle ajustée", [this](bool on) { setFittedY(on); });
    m_fitY->setCheckable(true);
    tools->addSeparator();
    tools->addWidget(new QLabel(QString::fromUtf8(" Site : "), tools));
    m_siteBox = new QComboBox(tools);
    m_siteBox->setObjectName("site");
    for (const auto& site : record::observingSites())
        m_siteBox->addItem(QString::fromStdString(site.name));
    m_siteBox->setCurrentIndex(m_site.index);
    connect(m_siteBox, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        m_siteChosen = true;
        setSite(index);
    });
    tools->addWidget(m_siteBox);
    tools->addSeparator();
    add("exportImage", "Exporter l'image…", [this] { chooseImage(); });
    add("exportVisibleCsv", "CSV de la plage…", [this] { chooseCsv(false); });
    add("exportDayCsv", "CSV de la journée…", [this] { chooseCsv(true); });
}

void JournalWindow::openFile(const std::filesystem::path& file)
{
    m_setup.file = file;
    const auto named = record::dateFromFileName(file.filename().string());
    m_offsetAt = offsetsOf(m_setup.zone, named ? local_days(*named) : m_setup.today);
    m_record = std::make_unique<DayRecord>(file, m_offsetAt, m_setup.today);
    setWindowTitle(QString::fromUtf8("Journal des mesures — %1")
                       .arg(QString::fromStdString(file.filename().string())));
    m_record->refresh();
    rebuildRuns();
    showWholeDay();
    updateMessages();
}

void JournalWindow::refresh()
{
    const DayRecord::Change change = m_record->refresh();
    if (change.runsChanged)
        rebuildRuns();
    else if (change.newPoints > 0)
        appendNewPoints();
    if (change.runsChanged || change.newPoints > 0) {
        if (m_follow->isChecked()) followNewest();
        updateFigures();
        m_plot->replot(QCustomPlot::rpQueuedReplot);
    }
    updateMessages();
}

void JournalWindow::rebuildRuns()
{
    for (QCPGraph* graph : m_runGraphs) m_plot->removeGraph(graph);
    m_runGraphs.clear();
    for (QCheckBox* box : m_runBoxes) delete box;
    m_runBoxes.clear();
    const auto& runs = m_record->runs();
    m_runShown.resize(runs.size(), true);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const DayRun& run = *runs[i];
        QCPGraph* graph = m_plot->addGraph(m_plot->xAxis, m_plot->yAxis);
        const bool newest = i + 1 == runs.size();
        const QColor colour = newest ? kNewestRun : kRunColours[i % std::size(kRunColours)];
        graph->setPen(QPen(colour, 1));
        graph->setName(QString::fromUtf8("Série %1").arg(i + 1));
        graph->setVisible(m_runShown[i]);
        m_runGraphs.push_back(graph);

        // « Série 2 : 08:00:01 – 09:12:44, arrêtée »: how the run ended, where its record says.
        QString text = QString::fromUtf8("Série %1").arg(i + 1);
        const auto& points = run.trace.points();
        if (!points.empty())
            text += QString::fromUtf8(" : %1 – %2")
                        .arg(localText(points.front().instant, false),
                             localText(points.back().instant, false));
        if (!run.events.empty()) {
            const auto last = run.events.back().kind;
            if (last == acquisition::RunEvent::Kind::Stop) text += QString::fromUtf8(", arrêtée");
            else if (last == acquisition::RunEvent::Kind::Quit) text += QString::fromUtf8(", quittée");
            else if (run.file.keptNumber != 0) text += QString::fromUtf8(", interrompue");
            else text += QString::fromUtf8(", en cours");
        }
        auto* box = new QCheckBox(text, m_runBar);
        box->setObjectName(QStringLiteral("run%1").arg(i + 1));
        box->setChecked(m_runShown[i]);
        box->setStyleSheet(QStringLiteral("QCheckBox { color: %1; }").arg(colour.name()));
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { setRunShown(i, on); });
        m_runLayout->insertWidget(int(i), box);
        m_runBoxes.push_back(box);
    }
    appendNewPoints();
    // The newest run's record names the site, unless the user chose one.
    if (!m_siteChosen) {
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            if ((*run)->events.empty()) continue;
            if (const auto named = record::siteNamed((*run)->events.back().site)) {
                if (named->index != m_site.index) {
                    m_site = *named;
                    m_siteBox->setCurrentIndex(m_site.index);
                }
            }
            break;
        }
    }
    updateExtent();
    drawSun();
    updateFigures();
}

void JournalWindow::appendNewPoints()
{
    const auto& runs = m_record->runs();
    bool grew = false;
    for (std::size_t i = 0; i < runs.size() && i < m_runGraphs.size(); ++i) {
        const auto& points = runs[i]->trace.points();
        const auto drawn = std::size_t(m_runGraphs[i]->data()->size());
        if (drawn >= points.size()) continue;
        QVector<double> keys, values;
        keys.reserve(qsizetype(points.size() - drawn));
        values.reserve(keys.capacity());
        for (std::size_t k = drawn; k < points.size(); ++k) {
            keys.push_back(axisOf(points[k].instant));
            values.push_back(points[k].millivolts);
        }
        m_runGraphs[i]->addData(keys, values, true);
        grew = true;
    }
    if (grew) {
        const double before = m_extentTo;
        updateExtent();
        if (m_extentTo > before && before != 0) drawSun();
    }
}

void JournalWindow::updateExtent()
{
    const local_days day = m_record->date();
    m_extentFrom = startOfDay(qDateOf(day), m_setup.zone);
    m_extentTo = startOfDay(qDateOf(day + days(1)), m_setup.zone);
    for (const auto& run : m_record->runs()) {
        const auto& points = run->trace.points();
        if (points.empty()) continue;
        m_extentFrom = std::min(m_extentFrom, axisOf(points.front().instant));
        // A run past midnight: the axis goes on to the next day's end.
        while (axisOf(points.back().instant) >= m_extentTo) {
            const QDateTime end = QDateTime::fromSecsSinceEpoch(qint64(m_extentTo), m_setup.zone);
            m_extentTo = startOfDay(end.date().addDays(1), m_setup.zone);
        }
    }
}

void JournalWindow::drawSun()
{
    const sys_seconds from = instantOf(m_extentFrom), to = instantOf(m_extentTo);
    QVector<double> keys, values;
    for (const record::SunSample& sample :
         record::sunCurve(m_site, from, to, minutes(1), m_offsetAt)) {
        keys.push_back(axisOf(sample.instant));
        values.push_back(sample.altitude);
    }
    m_sunGraph->setData(keys, values, true);

    // Night before each sunrise and after each sunset, and the three times of each day as the
    // main window shows them for this site.
    for (int i = m_plot->itemCount() - 1; i >= 0; --i) m_plot->removeItem(i);
    m_markers.clear();
    const QLocale locale;
    const QString timeFormat = timeFormatWithSeconds(locale);
    auto shade = [&](double left, double right) {
        if (right <= left) return;
        auto* night = new QCPItemRect(m_plot);
        night->setLayer("night");
        night->setPen(Qt::NoPen);
        night->setBrush(QColor(40, 60, 120, 45));
        night->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
        night->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
        night->topLeft->setCoords(left, 0);
        night->bottomRight->setCoords(right, 1);
    };
    auto mark = [&](sys_seconds instant, astro::DateTime shown, const char* name) {
        const double x = axisOf(instant);
        if (x < m_extentFrom || x > m_extentTo) return;
        auto* line = new QCPItemStraightLine(m_plot);
        line->setPen(QPen(kSunColour.darker(110), 1, Qt::DashLine));
        line->point1->setCoords(x, 0);
        line->point2->setCoords(x, 1);
        const auto time = hh_mm_ss(shown - floor<days>(shown));
        auto* label = new QCPItemText(m_plot);
        label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        label->position->setCoords(x, 0.01);
        label->setPositionAlignment(Qt::AlignTop | Qt::AlignHCenter);
        label->setColor(kSunColour.darker(150));
        label->setBrush(QColor(255, 255, 255, 200));
        label->setText(QString::fromUtf8("%1\n%2").arg(
            QString::fromUtf8(name),
            locale.toString(QTime(int(time.hours().count()), int(time.minutes().count()),
                                  int(time.seconds().count())),
                            timeFormat)));
    };
    const QDate first = QDateTime::fromSecsSinceEpoch(qint64(m_extentFrom), m_setup.zone).date();
    for (QDate date = first;; date = date.addDays(1)) {
        const double start = startOfDay(date, m_setup.zone);
        if (start >= m_extentTo) break;
        const double end = startOfDay(date.addDays(1), m_setup.zone);
        const local_days day = localDayOf(date);
        const bool summer = record::summerTimeInForce(
            m_offsetAt, instantOf((start + end) / 2));
        const record::SunMarkers markers = record::sunMarkers(m_site, day, summer);
        m_markers.push_back(markers);
        shade(std::max(start, m_extentFrom), std::min(axisOf(markers.sunriseInstant), m_extentTo));
        shade(std::max(axisOf(markers.sunsetInstant), m_extentFrom), std::min(end, m_extentTo));
        mark(markers.sunriseInstant, markers.sunrise, "Lever");
        mark(markers.solarNoonInstant, markers.solarNoon, "Midi solaire");
        mark(markers.sunsetInstant, markers.sunset, "Coucher");
    }
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void JournalWindow::setRange(double from, double to)
{
    // Ours, not the user's: following goes on. The figures are brought up to date even when
    // the range stays as it was (no signal then).
    m_settingRange = true;
    m_plot->xAxis->setRange(from, to);
    rangeChanged();
    m_settingRange = false;
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void JournalWindow::showWholeDay()
{
    m_follow->setChecked(false);
    setRange(m_extentFrom, m_extentTo);
}

void JournalWindow::setFollowing(bool following)
{
    m_follow->setChecked(following);
    if (following) followNewest();
}

void JournalWindow::followNewest()
{
    std::optional<double> newest;
    for (std::size_t i = 0; i < m_runGraphs.size(); ++i) {
        const auto& points = m_record->runs()[i]->trace.points();
        if (m_runShown[i] && !points.empty())
            newest = std::max(newest.value_or(-1e300), axisOf(points.back().instant));
    }
    if (!newest) return;
    const double width = std::min(m_plot->xAxis->range().size(), 3600.0);
    setRange(*newest - width * 0.95, *newest + width * 0.05);
}

void JournalWindow::rangeChanged()
{
    // A drag, the wheel or a key moved the axis: the user looks elsewhere than the newest line.
    if (!m_settingRange && m_follow->isChecked()) m_follow->setChecked(false);
    if (m_fitY->isChecked()) fitY();
    updateFigures();
}

void JournalWindow::setFittedY(bool fitted)
{
    m_fitY->setChecked(fitted);
    if (fitted)
        fitY();
    else
        m_plot->yAxis->setRange(0, kFixedTop);
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

record::RangeFigures JournalWindow::visibleFigures() const
{
    const auto [from, to] = visibleRange();
    record::RangeFigures all;
    for (std::size_t i = 0; i < m_runGraphs.size(); ++i)
        if (m_runShown[i]) all += record::figuresOf(m_record->runs()[i]->trace.points(), from, to);
    return all;
}

void JournalWindow::fitY()
{
    const record::RangeFigures all = visibleFigures();
    if (all.count == 0) return;
    const double margin = std::max(5.0, (all.maximum - all.minimum) * 0.05);
    m_plot->yAxis->setRange(all.minimum - margin, all.maximum + margin);
}

void JournalWindow::setSite(int index)
{
    const auto sites = record::observingSites();
    if (index < 0 || index >= int(sites.size())) return;
    m_site = sites[std::size_t(index)];
    m_siteBox->setCurrentIndex(index);
    drawSun();
}

void JournalWindow::setRunShown(std::size_t run, bool shown)
{
    if (run >= m_runGraphs.size()) return;
    m_runShown[run] = shown;
    m_runGraphs[run]->setVisible(shown);
    if (m_runBoxes[run]->isChecked() != shown) m_runBoxes[run]->setChecked(shown);
    if (m_fitY->isChecked()) fitY();
    updateFigures();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

std::pair<sys_seconds, sys_seconds> JournalWindow::visibleRange() const
{
    const QCPRange range = m_plot->xAxis->range();
    return {sys_seconds(seconds(qint64(std::ceil(range.lower)))),
            sys_seconds(seconds(qint64(std::floor(range.upper))))};
}

void JournalWindow::updateFigures()
{
    const record::RangeFigures all = visibleFigures();
    const QLocale locale;
    if (all.count == 0) {
        m_figures->setText(QString::fromUtf8("Aucune mesure dans la plage affichée"));
        return;
    }
    m_figures->setText(plural(all.count, "%1 mesure", "%1 mesures") +
                       QString::fromUtf8(" · min %1 mV · max %2 mV · moyenne %3 mV")
                           .arg(locale.toString(all.minimum), locale.toString(all.maximum),
                                locale.toString(all.mean(), 'f', 1)));
}

void JournalWindow::pointAt(int x)
{
    const sys_seconds at = instantOf(m_plot->xAxis->pixelToCoord(x));
    // The nearest reading of a shown run.
    const TracePoint* nearest = nullptr;
    for (std::size_t i = 0; i < m_runGraphs.size(); ++i) {
        if (!m_runShown[i]) continue;
        const auto& points = m_record->runs()[i]->trace.points();
        auto it = std::lower_bound(points.begin(), points.end(), at,
                                   [](const TracePoint& p, sys_seconds t) { return p.instant < t; });
        for (auto candidate : {it, it == points.begin() ? it : it - 1}) {
            if (candidate == points.end()) continue;
            if (!nearest || abs(candidate->instant - at) < abs(nearest->instant - at))
                nearest = &*candidate;
        }
    }
    const QLocale locale;
    const double pixelsPerSecond = m_plot->xAxis->axisRect()->width() / m_plot->xAxis->range().size();
    if (nearest && double(abs(nearest->instant - at).count()) * pixelsPerSecond <= 8) {
        m_cursor->setText(QString::fromUtf8("%1 (%2) · n° %3 · %4 mV · soleil %5°")
                              .arg(localText(nearest->instant, true), offsetText(nearest->utcOffset),
                                   locale.toString(qlonglong(nearest->number)),
                                   locale.toString(nearest->millivolts),
                                   locale.toString(record::sunAltitude(
                                                       m_site, nearest->instant, nearest->utcOffset),
                                                   'f', 2)));
        return;
    }
    const minutes offset = m_offsetAt ? m_offsetAt(at) : minutes(0);
    m_cursor->setText(QString::fromUtf8("%1 · soleil %2°")
                          .arg(localText(at, true),
                               locale.toString(record::sunAltitude(m_site, at, offset), 'f', 2)));
}

QString JournalWindow::localText(sys_seconds instant, bool withDate) const
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(instant.time_since_epoch().count(), m_setup.zone);
    return local.toString(withDate ? "dd/MM/yyyy HH:mm:ss" : "HH:mm:ss");
}

void JournalWindow::updateMessages()
{
    QStringList lines;
    if (const auto& problem = m_record->problem())
        lines << QString::fromUtf8("Lecture impossible de %1 : %2. Le journal le relira dès qu'il le pourra.")
                     .arg(QString::fromStdString(problem->path.string()),
                          QString::fromStdString(problem->reason));
    if (!m_record->dateFromName())
        lines << QString::fromUtf8("Le nom de %1 ne donne pas de date : les mesures sont placées au %2.")
                     .arg(QString::fromStdString(m_record->dayFile().filename().string()),
                          QDateTime(qDateOf(m_record->date()), QTime(0, 0)).toString("dd/MM/yyyy"));
    if (!m_exportNote.isEmpty()) lines << m_exportNote;
    m_message->setText(lines.join('\n'));
    m_message->setVisible(!lines.isEmpty());

    QStringList malformed;
    if (const std::size_t lineCount = m_record->malformedLines())
        malformed << plural(lineCount, "%1 ligne mal formée laissée de côté",
                            "%1 lignes mal formées laissées de côté");
    if (const std::size_t rows = m_record->malformedCompanionRows())
        malformed << plural(rows, "%1 ligne du journal de série illisible",
                            "%1 lignes du journal de série illisibles");
    m_malformed->setText(malformed.join(QString::fromUtf8(" · ")));
}

void JournalWindow::say(const QString& text)
{
    m_exportNote = text;
    updateMessages();
}

std::vector<TracePoint> JournalWindow::pointsToExport(bool wholeDay) const
{
    const auto [from, to] = visibleRange();
    std::vector<TracePoint> points;
    for (std::size_t i = 0; i < m_runGraphs.size(); ++i) {
        const auto& trace = m_record->runs()[i]->trace.points();
        if (wholeDay) {
            points.insert(points.end(), trace.begin(), trace.end());
        } else if (m_runShown[i]) {
            const auto within = record::pointsWithin(trace, from, to);
            points.insert(points.end(), within.begin(), within.end());
        }
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const TracePoint& a, const TracePoint& b) { return a.instant < b.instant; });
    return points;
}

QString JournalWindow::exportCsv(const QString& path, bool wholeDay)
{
    const std::string bytes = record::csvExport(pointsToExport(wholeDay), m_site);
    if (const int error = saveWholeFile(path.toStdString(), bytes))
        return writeFailure(path, error);
    return {};
}

QString JournalWindow::exportImage(const QString& path, QSize size)
{
    if (!size.isValid()) size = m_plot->size();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (path.endsWith(".pdf", Qt::CaseInsensitive)) {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("velmorixon"));
        pdf.setTitle(windowTitle());
        pdf.setResolution(72);  // one pixel of the chart is one point of the page
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
        QCPPainter painter(&pdf);
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        m_plot->toPainter(&painter, size.width(), size.height());
    } else {
        m_plot->toPixmap(size.width(), size.height()).save(&buffer, "PNG");
    }
    if (const int error = saveWholeFile(path.toStdString(), bytes.toStdString()))
        return writeFailure(path, error);
    return {};
}

void JournalWindow::chooseFile()
{
    const QString file = QFileDialog::getOpenFileName(
        this, QString::fromUtf8("Ouvrir un fichier de mesures"),
        QString::fromStdString(m_setup.file.parent_path().string()),
        QString::fromUtf8("Fichiers de mesures (*.val *.val.*);;Tous les fichiers (*)"));
    if (file.isEmpty()) return;
    m_exportNote.clear();
    m_siteChosen = false;
    m_runShown.clear();
    openFile(file.toStdString());
}

void JournalWindow::chooseImage()
{
    const QString file = QFileDialog::getSaveFileName(
        this, QString::fromUtf8("Exporter l'image"),
        QString::fromStdString((m_setup.file.parent_path() / m_setup.file.stem()).string()) + ".png",
        QString::fromUtf8("Image PNG (*.png);;Document PDF (*.pdf)"));
    if (file.isEmpty()) return;
    const QString failure = exportImage(file);
    say(failure);
    if (failure.isEmpty()) statusBar()->showMessage(QString::fromUtf8("Image enregistrée : %1").arg(file), 5000);
}

void JournalWindow::chooseCsv(bool wholeDay)
{
    const QString file = QFileDialog::getSaveFileName(
        this, QString::fromUtf8(wholeDay ? "CSV de la journée" : "CSV de la plage affichée"),
        QString::fromStdString((m_setup.file.parent_path() / m_setup.file.stem()).string()) + ".csv",
        QString::fromUtf8("CSV (*.csv)"));
    if (file.isEmpty()) return;
    const QString failure = exportCsv(file, wholeDay);
    say(failure);
    if (failure.isEmpty()) statusBar()->showMessage(QString::fromUtf8("CSV enregistré : %1").arg(file), 5000);
}

bool JournalWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_plot && event->type() == QEvent::KeyPress) {
        const QCPRange range = m_plot->xAxis->range();
        const double step = range.size() / 10, centre = range.center();
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left: m_plot->xAxis->setRange(range.lower - step, range.upper - step); break;
        case Qt::Key_Right: m_plot->xAxis->setRange(range.lower + step, range.upper + step); break;
        case Qt::Key_Plus:
        case Qt::Key_Up: m_plot->xAxis->setRange(centre, range.size() / 2, Qt::AlignCenter); break;
        case Qt::Key_Minus:
        case Qt::Key_Down: m_plot->xAxis->setRange(centre, range.size() * 2, Qt::AlignCenter); break;
        default: return QMainWindow::eventFilter(watched, event);
        }
        m_plot->replot(QCustomPlot::rpQueuedReplot);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

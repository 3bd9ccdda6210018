// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/journal_window.h"

#include <QComboBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

#include "acquisition/measurement_file.h"
#include "platform/month_report.h"
#include "record/journal_csv.h"
#include "ui/cursor_panel.h"
#include "ui/image_size_dialog.h"
#include "ui/journal_chart.h"
#include "ui/journal_export.h"
#include "ui/month_window.h"
#include "ui/run_list.h"
#include "ui/sensor_dialog.h"
#include "ui/summary_panel.h"

using namespace std::chrono;
using record::TracePoint;
using sunlight_text::plural;

record::UtcOffsetAt zoneOffsets(const QTimeZone& zone, local_days around)
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

namespace {

using JournalChartAxis = JournalChart;
double axisOf(sys_seconds instant) { return JournalChartAxis::axisOf(instant); }

QString offsetText(minutes offset)
{
    const int total = int(offset.count());
    const int magnitude = std::abs(total);
    return QStringLiteral("UTC%1%2:%3")
        .arg(total < 0 ? QChar('-') : QChar('+'))
        .arg(magnitude / 60, 2, 10, QChar('0'))
        .arg(magnitude % 60, 2, 10, QChar('0'));
}

/// « · 812,4 W/m² · G/G_cs 0,931 · rare », or « · sans étalonnage (mV) ».
QString irradianceText(const std::optional<record::SunlitReading>& reading)
{
    if (!reading) return {};
    const QLocale locale;
    QString text = reading->calibrated
                       ? sunlight_text::french(" · %1 W/m²").arg(locale.toString(reading->irradiance, 'f', 1))
                       : QString::fromUtf8(" · sans étalonnage (mV)");
    if (reading->calibrated && reading->clearSky > 0)
        text += QString::fromUtf8(" · G/G_cs %1").arg(locale.toString(reading->irradiance / reading->clearSky, 'f', 3));
    if (reading->flags) {
        QString flags = QString::fromStdString(record::flagNames(reading->flags));
        flags.replace("sature", QString::fromUtf8("saturé")).replace("fige", QString::fromUtf8("figé"));
        text += QString::fromUtf8(" · ") + flags.replace('+', QString::fromUtf8(", "));
    }
    return text;
}

/// The colour of the `d`th day laid beside the day on view: darker than the runs' own.
QColor comparedColour(std::size_t d)
{
    // None near a run's own, the sun's orange or the clear sky's grey.
    static const QColor kColours[] = {QColor(200, 60, 130), QColor(0, 130, 90), QColor(150, 60, 160), QColor(0, 170, 190),
                                      QColor(0, 0, 0), QColor(160, 40, 40), QColor(110, 110, 0)};
    return kColours[d % std::size(kColours)];
}

/// The day's runs as the chart draws them, « Série 1 » first.
std::vector<JournalChart::Run> chartRuns(const DayRecord& record, const record::DaySunlight* sunlight,
                                         const std::vector<bool>& shown)
{
    const auto& runs = record.runs();
    std::vector<JournalChart::Run> out;
    for (std::size_t i = 0; i < runs.size(); ++i)
        out.push_back({runs[i]->points(), sunlight, i, runColour(i + 1),
                       QString::fromUtf8("Série\u00A0%1").arg(i + 1), shown[i]});
    return out;
}

}  // namespace

local_days localDayOf(const QDate& date)
{
    return local_days{year_month_day{year(date.year()), month(unsigned(date.month())), day(unsigned(date.day()))}};
}

JournalWindow::JournalWindow(JournalSetup setup, QWidget* parent)
    : QMainWindow(parent), m_setup(std::move(setup))
{
    setObjectName("journal");
    setWindowTitle(QString::fromUtf8("Journal des mesures"));
    setWindowIcon(QIcon(":/data/icons/velmorixon-32.png"));
    m_site = record::observingSites().at(7);  // the main window's site at start-up

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(4, 4, 4, 4);
    m_message = new QLabel(central);
    m_message->setObjectName("journalMessage");
    m_message->setWordWrap(true);
    m_message->setStyleSheet("QLabel { background: #fff3cd; color: #5a3d00; padding: 4px; }");
    m_message->hide();
    column->addWidget(m_message);
    m_runList = new RunList(central);
    m_runList->toggled = [this](std::size_t run, bool shown) { setRunShown(run, shown); };
    // A label is made when its run comes in sight, from the record as it is then.
    m_runList->label = [this](std::size_t run) {
        const auto& runs = m_record->runs();
        return run < runs.size() ? ::runLabel(run + 1, *runs[run], m_record->date(), m_setup.zone, m_setup.now()) : QString();
    };
    column->addWidget(m_runList);
    m_days = new QLabel(central);
    m_days->setObjectName("comparedDays");
    m_days->setWordWrap(true);
    m_days->hide();
    column->addWidget(m_days);
    m_chart = new JournalChart(central);
    m_chart->installEventFilter(this);
    m_chart->setFocus();  // the keys pan and zoom from the start
    column->addWidget(m_chart, 1);
    m_cursorPanel = new CursorPanel(central);
    column->addWidget(m_cursorPanel);
    setCentralWidget(central);
    connect(m_chart->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] { rangeChanged(); });
    connect(m_chart, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) { pointAt(int(event->position().x())); });

    m_figures = new QLabel(this);
    m_figures->setObjectName("figures");
    m_malformed = new QLabel(this);
    m_malformed->setObjectName("malformedLines");
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("readingProgress");
    m_progress->setMaximumWidth(160);
    m_progress->setFormat(QString::fromUtf8("Lecture %p\u00A0%"));
    m_progress->hide();
    m_figures->setMinimumWidth(1);
    m_figures->installEventFilter(this);  // elided again when its width changes
    statusBar()->addWidget(m_figures, 1);
    m_flagCounts = new QLabel(this);
    m_flagCounts->setObjectName("flagCounts");
    statusBar()->addPermanentWidget(m_flagCounts);
    statusBar()->addPermanentWidget(m_progress);
    m_summary = new SummaryPanel(this);
    auto* dock = new QDockWidget(QString::fromUtf8("Résumé"), this);
    dock->setObjectName("summaryDock");
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    dock->setWidget(m_summary);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    statusBar()->addPermanentWidget(m_malformed);

    buildTools();
    m_poll = new QTimer(this);
    m_poll->setInterval(m_setup.followIntervalMs);
    connect(m_poll, &QTimer::timeout, this, [this] {
        if (!m_reading) refresh();
    });
    resize(1000, 680);  // within a 1024 × 768 screen, its panel and the window's frame
    openFile(m_setup.file);
    m_poll->start();
}

JournalWindow::~JournalWindow() = default;

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
    tools->addWidget(new QLabel(sunlight_text::french(" Site : "), tools));
    m_siteBox = new QComboBox(tools);
    m_siteBox->setObjectName("site");
    for (const auto& site : record::observingSites()) m_siteBox->addItem(QString::fromStdString(site.name));
    m_siteBox->setCurrentIndex(m_site.index);
    connect(m_siteBox, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        m_siteChosen = true;
        setSite(index);
    });
    tools->addWidget(m_siteBox);
    tools->addSeparator();
    add("compare", "Comparer…", [this] {
        const QStringList files = QFileDialog::getOpenFileNames(
            this, QString::fromUtf8("Jours à comparer"), shownPath(m_setup.file.parent_path()),
            QString::fromUtf8("Fichiers de mesures (data*.val data*.val.*)"));
        for (const QString& file : files) compareDay(chosenPath(file));
    })->setToolTip(QString::fromUtf8("Poser d'autres jours sur le graphique, à leur heure locale"));
    add("uncompare", "Sans comparaison", [this] { clearComparedDays(); });

    addToolBarBreak();
    QToolBar* sunlight = addToolBar(QString::fromUtf8("Ensoleillement"));
    sunlight->setObjectName("sunlightTools");
    sunlight->setMovable(false);
    sunlight->addWidget(new QLabel(sunlight_text::french(" Unité : "), sunlight));
    m_unitBox = new QComboBox(sunlight);
    m_unitBox->setObjectName("unit");
    m_unitBox->addItems({QString::fromUtf8("mV"), QString::fromUtf8("W/m²")});
    connect(m_unitBox, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        m_unitChosen = true;
        setIrradianceShown(index == 1);
    });
    sunlight->addWidget(m_unitBox);
    tools = sunlight;
    add("sensor", "Capteur…", [this] { showSensorDialog(); });
    add("month", "Bilan du mois", [this] { showMonth(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    QAction* summary = findChild<QDockWidget*>("summaryDock")->toggleViewAction();
    summary->setText(QString::fromUtf8("Résumé"));
    sunlight->addAction(summary);
    // The exports on this row, which has room for them at 1000 px: never behind the overflow.
    sunlight->addSeparator();
    add("exportImage", "Image…", [this] { chooseImage(); })->setToolTip(QString::fromUtf8("Exporter l'image (PNG ou PDF)"));
    add("exportVisibleCsv", "CSV de la plage…", [this] { chooseCsv(false); });
    add("exportDayCsv", "CSV de la journée…", [this] { chooseCsv(true); });
}

void JournalWindow::openFile(const std::filesystem::path& file)
{
    m_setup.file = file;
    m_offsetAt = offsetsFor(file);
    m_chart->setClock(m_setup.zone, m_offsetAt);
    m_record = std::make_unique<DayRecord>(file, m_offsetAt, m_setup.today);
    m_calibration = readCalibrationFile(file.parent_path());
    updateSunlight();
    setWindowTitle(QString::fromUtf8("Journal des mesures — %1").arg(frenchDate(m_record->date())));
    m_runShown.clear();
    m_compared.clear();
    m_days->hide();
    m_cursors = {};
    showReadout({});
    m_chart->setRuns({});
    m_runList->setRuns(0, {});
    updateExtent();
    m_chart->drawSun(m_site, m_extentFrom, m_extentTo);
    m_reading = true;
    readStep();
}

void JournalWindow::readStep()
{
    // A huge day is read a bounded step at a time, between which the window answers.
    const DayRecord::Change change = m_record->refresh(m_setup.readStep);
    m_unread = change.unread;
    m_total = change.total;
    if (change.unread > 0) {
        m_progress->setValue(int(100 * double(change.total - change.unread) / double(change.total)));
        m_progress->show();
        updateMessages();
        QTimer::singleShot(0, this, [this] { readStep(); });
        return;
    }
    m_progress->hide();
    m_reading = false;
    showRuns(true);
    // A calibrated day opens in W/m² with its résumé beside the chart; a day in mV keeps the
    // chart's whole width (the résumé is a click away).
    const bool calibrated = m_sunlight->dayFigures().calibrated > 0;
    if (!m_unitChosen) setIrradianceShown(calibrated);
    findChild<QDockWidget*>("summaryDock")->setVisible(calibrated);
    showWholeDay();
    updateMessages();
}

void JournalWindow::refresh()
{
    const DayRecord::Change change = m_record->refresh(m_setup.readStep);
    if (change.runsChanged || change.newPoints > 0) {
        showRuns(change.runsChanged);
        if (m_follow->isChecked()) followNewest();
        updateFigures();
    } else {
        m_runList->labelsChanged();  // "en cours" turns "interrompue" as time passes
    }
    updateMessages();
    if (change.unread > 0) QTimer::singleShot(0, this, [this] { refresh(); });
}

QString JournalWindow::runLabel(std::size_t run) const { return m_runList->shownLabel(run); }

void JournalWindow::showRuns(bool rebuilt)
{
    const auto& runs = m_record->runs();
    m_runShown.resize(runs.size(), true);
    // The newest run's record names the site, unless the user chose one: the readings of runs
    // naming none are then worked out there.
    if (!m_siteChosen) {
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            if ((*run)->events.empty()) continue;
            if (const auto named = record::siteNamed((*run)->events.back().site)) m_site = *named;
            break;
        }
        m_siteBox->setCurrentIndex(m_site.index);
    }
    updateSunlight();
    if (rebuilt) m_runList->setRuns(runs.size(), m_runShown);
    else m_runList->labelsChanged();
    const double before = m_extentTo;
    updateExtent();
    if (rebuilt || m_extentTo != before) m_chart->drawSun(m_site, m_extentFrom, m_extentTo);
    drawRuns();
}

void JournalWindow::drawRuns()
{
    std::vector<JournalChart::Run> drawn = ::chartRuns(*m_record, m_sunlight.get(), m_runShown);
    for (std::size_t d = 0; d < m_compared.size(); ++d)
        for (std::size_t r = 0; r < m_compared[d].moved.size(); ++r)
            drawn.push_back({m_compared[d].moved[r], m_compared[d].sunlight.get(), r, comparedColour(d),
                             frenchDate(m_compared[d].record->date()), true});
    m_chart->setRuns(drawn);
    updateCursors();  // which replots
}

std::vector<JournalWindow::ChartDay> JournalWindow::chartDays() const
{
    static const std::vector<bool> everyRun;
    const auto pointsOf = [](const DayRecord& record) {
        std::vector<std::span<const TracePoint>> out;
        for (const DayRun* run : record.runs()) out.push_back(run->points());
        return out;
    };
    std::vector<ChartDay> out{{pointsOf(*m_record), m_sunlight.get(), &m_runShown, days(0)}};
    for (const ComparedDay& day : m_compared) out.push_back({pointsOf(*day.record), day.sunlight.get(), &everyRun, day.apart});
    return out;
}

std::optional<JournalWindow::PlacedCursor> JournalWindow::nearestOnChart(const std::vector<ChartDay>& days, sys_seconds at)
{
    std::optional<PlacedCursor> best;
    for (std::size_t d = 0; d < days.size(); ++d) {
        const ChartDay& day = days[d];
        const auto reading = record::nearestReading(day.runs, *day.sunlight, *day.shown, at - day.apart);
        if (reading && (!best || abs(reading->point.instant + day.apart - at) < abs(best->onAxis() - at)))
            best = PlacedCursor{d, day.apart, *reading};
    }
    return best;
}

void JournalWindow::placeCursor(int which, int x)
{
    const sys_seconds at = JournalChart::instantOf(m_chart->xAxis->pixelToCoord(x));
    m_cursors[std::size_t(which)] = nearestOnChart(chartDays(), at);
    m_activeCursor = which;
    updateCursors();
}

void JournalWindow::moveCursor(int steps)
{
    auto& cursor = m_cursors[std::size_t(m_activeCursor)];
    if (!cursor) return placeCursor(m_activeCursor, int(m_chart->xAxis->coordToPixel(m_chart->xAxis->range().center())));
    const ChartDay day = chartDays()[cursor->day];
    cursor->reading = record::stepReading(day.runs, *day.sunlight, cursor->reading, steps);
    updateCursors();
}

void JournalWindow::updateCursors()
{
    const std::vector<ChartDay> days = chartDays();
    for (std::size_t i = 0; i < 2; ++i) {
        // The record grew, a run was hidden, a day taken off or the calibration changed: the
        // same place on the axis read again, on the same day while it is on the chart.
        auto& cursor = m_cursors[i];
        if (cursor && cursor->day < days.size()) {
            const ChartDay& day = days[cursor->day];
            const auto again = record::nearestReading(day.runs, *day.sunlight, *day.shown, cursor->onAxis() - day.apart);
            cursor = again ? std::optional(PlacedCursor{cursor->day, day.apart, *again}) : nearestOnChart(days, cursor->onAxis());
        } else if (cursor) {
            cursor = nearestOnChart(days, cursor->onAxis());
        }
        m_chart->setCursor(int(i), cursor ? std::optional(axisOf(cursor->onAxis())) : std::nullopt,
                           cursor ? CursorPanel::cursorText(char('A' + i), cursor->reading) : QString());
    }
    const auto& [a, b] = m_cursors;
    // Each day read at the cursors' places on the axis, moved back onto its own instants.
    std::vector<CursorPanel::Day> read;
    for (std::size_t d = 0; d < days.size(); ++d) {
        const ChartDay& day = days[d];
        const auto readAt = [&](const std::optional<PlacedCursor>& cursor) {
            return cursor ? record::nearestReading(day.runs, *day.sunlight, *day.shown, cursor->onAxis() - day.apart) : std::nullopt;
        };
        read.push_back({d == 0 ? frenchDate(m_record->date()) : frenchDate(m_compared[d - 1].record->date()),
                        d == 0 ? QColor() : comparedColour(d - 1), readAt(a), readAt(b),
                        a && b ? record::rangeStatistics(day.runs, *day.sunlight, *day.shown, a->onAxis() - day.apart,
                                                         b->onAxis() - day.apart)
                               : record::RangeStatistics{}});
    }
    m_cursorPanel->setCursors(a ? std::optional(a->reading) : std::nullopt, b ? std::optional(b->reading) : std::nullopt, read,
                              m_chart->irradiance());
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}

void JournalWindow::zoomValues(int angle, double y)
{
    m_fitY->setChecked(false);  // « Échelle ajustée » brings the fitted scale back
    m_chart->yAxis->scaleRange(std::pow(0.85, angle / 120.0), m_chart->yAxis->pixelToCoord(y));
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}


QString JournalWindow::compareDay(const std::filesystem::path& dayFile)
{
    ComparedDay day;
    day.record = std::make_unique<DayRecord>(dayFile, offsetsFor(dayFile), m_setup.today);
    const auto onChart = [&](const ComparedDay& other) { return other.record->date() == day.record->date(); };
    if (day.record->date() == m_record->date() || std::any_of(m_compared.begin(), m_compared.end(), onChart)) {
        m_days->setText(sunlight_text::french("%1 n'est pas comparé : le %2 est déjà sur le graphique.")
                            .arg(shownPath(dayFile), frenchDate(day.record->date())));
        m_days->show();
        return m_days->text();
    }
    day.record->refresh();
    if (day.record->runs().empty()) {
        const QString why = day.record->problem() ? QString::fromStdString(day.record->problem()->reason)
                                                  : QString::fromUtf8("aucune mesure");
        m_days->setText(sunlight_text::french("%1 n'est pas comparé : %2.").arg(shownPath(dayFile), why));
        m_days->show();
        return m_days->text();
    }
    // Whole days apart: the same local time of day on the axis (an hour off across a change of
    // summer time, as the clocks were).
    day.apart = m_record->date() - day.record->date();
    for (const DayRun* run : day.record->runs()) {
        auto& moved = day.moved.emplace_back(run->points().begin(), run->points().end());
        for (record::TracePoint& point : moved) point.instant += day.apart;
    }
    day.sunlight = sunlightOf(*day.record);
    m_compared.push_back(std::move(day));
    showComparedDays();
    return {};
}

void JournalWindow::clearComparedDays()
{
    m_compared.clear();
    showComparedDays();
}

void JournalWindow::showComparedDays()
{
    QStringList legend{QString::fromUtf8("%1 (séries en couleurs)").arg(frenchDate(m_record->date()))};
    for (std::size_t d = 0; d < m_compared.size(); ++d)
        legend << QString::fromUtf8("<span style=\"color:%1\">■</span>\u00A0%2")
                      .arg(comparedColour(d).name(), frenchDate(m_compared[d].record->date()));
    m_days->setText(legend.join(QString::fromUtf8(" · ")));
    m_days->setVisible(!m_compared.empty());
    drawRuns();
}

record::UtcOffsetAt JournalWindow::offsetsFor(const std::filesystem::path& dayFile) const
{
    // The zone's offsets around the date the file's name gives, else today's.
    const auto named = record::dateFromFileName(dayFile.filename().string());
    return zoneOffsets(m_setup.zone, named ? local_days(*named) : m_setup.today);
}

std::unique_ptr<record::DaySunlight> JournalWindow::sunlightOf(const DayRecord& day) const
{
    std::vector<record::RunReadings> runs;
    for (const DayRun* run : day.runs()) runs.push_back({run->points(), run->events});
    return std::make_unique<record::DaySunlight>(day.date(), runs, m_calibration.rows, m_site);
}

void JournalWindow::updateSunlight() { m_sunlight = sunlightOf(*m_record); }

void JournalWindow::updateEverySunlight()
{
    updateSunlight();
    for (ComparedDay& day : m_compared) day.sunlight = sunlightOf(*day.record);
}

void JournalWindow::setIrradianceShown(bool irradiance)
{
    m_unitBox->setCurrentIndex(irradiance ? 1 : 0);
    m_chart->setIrradiance(irradiance);
    setFittedY(m_fitY->isChecked());
    updateFigures();
    updateMessages();
}

void JournalWindow::reloadCalibration()
{
    m_calibration = readCalibrationFile(m_setup.file.parent_path());
    updateEverySunlight();
    drawRuns();
    if (!m_unitChosen) setIrradianceShown(m_sunlight->dayFigures().calibrated > 0);
    updateFigures();
    updateMessages();
}

void JournalWindow::showSensorDialog()
{
    SensorDialog dialog(m_setup.file.parent_path(), m_setup.zone, m_setup.now, m_record->date(), this);
    dialog.added = [this] { reloadCalibration(); };
    dialog.exec();
}

MonthWindow* JournalWindow::showMonth()
{
    const year_month_day day{m_record->date()};
    if (!m_month) {
        m_month = new MonthWindow(m_setup.file.parent_path(), m_setup.zone, day.year() / day.month(), this);
        m_month->openDay = [this](year_month_day date) { openDay(date); };
        m_month->compareDays = [this](const std::vector<year_month_day>& dates) {
            openDay(dates.front());
            for (std::size_t d = 1; d < dates.size(); ++d) compareDay(dayFile(dates[d]));
        };
    } else {
        m_month->setMonth(day.year() / day.month());
    }
    m_month->show();
    m_month->raise();
    return m_month;
}

std::filesystem::path JournalWindow::dayFile(year_month_day date) const
{
    // The plain day file, else the first kept run of that day.
    const std::filesystem::path folder = m_setup.file.parent_path();
    std::filesystem::path file = folder / acquisition::dataFileName(date);
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        const std::string prefix = file.filename().string() + '.';
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.path().filename().string().starts_with(prefix)) file = std::min(file, entry.path());
        file = std::filesystem::exists(file, error) ? file : folder / acquisition::dataFileName(date);
    }
    return file;
}

void JournalWindow::openDay(year_month_day date)
{
    m_exportNote.clear();
    m_siteChosen = false;
    openFile(dayFile(date));
    raise();
    activateWindow();
}

void JournalWindow::updateExtent()
{
    // The file's local day; a run past midnight goes on to its last reading, no further (a
    // line at 00:00:00 of the next day, the end of a full day, adds nothing).
    m_extentFrom = JournalChart::startOfDay(qDateOf(m_record->date()), m_setup.zone);
    m_extentTo = JournalChart::startOfDay(qDateOf(m_record->date() + days(1)), m_setup.zone);
    for (const DayRun* run : m_record->runs()) {
        const auto points = run->points();
        if (points.empty()) continue;
        m_extentFrom = std::min(m_extentFrom, axisOf(points.front().instant));
        m_extentTo = std::max(m_extentTo, axisOf(points.back().instant));
    }
}

void JournalWindow::setRange(double from, double to)
{
    // Ours, not the user's: following goes on. The figures are brought up to date even when
    // the range stays as it was (no signal then).
    m_settingRange = true;
    m_chart->xAxis->setRange(from, to);
    rangeChanged();
    m_settingRange = false;
    m_chart->replot(QCustomPlot::rpQueuedReplot);
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
    // The newest reading of a shown run near the right edge, an hour (or the zoom's width) back.
    std::optional<double> newest;
    for (std::size_t i = 0; i < m_runShown.size(); ++i) {
        const auto points = m_record->runs()[i]->points();
        if (m_runShown[i] && !points.empty())
            newest = std::max(newest.value_or(-1e300), axisOf(points.back().instant));
    }
    if (!newest) return;
    const double width = std::min(m_chart->xAxis->range().size(), 3600.0);
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
    if (fitted) fitY();
    else if (m_chart->irradiance()) m_chart->setValueAxis(QString::fromUtf8("Éclairement (W/m²)"), -20, 1200);
    else m_chart->setValueAxis(QString::fromUtf8("Tension (mV)"), 0, 4095);
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}

record::RangeFigures JournalWindow::visibleFigures() const
{
    const auto [from, to] = visibleRange();
    record::RangeFigures all;
    for (std::size_t i = 0; i < m_runShown.size(); ++i)
        if (m_runShown[i]) all += record::figuresOf(m_record->runs()[i]->points(), from, to);
    return all;
}

void JournalWindow::fitY()
{
    if (m_chart->irradiance()) {
        const auto [from, to] = visibleRange();
        const record::SunlightFigures figures = m_sunlight->figures(from, to, m_runShown);
        m_chart->setValueAxis(QString::fromUtf8("Éclairement (W/m²)"), -20, std::max(100.0, figures.peak.value_or(0) * 1.08));
        return;
    }
    m_chart->yAxis->setLabel(QString::fromUtf8("Tension (mV)"));
    const record::RangeFigures all = visibleFigures();
    if (all.count == 0) return;
    const double margin = std::max(5.0, (all.maximum - all.minimum) * 0.05);
    m_chart->valueAxis()->setRange(all.minimum - margin, all.maximum + margin);
}

void JournalWindow::setSite(int index)
{
    const auto sites = record::observingSites();
    if (index < 0 || index >= int(sites.size())) return;
    m_site = sites[std::size_t(index)];
    m_siteBox->setCurrentIndex(index);
    m_chart->drawSun(m_site, m_extentFrom, m_extentTo);
    updateEverySunlight();  // the site of readings whose run names none, compared days' too
    drawRuns();
    updateFigures();
}

void JournalWindow::setRunShown(std::size_t run, bool shown)
{
    if (run >= m_runShown.size()) return;
    m_runShown[run] = shown;
    m_runList->setShown(run, shown);
    drawRuns();
    if (m_fitY->isChecked()) fitY();
    updateFigures();
}

std::pair<sys_seconds, sys_seconds> JournalWindow::visibleRange() const { return m_chart->visibleRange(); }

void JournalWindow::updateFigures()
{
    const record::RangeFigures all = visibleFigures();
    const QLocale locale;
    const auto [from, to] = visibleRange();
    // The day is every run's; the range, like the chart, the shown runs'.
    const record::SunlightFigures range = m_sunlight->figures(from, to, m_runShown), day = m_sunlight->dayFigures();
    m_summary->setFigures(day, range);
    m_flagCounts->setText(sunlight_text::flagCounts(day.flags) +
                          (day.excluded ? plural(day.excluded, " · %1 écartée", " · %1 écartées") : QString()));
    if (all.count == 0) {
        setElided(m_figures, QString::fromUtf8("Aucune mesure dans la plage affichée"));
        return;
    }
    const QString sunlit = sunlight_text::statusFigures(range);
    // In W/m² the range's energy, peak and sunshine; in mV its extremes and mean.
    if (m_chart->irradiance() && !sunlit.isEmpty()) {
        setElided(m_figures, plural(all.count, "%1 mesure", "%1 mesures") + QString::fromUtf8(" · ") + sunlit);
        return;
    }
    setElided(m_figures, plural(all.count, "%1 mesure", "%1 mesures") +
                       sunlight_text::french(" · min %1 mV · max %2 mV · moyenne %3 mV")
                           .arg(locale.toString(all.minimum), locale.toString(all.maximum),
                                locale.toString(all.mean(), 'f', 1)));
}

void JournalWindow::pointAt(int x)
{
    // Over an axis the pointer is on no time of the chart: the readout stays.
    if (x < m_chart->axisRect()->left() || x > m_chart->axisRect()->right()) return;
    const sys_seconds at = JournalChart::instantOf(m_chart->xAxis->pixelToCoord(x));
    const std::vector<ChartDay> days = chartDays();
    const auto placed = nearestOnChart(days, at);
    const TracePoint* nearest = placed ? &placed->reading.point : nullptr;
    const QLocale locale;
    const auto localText = [&](sys_seconds instant) {
        return QDateTime::fromSecsSinceEpoch(instant.time_since_epoch().count(), m_setup.zone).toString("dd/MM/yyyy HH:mm:ss");
    };
    const double pixelsPerSecond = m_chart->axisRect()->width() / m_chart->xAxis->range().size();
    if (nearest && double(abs(placed->onAxis() - at).count()) * pixelsPerSecond <= 8) {
        showReadout(sunlight_text::french("%1 (%2) · n° %3 · %4 mV · soleil %5°")
                              .arg(localText(nearest->instant), offsetText(nearest->utcOffset()),
                                   locale.toString(qlonglong(nearest->number)), locale.toString(int(nearest->millivolts)),
                                   locale.toString(record::sunAltitude(m_site, nearest->instant, nearest->utcOffset()), 'f', 2)) +
                          irradianceText(days[placed->day].sunlight->reading(placed->reading.run, placed->reading.index)));
        return;
    }
    const minutes offset = m_offsetAt ? m_offsetAt(at) : minutes(0);
    showReadout(QString::fromUtf8("%1 · soleil %2°")
                          .arg(localText(at), locale.toString(record::sunAltitude(m_site, at, offset), 'f', 2)));
}

void JournalWindow::updateMessages()
{
    QStringList lines;
    if (const auto& problem = m_record->problem()) {
        if (problem->special)
            lines << sunlight_text::french("%1 n'est pas un fichier ordinaire (un tube, un périphérique) : le journal ne le lit pas.")
                         .arg(shownPath(problem->path));
        else
            lines << sunlight_text::french("Lecture impossible de %1 : %2. Le journal le relira dès qu'il le pourra.")
                         .arg(shownPath(problem->path), QString::fromStdString(problem->reason));
    }
    if (m_reading)
        lines << sunlight_text::french("Lecture de %1 : %2 Mo sur %3 Mo…")
                     .arg(shownPath(m_record->dayFile().filename()), QLocale().toString(qulonglong((m_total - m_unread) >> 20)),
                          QLocale().toString(qulonglong(m_total >> 20)));
    QStringList empty;  // the first few named, the others counted: a day of thousands stays on screen
    for (const auto& run : m_record->runs())
        if (!m_reading && run->trace.points().empty()) empty << shownPath(run->file.path);
    for (const QString& name : empty.mid(0, 3)) lines << sunlight_text::french("%1 ne contient aucune ligne de mesure lisible.").arg(name);
    if (empty.size() > 3)
        lines << plural(std::size_t(empty.size() - 3), "et %1 autre série sans ligne lisible.", "et %1 autres séries sans ligne lisible.");
    if (!m_record->dateFromName())
        lines << sunlight_text::french("Le nom de %1 ne donne pas de date : les mesures sont placées au %2.")
                     .arg(shownPath(m_record->dayFile().filename()), QDateTime(qDateOf(m_record->date()), QTime(0, 0)).toString("dd/MM/yyyy"));
    for (const std::string& problem : m_calibration.problems) lines << QString::fromStdString(problem);
    if (m_chart->irradiance() && !m_reading)
        if (const QString leftOut = sunlight_text::readingsLeftOut(m_sunlight->dayFigures()); !leftOut.isEmpty())
            lines << leftOut + sunlight_text::french(" Elles ne comptent pas dans les figures en W/m².");
    if (!m_exportNote.isEmpty()) lines << m_exportNote;
    m_message->setText(lines.join('\n'));
    m_message->setVisible(!lines.isEmpty());

    QStringList malformed;
    if (const std::size_t lineCount = m_record->malformedLines())
        malformed << plural(lineCount, "%1 ligne mal formée laissée de côté", "%1 lignes mal formées laissées de côté");
    if (const std::size_t rows = m_record->malformedCompanionRows())
        malformed << plural(rows, "%1 ligne du journal de série illisible", "%1 lignes du journal de série illisibles");
    m_malformed->setText(malformed.join(sunlight_text::french(" · ")));
}

void JournalWindow::say(const QString& text)
{
    m_exportNote = text;
    updateMessages();
}

QString JournalWindow::exportTitle() const
{
    return QString::fromUtf8("Journal des mesures — %1 — %2")
        .arg(frenchDate(m_record->date()), QString::fromStdString(m_site.name));
}

QString JournalWindow::exportCsv(const std::filesystem::path& path, bool wholeDay)
{
    if (QString refused = refusalOverRecord(*m_record, path); !refused.isEmpty()) return refused;
    std::vector<CsvRows> runs;
    const auto [from, to] = visibleRange();
    for (std::size_t i = 0; i < m_runShown.size(); ++i) {
        if (!wholeDay && !m_runShown[i]) continue;
        const auto points = m_record->runs()[i]->points();
        const auto within = wholeDay ? points : record::pointsWithin(points, from, to);
        const auto first = std::size_t(within.data() - points.data());
        runs.push_back({i, points, first, first + within.size()});
    }
    return saveCsv(path, std::move(runs), *m_sunlight, m_site);
}

QString JournalWindow::exportImage(const std::filesystem::path& path, QSize size)
{
    if (QString refused = refusalOverRecord(*m_record, path); !refused.isEmpty()) return refused;
    return saveChart(*m_chart, path, size.isValid() ? size : m_chart->size(), exportTitle());
}

void JournalWindow::chooseFile()
{
    // Several files chosen: the first opened, the others laid beside it.
    const QStringList files = QFileDialog::getOpenFileNames(
        this, QString::fromUtf8("Ouvrir un fichier de mesures (ou plusieurs jours à comparer)"), shownPath(m_setup.file.parent_path()),
        QString::fromUtf8("Fichiers de mesures (*.val *.val.*);;Tous les fichiers (*)"));
    if (files.isEmpty()) return;
    m_exportNote.clear();
    m_siteChosen = false;
    openFile(chosenPath(files.front()));
    for (const QString& file : files.mid(1)) compareDay(chosenPath(file));
}

void JournalWindow::chooseImage()
{
    const QString file = QFileDialog::getSaveFileName(
        this, QString::fromUtf8("Exporter l'image"), shownPath(proposedExport(m_setup.file, ExportKind::Image)),
        QString::fromUtf8("Image PNG (*.png);;Document PDF (*.pdf)"));
    if (file.isEmpty()) return;
    QSize size;
    if (!isPdf(chosenPath(file))) {
        ImageSizeDialog sizes(m_chart->size(), this);
        if (sizes.exec() != QDialog::Accepted) return;
        size = sizes.chosen();
    }
    const QString failure = exportImage(chosenPath(file), size);
    say(failure);
    if (failure.isEmpty())
        statusBar()->showMessage(sunlight_text::french(size.isValid() ? "Image enregistrée : %1" : "Image enregistrée (page A4 paysage) : %1").arg(file), 5000);
}

void JournalWindow::chooseCsv(bool wholeDay)
{
    const QString file = QFileDialog::getSaveFileName(
        this, QString::fromUtf8(wholeDay ? "CSV de la journée" : "CSV de la plage affichée"),
        shownPath(proposedExport(m_setup.file, wholeDay ? ExportKind::DayCsv : ExportKind::VisibleCsv)),
        QString::fromUtf8("CSV (*.csv)"));
    if (file.isEmpty()) return;
    const QString failure = exportCsv(chosenPath(file), wholeDay);
    say(failure);
    if (failure.isEmpty()) statusBar()->showMessage(sunlight_text::french("CSV enregistré : %1").arg(file), 5000);
}

void JournalWindow::setElided(QLabel* label, const QString& text)
{
    // Whole in the tooltip; never cut mid-word by a narrow status bar.
    label->setToolTip(text);
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, label->contentsRect().width()));
}

void JournalWindow::showReadout(const QString& text) { m_cursorPanel->setReadout(text); }

bool JournalWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_figures && event->type() == QEvent::Resize) setElided(m_figures, m_figures->toolTip());
    if (watched != m_chart) return QMainWindow::eventFilter(watched, event);
    // A click (the button let go where it went down) places a cursor; a drag still pans.
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseButtonPress) m_pressedAt = mouse->position().toPoint();
    if (event->type() == QEvent::MouseButtonRelease && (mouse->position().toPoint() - m_pressedAt).manhattanLength() < 4) {
        const bool b = mouse->button() == Qt::RightButton || (mouse->modifiers() & Qt::ShiftModifier);
        placeCursor(b ? 1 : 0, m_pressedAt.x());
    }
    // Ctrl+wheel, or the wheel over the value axis, zooms the values.
    if (const auto* wheel = static_cast<QWheelEvent*>(event); event->type() == QEvent::Wheel &&
        (wheel->modifiers() & Qt::ControlModifier || wheel->position().x() < m_chart->axisRect()->left())) {
        zoomValues(wheel->angleDelta().y(), wheel->position().y());
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const QCPRange range = m_chart->xAxis->range();
        const double step = range.size() / 10, centre = range.center();
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & Qt::ShiftModifier && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
            moveCursor(key->key() == Qt::Key_Left ? -1 : 1);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {  // the cursors taken off
            m_cursors = {};
            updateCursors();
            return true;
        }
        if (key->key() == Qt::Key_A || key->key() == Qt::Key_B) {
            m_activeCursor = key->key() == Qt::Key_A ? 0 : 1;
            moveCursor(0);  // placed at the centre when it was not yet
            return true;
        }
        switch (key->key()) {
        case Qt::Key_Left: m_chart->xAxis->setRange(range.lower - step, range.upper - step); break;
        case Qt::Key_Right: m_chart->xAxis->setRange(range.lower + step, range.upper + step); break;
        case Qt::Key_Plus:
        case Qt::Key_Up: m_chart->xAxis->setRange(centre, range.size() / 2, Qt::AlignCenter); break;
        case Qt::Key_Minus:
        case Qt::Key_Down: m_chart->xAxis->setRange(centre, range.size() * 2, Qt::AlignCenter); break;
        default: return QMainWindow::eventFilter(watched, event);
        }
        m_chart->replot(QCustomPlot::rpQueuedReplot);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

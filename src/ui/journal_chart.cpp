// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/journal_chart.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "platform/regional_text.h"
#include "record/sunlight_models.h"
#include "record/time_axis.h"
#include "ui/run_list.h"
#include "ui/summary_panel.h"

using namespace std::chrono;

namespace {

QDateTime localOf(double axis, const QTimeZone& zone)
{
    return QDateTime::fromSecsSinceEpoch(qint64(axis), zone);
}

/// Ticks on the local clock's whole hours, minutes or days (record::localTicks), labelled
/// "HH:mm" (with seconds under a minute's step), and the date under the first tick of each
/// day when the axis spans more than one.
class LocalTimeTicker : public QCPAxisTicker {
public:
    QTimeZone zone;
    record::UtcOffsetAt offsetAt;
    double pixelsPerLabel = 110;
    QCPAxis* axis = nullptr;

protected:
    double getTickStep(const QCPRange&) override { return 1; }
    int getSubTickCount(double) override { return 0; }
    QVector<double> createTickVector(double, const QCPRange& range) override
    {
        const std::size_t most = std::size_t(std::max(2.0, (axis ? axis->axisRect()->width() : 600) / pixelsPerLabel));
        const record::TimeTicks ticks = record::localTicks(
            sys_seconds(seconds(qint64(std::ceil(range.lower)))),
            sys_seconds(seconds(qint64(std::floor(range.upper)))), most, offsetAt);
        m_withSeconds = ticks.step < minutes{1};
        QVector<double> out;
        for (const sys_seconds t : ticks.at) out.push_back(JournalChart::axisOf(t));
        m_manyDays = localOf(range.lower, zone).date() != localOf(range.upper - 1, zone).date();
        return out;
    }
    QVector<QString> createLabelVector(const QVector<double>& ticks, const QLocale&, QChar, int) override
    {
        const QLocale french(QLocale::French, QLocale::France);
        QVector<QString> labels;
        QDate previous;
        for (const double tick : ticks) {
            const QDateTime local = localOf(tick, zone);
            QString label = local.toString(m_withSeconds ? "HH:mm:ss" : "HH:mm");
            if (m_manyDays && local.date() != previous) label += '\n' + french.toString(local.date(), "d MMM");
            previous = local.date();
            labels.push_back(label);
        }
        return labels;
    }

private:
    bool m_withSeconds = false;
    bool m_manyDays = false;
};

}  // namespace

JournalChart::JournalChart(QWidget* parent) : QCustomPlot(parent)
{
    setObjectName("plot");
    setAutoAddPlottableToLegend(false);  // the exports' legend is made when they are drawn
    setFocusPolicy(Qt::StrongFocus);
    // Low enough that at 1000 × 680 the chart gives way to the cursors' table of seven days
    // beside the « Résumé », rather than the window growing past the screen.
    setMinimumSize(480, 220);
    auto ticker = QSharedPointer<LocalTimeTicker>::create();
    ticker->axis = xAxis;
    xAxis->setTicker(ticker);
    xAxis->setLabel(QString::fromUtf8("Heure locale"));
    setValueAxis(QString::fromUtf8("Tension (mV)"), 0, 4095);
    yAxis2->setVisible(true);
    yAxis2->setLabel(QString::fromUtf8("Hauteur du soleil (°)"));
    yAxis2->setRange(-90, 90);
    yAxis2->setTickLabelColor(sunColour().darker(130));
    yAxis2->setLabelColor(sunColour().darker(130));
    addLayer("night", layer("grid"), QCustomPlot::limBelow);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    axisRect()->setRangeDrag(Qt::Horizontal);
    axisRect()->setRangeZoom(Qt::Horizontal);
    axisRect()->setRangeDragAxes(xAxis, nullptr);
    axisRect()->setRangeZoomAxes(xAxis, nullptr);
    m_sunGraph = addGraph(xAxis, yAxis2);
    m_sunGraph->setName(QString::fromUtf8("Hauteur du soleil"));
    m_sunGraph->setPen(QPen(sunColour(), 2));
    m_clearSkyGraph = addGraph(xAxis, yAxis);
    m_clearSkyGraph->setName(QString::fromUtf8("Ciel clair (Haurwitz)"));
    m_clearSkyGraph->setPen(QPen(QColor(90, 90, 90), 1.5, Qt::DashLine));
    m_clearSkyGraph->setVisible(false);
    const struct {
        std::uint8_t flag;
        const char* name;
        QColor colour;
        QCPScatterStyle::ScatterShape shape;
    } kinds[] = {{record::kImpossible, "impossible", QColor(200, 0, 0), QCPScatterStyle::ssCross},
                 {record::kRare, "rare", QColor(230, 120, 0), QCPScatterStyle::ssTriangle},
                 {record::kSaturated, "saturé", QColor(150, 0, 150), QCPScatterStyle::ssSquare},
                 {record::kStuck, "figé", QColor(0, 110, 160), QCPScatterStyle::ssDiamond}};
    for (const auto& kind : kinds) {
        QCPGraph* marks = addGraph(xAxis, yAxis);
        marks->setName(sunlight_text::french("Drapeau « %1 »").arg(QString::fromUtf8(kind.name)));
        marks->setLineStyle(QCPGraph::lsNone);
        marks->setScatterStyle(QCPScatterStyle(kind.shape, kind.colour, 7));
        marks->setPen(QPen(kind.colour, 1.5));
        m_flagGraphs.emplace_back(kind.flag, marks);
    }
    legend->setVisible(false);
    connect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] { reduceToScreen(); });
    connect(yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] { liftSaturated(); });
    // The chart is laid out only when first drawn (and again when resized): the runs are
    // reduced again for the pixel columns it really has, before they are drawn.
    connect(this, &QCustomPlot::afterLayout, this, [this] {
        if (axisRect()->width() != m_reducedWidth) reduceToScreen();
        keepCursorLabelsWhole();
    });
}

void JournalChart::keepCursorLabelsWhole()
{
    // The left line's label stands left of it and the right line's right, each turned to the
    // other side where it would run off the chart and that side has room; one that would still
    // cover the other is lifted a line. A line off the chart takes its label away.
    const QRect area = axisRect()->rect();
    std::array<std::optional<double>, 2> x;
    for (int which = 0; which < 2; ++which)
        if (m_cursorLines[which] && m_cursorLines[which]->visible()) x[which] = xAxis->coordToPixel(m_cursorLabels[which]->position->coords().x());
    std::array<QRectF, 2> placed;
    for (int which = 0; which < 2; ++which) {
        if (!x[which]) continue;
        QCPItemText* label = m_cursorLabels[which];
        label->setVisible(*x[which] >= area.left() && *x[which] <= area.right());
        const QFontMetrics metrics(label->font());
        const QMargins padding = label->padding();
        const double width = metrics.horizontalAdvance(label->text()) + padding.left() + padding.right();
        const double height = metrics.height() + padding.top() + padding.bottom();
        const bool leftFits = *x[which] - width >= area.left(), rightFits = *x[which] + width <= area.right();
        const auto& other = x[1 - which];
        const bool prefersLeft = other ? *x[which] < *other || (*x[which] == *other && which == 0) : which == 0;
        const bool left = prefersLeft ? leftFits || !rightFits : !rightFits && leftFits;
        label->setPositionAlignment(Qt::AlignBottom | (left ? Qt::AlignRight : Qt::AlignLeft));
        placed[which] = QRectF(left ? *x[which] - width : *x[which], area.bottom() - height, width, height);
        const bool covers = which == 1 && placed[0].isValid() && placed[0].intersects(placed[1]);
        label->position->setCoords(label->position->coords().x(), 0.99 - (covers ? height / area.height() : 0));
    }
}

void JournalChart::setClock(const QTimeZone& zone, record::UtcOffsetAt offsetAt)
{
    m_zone = zone;
    m_offsetAt = offsetAt;
    auto ticker = xAxis->ticker().staticCast<LocalTimeTicker>();
    ticker->zone = zone;
    ticker->offsetAt = std::move(offsetAt);
}

void JournalChart::setValueAxis(const QString& label, double lower, double upper)
{
    yAxis->setLabel(label);
    yAxis->setRange(lower, upper);
}

QCPGraph* JournalChart::flagGraph(std::uint8_t flag) const
{
    for (const auto& [kind, graph] : m_flagGraphs)
        if (kind == flag) return graph;
    return nullptr;
}

void JournalChart::setIrradiance(bool irradiance)
{
    m_irradiance = irradiance;
    m_clearSkyGraph->setVisible(irradiance);
    reduceToScreen();
}

double JournalChart::valueOf(const Run& run, std::size_t index) const
{
    if (!m_irradiance) return double(run.points[index].millivolts);
    if (!run.sunlight) return qQNaN();
    const double irradiance = run.sunlight->irradiance(run.number, index);
    if (!std::isnan(irradiance) && (run.sunlight->flags(run.number)[index] & record::kSaturated)) return m_saturatedDrawnAt;
    return irradiance;
}

double JournalChart::saturatedLevel() const
{
    // Just under the top: the mark's square is whole on the plot.
    return yAxis->range().upper - yAxis->range().size() * 0.015;
}

void JournalChart::liftSaturated()
{
    const double level = saturatedLevel();
    if (!m_irradiance || level == m_saturatedDrawnAt) return;
    std::vector<QCPGraph*> graphs = m_runGraphs;
    graphs.push_back(flagGraph(record::kSaturated));
    for (QCPGraph* graph : graphs)
        for (QCPGraphData& point : *graph->data())
            if (point.value == m_saturatedDrawnAt) point.value = level;
    m_saturatedDrawnAt = level;
}

void JournalChart::setCursor(int which, std::optional<double> x, const QString& label)
{
    if (!m_cursorLines[which]) {
        const QColor colour = which == 0 ? QColor(0, 90, 200) : QColor(190, 40, 40);
        m_cursorLines[which] = new QCPItemStraightLine(this);
        m_cursorLines[which]->setPen(QPen(colour, 1.5));
        m_cursorLabels[which] = new QCPItemText(this);
        m_cursorLabels[which]->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        m_cursorLabels[which]->setColor(colour);
        m_cursorLabels[which]->setBrush(QColor(255, 255, 255, 220));
        m_cursorLabels[which]->setClipToAxisRect(true);
    }
    m_cursorLines[which]->setVisible(x.has_value());
    m_cursorLabels[which]->setVisible(x.has_value());
    if (!x) return;
    m_cursorLines[which]->point1->setCoords(*x, 0);
    m_cursorLines[which]->point2->setCoords(*x, 1);
    m_cursorLabels[which]->position->setCoords(*x, 0.99);
    m_cursorLabels[which]->setText(label);
}

void JournalChart::setRuns(const std::vector<Run>& runs)
{
    // The graphs of the runs before are kept: a day of thousands of runs is not built again
    // when one more begins.
    for (; m_runGraphs.size() > runs.size(); m_runGraphs.pop_back()) removeGraph(m_runGraphs.back());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (i == m_runGraphs.size()) m_runGraphs.push_back(addGraph(xAxis, yAxis));
        m_runGraphs[i]->setPen(QPen(runs[i].colour, 1));
        m_runGraphs[i]->setName(runs[i].name);
        m_runGraphs[i]->setVisible(runs[i].shown);
    }
    m_runs = runs;
    reduceToScreen();
}

QVector<QCPGraphData> JournalChart::onScreen(const Run& run, std::uint8_t flag) const
{
    const std::span<const std::uint8_t> flags = run.sunlight ? run.sunlight->flags(run.number) : std::span<const std::uint8_t>{};
    if (flag && flags.empty()) return {};
    const auto points = run.points;
    const QCPRange range = xAxis->range();
    const auto columns = std::size_t(std::max(axisRect()->width(), 200));
    const double columnWidth = range.size() / double(columns);
    // The shown points and one on each side, so that the line runs on to the edges.
    std::size_t first = std::size_t(std::lower_bound(points.begin(), points.end(), instantOf(std::floor(range.lower)),
                                                     [](const record::TracePoint& p, sys_seconds t) { return p.instant < t; }) -
                                    points.begin());
    std::size_t last = std::size_t(std::upper_bound(points.begin() + std::ptrdiff_t(first), points.end(), instantOf(std::ceil(range.upper)),
                                                    [](sys_seconds t, const record::TracePoint& p) { return t < p.instant; }) -
                                   points.begin());
    if (first > 0) --first;
    if (last < points.size()) ++last;
    const auto kept = [&](std::size_t i) { return flag == 0 || (flags[i] & flag) != 0; };
    const auto columnOf = [&](std::size_t i) { return std::floor((axisOf(points[i].instant) - range.lower) / columnWidth); };
    QVector<QCPGraphData> data;
    const auto add = [&](std::size_t i) { data.push_back({axisOf(points[i].instant), valueOf(run, i)}); };
    if (last - first <= 4 * columns) {
        for (std::size_t i = first; i < last; ++i)
            if (kept(i)) add(i);
        return data;
    }
    // First, lowest, highest and last of each pixel column, in time order.
    data.reserve(int(4 * columns + 8));
    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    for (std::size_t i = first; i < last;) {
        const double edge = range.lower + (columnOf(i) + 1) * columnWidth;  // the column's right edge
        std::size_t start = none, low = none, high = none, end = i, final = none;
        double lowest = 0, highest = 0;
        for (; end < last && (end == i || axisOf(points[end].instant) < edge); ++end) {
            if (!kept(end)) continue;
            const double value = valueOf(run, end);
            if (start == none) start = low = high = end, lowest = highest = value;
            if (value < lowest) low = end, lowest = value;
            if (value > highest) high = end, highest = value;
            final = end;
        }
        if (start != none) {
            std::size_t previous = none;
            for (const std::size_t p : {start, std::min(low, high), std::max(low, high), final})
                if (p != previous) add(previous = p);
        }
        i = end;
    }
    return data;
}

void JournalChart::reduceToScreen()
{
    m_reducedWidth = axisRect()->width();
    m_saturatedDrawnAt = saturatedLevel();
    for (std::size_t i = 0; i < m_runs.size() && i < m_runGraphs.size(); ++i)
        m_runGraphs[i]->data()->set(onScreen(m_runs[i], 0), true);
    for (const auto& [flag, graph] : m_flagGraphs) {
        QVector<QCPGraphData> marks;
        for (const Run& run : m_runs)
            if (run.shown) marks += onScreen(run, flag);
        graph->data()->set(marks, false);
    }
}

void JournalChart::drawSun(const record::ObservingSite& site, double from, double to)
{
    QVector<double> keys, values;
    for (const auto& sample : record::sunCurve(site, instantOf(from), instantOf(to), minutes{2}, m_offsetAt)) {
        keys.push_back(axisOf(sample.instant));
        values.push_back(sample.altitude);
    }
    m_sunGraph->setData(keys, values, true);
    QVector<double> clearSky;
    for (const double altitude : values) clearSky.push_back(record::haurwitzClearSky(altitude));
    m_clearSkyGraph->setData(keys, clearSky, true);

    // Night before each sunrise and after each sunset, and the three times of each day as the
    // main window shows them for this site.
    for (int i = itemCount() - 1; i >= 0; --i)
        if (std::find(m_cursorLines.begin(), m_cursorLines.end(), item(i)) == m_cursorLines.end() &&
            std::find(m_cursorLabels.begin(), m_cursorLabels.end(), item(i)) == m_cursorLabels.end())
            removeItem(i);
    m_markers.clear();
    const QLocale locale;
    const QString timeFormat = timeFormatWithSeconds(locale);
    auto shade = [&](double left, double right) {
        if (right <= left) return;
        auto* night = new QCPItemRect(this);
        night->setLayer("night");
        night->setPen(Qt::NoPen);
        night->setBrush(QColor(40, 60, 120, 45));
        night->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
        night->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
        night->topLeft->setCoords(left, 0);
        night->bottomRight->setCoords(right, 1);
    };
    auto mark = [&](sys_seconds instant, astro::DateTime shown, const char* name, double top) {
        const double x = axisOf(instant);
        if (x < from || x > to) return;
        auto* line = new QCPItemStraightLine(this);
        line->setPen(QPen(sunColour().darker(110), 1, Qt::DashLine));
        line->point1->setCoords(x, 0);
        line->point2->setCoords(x, 1);
        const auto time = hh_mm_ss(shown - floor<days>(shown));
        auto* label = new QCPItemText(this);
        label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        label->position->setCoords(x, top);
        label->setPositionAlignment(Qt::AlignTop | Qt::AlignHCenter);
        label->setColor(sunColour().darker(150));
        label->setBrush(QColor(255, 255, 255, 200));
        label->setText(QString::fromUtf8("%1\n%2").arg(
            QString::fromUtf8(name),
            locale.toString(QTime(int(time.hours().count()), int(time.minutes().count()), int(time.seconds().count())),
                            timeFormat)));
    };
    for (QDate date = localOf(from, m_zone).date();; date = date.addDays(1)) {
        const double start = JournalChart::startOfDay(date, m_zone);
        if (start >= to) break;
        const double end = JournalChart::startOfDay(date.addDays(1), m_zone);
        const local_days day{year_month_day{year(date.year()), month(unsigned(date.month())),
                                            std::chrono::day(unsigned(date.day()))}};
        const bool summer = record::summerTimeInForce(m_offsetAt, instantOf((start + end) / 2));
        const record::SunMarkers markers = record::sunMarkers(site, day, summer);
        m_markers.push_back(markers);
        shade(std::max(start, from), std::min(axisOf(markers.sunriseInstant), to));
        shade(std::max(axisOf(markers.sunsetInstant), from), std::min(end, to));
        // Noon's label lower than the others: on a short winter day in a narrow window the
        // three would otherwise overlap.
        mark(markers.sunriseInstant, markers.sunrise, "Lever", 0.01);
        mark(markers.solarNoonInstant, markers.solarNoon, "Midi solaire", 0.14);
        mark(markers.sunsetInstant, markers.sunset, "Coucher", 0.01);
    }
    replot(QCustomPlot::rpQueuedReplot);
}

std::pair<sys_seconds, sys_seconds> JournalChart::visibleRange() const
{
    const QCPRange range = xAxis->range();
    return {sys_seconds(seconds(qint64(std::ceil(range.lower)))),
            sys_seconds(seconds(qint64(std::floor(range.upper))))};
}

void JournalChart::setExportDecorations(const QString& title, int width)
{
    if (title.isEmpty()) {
        if (m_title) {
            plotLayout()->remove(m_title);
            axisRect()->insetLayout()->addElement(legend, Qt::AlignTop | Qt::AlignRight);
            plotLayout()->simplify();
            m_title = nullptr;
        }
        legend->setVisible(false);
        return;
    }
    if (!m_title) {
        // The title over the axes, the legend in a row under them: whatever the day and the
        // range, it hides no sun time, no flag and no reading.
        plotLayout()->insertRow(0);
        m_title = new QCPTextElement(this, title, QFont(font().family(), font().pointSize() + 3, QFont::Bold));
        plotLayout()->addElement(0, 0, m_title);
        plotLayout()->addElement(2, 0, legend);
        plotLayout()->setRowStretchFactor(2, 0.001);
    }
    m_title->setText(title);
    // The runs are named while no two drawn share a colour: a day of many runs would make a
    // legend longer than the picture, and ambiguous.
    const auto drawn = [](const QCPGraph* curve) { return curve->visible() && !curve->data()->isEmpty(); };
    std::set<QRgb> colours;
    bool namesRuns = true;
    for (const QCPGraph* run : m_runGraphs)
        if (drawn(run) && !colours.insert(run->pen().color().rgb()).second) namesRuns = false;
    legend->clearItems();
    for (int i = 0; i < graphCount(); ++i)
        if (drawn(graph(i)) && (namesRuns || i < graphCount() - int(m_runGraphs.size()))) graph(i)->addToLegend();
    // Four entries a row, fewer when they would not fit across.
    for (int columns = 4; columns > 0; --columns) {
        legend->setWrap(columns);
        legend->setFillOrder(QCPLegend::foColumnsFirst, true);
        if (legend->minimumOuterSizeHint().width() <= width) break;
    }
    legend->setBorderPen(Qt::NoPen);
    legend->setVisible(true);
}

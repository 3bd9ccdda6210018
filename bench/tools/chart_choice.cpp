// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
//
// Which plotting library should draw the day view? This tool plots the same synthetic day with
// Qt Charts and with QCustomPlot and reports what each costs:
//
//   - one day of readings: 86,400 points at 1 s (millivolts 0..4095, x = UTC seconds) in 3 runs,
//     one trace per run, plus the sun's altitude (one sample a minute, 1,441 points) on a second
//     y axis (-90..90 degrees), under a date-time x axis;
//   - open: from the readings in memory to the first painted 1000x600 chart (widget built, data
//     handed over, one render into a QImage), median of 10;
//   - repaint: x range changed then the chart rendered again (a 2-hour window panned across the
//     day in 40 steps, then zooms from the whole day down to 10 minutes), median / p95 / max;
//   - append: one reading added to the last run, then rendered (whole-day view), median;
//   - memory: resident set growth once the day chart is built and painted, against an empty
//     chart of the same library already built and painted.
//
//   QT_QPA_PLATFORM=offscreen chart_choice            all libraries, one child process each
//   QT_QPA_PLATFORM=offscreen chart_choice --library qcustomplot|qtcharts|qtcharts-gl
//   ... --png DIR     also save each library's first painted day as DIR/chart_choice_LIBRARY.png
//
// Each library runs in its own child process so that one library's heap does not blur the
// other's memory figure, and so that a library that cannot work here (Qt Charts' OpenGL path
// without an OpenGL context) is reported instead of taking the whole tool down. The figures are
// for reading: the tool never fails on them.
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QImage>
#include <QLineSeries>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QProcess>
#include <QTimeZone>
#include <QValueAxis>

#include <qcustomplot.h>

#include "resident_memory.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 600;
constexpr int kDaySeconds = 86400;
constexpr int kRuns = 3;
constexpr int kOpenRepeats = 10;
constexpr int kPanSteps = 40;
constexpr int kZoomSteps = 12;
constexpr int kRangePasses = 2;
constexpr int kAppends = 30;
constexpr double kPi = 3.14159265358979323846;

// What the day view will have in memory once the measurement files are read back.
struct Reading {
  std::int64_t utc;  // seconds since the epoch
  int millivolts;    // 0..4095
};
struct SunSample {
  std::int64_t utc;
  double altitude;  // degrees
};
struct Day {
  std::int64_t start = 0;  // 00:00:00 UTC
  std::vector<std::vector<Reading>> runs;
  std::vector<SunSample> sun;
};

// Sun altitude for a site at 45 N, 0 E on the June solstice: good enough for a plausible curve.
double sun_altitude(double seconds_of_day) {
  const double latitude = 45.0 * kPi / 180.0;
  const double declination = 23.44 * kPi / 180.0;
  const double hour_angle = (seconds_of_day / 3600.0 - 12.0) * 15.0 * kPi / 180.0;
  const double s = std::sin(latitude) * std::sin(declination) +
                   std::cos(latitude) * std::cos(declination) * std::cos(hour_angle);
  return std::asin(s) * 180.0 / kPi;
}

Day make_day() {
  Day day;
  day.start = QDateTime(QDate(2026, 6, 21), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
  std::mt19937 rng(20260621u);
  std::normal_distribution<double> noise(0.0, 12.0);
  const int per_run = kDaySeconds / kRuns;
  day.runs.resize(kRuns);
  for (int run = 0; run < kRuns; ++run) {
    auto &points = day.runs[static_cast<std::size_t>(run)];
    points.reserve(static_cast<std::size_t>(per_run) + kAppends);
    for (int i = run * per_run; i < (run + 1) * per_run; ++i) {
      const double altitude = sun_altitude(i);
      const double light = altitude > 0.0 ? std::pow(std::sin(altitude * kPi / 180.0), 1.2) : 0.0;
      // slow passing clouds dim the daylight a little
      const double clouds = 1.0 - 0.15 * (0.5 + 0.5 * std::sin(i / 1700.0)) * (0.5 + 0.5 * std::sin(i / 310.0));
      const double mv = 150.0 + 3700.0 * light * clouds + noise(rng);
      points.push_back({day.start + i, std::clamp(static_cast<int>(std::lround(mv)), 0, 4095)});
    }
  }
  for (int minute = 0; minute <= kDaySeconds / 60; ++minute)
    day.sun.push_back({day.start + minute * 60, sun_altitude(minute * 60.0)});
  return day;
}

using Clock = std::chrono::steady_clock;
double ms_since(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Stats {
  double median = 0, p95 = 0, max = 0;
};
Stats stats_of(std::vector<double> v) {
  Stats s;
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  s.median = n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
  s.p95 = v[std::min(n - 1, static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n))) - 1)];
  s.max = v.back();
  return s;
}

// Trace colours: distinct pure colours so that the rendered image can be checked for ink.
const QColor kRunColours[kRuns] = {QColor(0, 0, 255), QColor(0, 160, 0), QColor(200, 0, 0)};
const QColor kSunColour(255, 140, 0);

// Pixels of the trace colours: proves the traces were really drawn, not just the frame.
long trace_ink(const QImage &image) {
  long ink = 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = line[x];
      for (const QColor &c : kRunColours)
        if (std::abs(qRed(p) - c.red()) < 40 && std::abs(qGreen(p) - c.green()) < 40 &&
            std::abs(qBlue(p) - c.blue()) < 40) {
          ++ink;
          break;
        }
    }
  }
  return ink;
}

// Delivers the widget's resize and layout as a first show would, then hides it again: from then
// on only render() paints it, once per change, as the screen would be painted once. (A shown
// widget, even off screen, would also be painted from the event loop and pay for it twice.)
void lay_out_hidden(QWidget &w) {
  w.setAttribute(Qt::WA_DontShowOnScreen);
  w.show();
  QCoreApplication::processEvents();
  w.hide();
}

// One library's chart, behind the operations the measurements need.
class Chart {
 public:
  virtual ~Chart() = default;
  virtual QWidget *widget() = 0;
  virtual void set_day(const Day &day) = 0;       // hand the whole day over
  virtual void set_x_range(double lo, double hi) = 0;  // UTC seconds
  virtual void append(const Reading &r) = 0;      // one more reading on the last run
  // Paint the chart into the image, as the screen would get it.
  virtual void render(QImage &image) = 0;
};

// --- QCustomPlot: one QCPGraph per run (adaptive sampling on by default) ----------------------
class CustomPlotChart final : public Chart {
 public:
  CustomPlotChart() {
    plot_.resize(kWidth, kHeight);
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat("hh:mm");
    ticker->setTimeZone(QTimeZone::utc());
    plot_.xAxis->setTicker(ticker);
    plot_.yAxis->setRange(0, 4095);
    plot_.yAxis->setLabel("mV");
    plot_.yAxis2->setVisible(true);
    plot_.yAxis2->setRange(-90, 90);
    plot_.yAxis2->setLabel("sun altitude (deg)");
    for (int run = 0; run < kRuns; ++run) {
      QCPGraph *g = plot_.addGraph(plot_.xAxis, plot_.yAxis);
      g->setPen(QPen(kRunColours[run]));
      runs_.push_back(g);
    }
    sun_ = plot_.addGraph(plot_.xAxis, plot_.yAxis2);
    sun_->setPen(QPen(kSunColour));
    lay_out_hidden(plot_);
  }
  QWidget *widget() override { return &plot_; }
  void set_day(const Day &day) override {
    for (int run = 0; run < kRuns; ++run) {
      const auto &src = day.runs[static_cast<std::size_t>(run)];
      QVector<QCPGraphData> data;
      data.reserve(static_cast<qsizetype>(src.size()));
      for (const Reading &r : src) data.append(QCPGraphData(static_cast<double>(r.utc), r.millivolts));
      runs_[static_cast<std::size_t>(run)]->data()->set(data, true);
    }
    QVector<QCPGraphData> sun;
    sun.reserve(static_cast<qsizetype>(day.sun.size()));
    for (const SunSample &s : day.sun) sun.append(QCPGraphData(static_cast<double>(s.utc), s.altitude));
    sun_->data()->set(sun, true);
    plot_.xAxis->setRange(static_cast<double>(day.start), static_cast<double>(day.start + kDaySeconds));
  }
  void set_x_range(double lo, double hi) override { plot_.xAxis->setRange(lo, hi); }
  void append(const Reading &r) override {
    runs_.back()->addData(static_cast<double>(r.utc), r.millivolts);
  }
  void render(QImage &image) override {
    plot_.replot(QCustomPlot::rpImmediateRefresh);
    QCoreApplication::processEvents();
    plot_.render(&image);
  }

 private:
  QCustomPlot plot_;
  std::vector<QCPGraph *> runs_;
  QCPGraph *sun_ = nullptr;
};

// --- Qt Charts: one QLineSeries per run in a QChart / QChartView, QDateTimeAxis -----------------
class QtChartsChart final : public Chart {
 public:
  explicit QtChartsChart(bool opengl) {
    chart_ = new QChart;  // owned by the view
    chart_->legend()->hide();
    chart_->setAnimationOptions(QChart::NoAnimation);
    x_ = new QDateTimeAxis;
    x_->setFormat("hh:mm");
    y_ = new QValueAxis;
    y_->setRange(0, 4095);
    y_->setTitleText("mV");
    sun_axis_ = new QValueAxis;
    sun_axis_->setRange(-90, 90);
    sun_axis_->setTitleText("sun altitude (deg)");
    chart_->addAxis(x_, Qt::AlignBottom);
    chart_->addAxis(y_, Qt::AlignLeft);
    chart_->addAxis(sun_axis_, Qt::AlignRight);
    for (int run = 0; run < kRuns; ++run) {
      auto *s = new QLineSeries;
      s->setUseOpenGL(opengl);
      s->setPen(QPen(kRunColours[run]));
      chart_->addSeries(s);
      s->attachAxis(x_);
      s->attachAxis(y_);
      runs_.push_back(s);
    }
    sun_ = new QLineSeries;
    sun_->setUseOpenGL(opengl);
    sun_->setPen(QPen(kSunColour));
    chart_->addSeries(sun_);
    sun_->attachAxis(x_);
    sun_->attachAxis(sun_axis_);
    view_.setChart(chart_);
    view_.resize(kWidth, kHeight);
    lay_out_hidden(view_);
  }
  QWidget *widget() override { return &view_; }
  void set_day(const Day &day) override {
    for (int run = 0; run < kRuns; ++run) {
      const auto &src = day.runs[static_cast<std::size_t>(run)];
      QList<QPointF> points;
      points.reserve(static_cast<qsizetype>(src.size()));
      for (const Reading &r : src) points.append(QPointF(static_cast<double>(r.utc) * 1000.0, r.millivolts));
      runs_[static_cast<std::size_t>(run)]->replace(points);
    }
    QList<QPointF> sun;
    sun.reserve(static_cast<qsizetype>(day.sun.size()));
    for (const SunSample &s : day.sun) sun.append(QPointF(static_cast<double>(s.utc) * 1000.0, s.altitude));
    sun_->replace(sun);
    set_x_range(static_cast<double>(day.start), static_cast<double>(day.start + kDaySeconds));
  }
  void set_x_range(double lo, double hi) override {
    x_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(lo * 1000.0), Qt::UTC),
                 QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(hi * 1000.0), Qt::UTC));
  }
  void append(const Reading &r) override {
    runs_.back()->append(static_cast<double>(r.utc) * 1000.0, r.millivolts);
  }
  void render(QImage &image) override {
    // the scene lays itself out and collects its dirty items from posted events
    QCoreApplication::processEvents();
    view_.QWidget::render(&image);  // the widget as on screen, not QGraphicsView::render
  }

 private:
  QChartView view_;
  QChart *chart_ = nullptr;
  QDateTimeAxis *x_ = nullptr;
  QValueAxis *y_ = nullptr;
  QValueAxis *sun_axis_ = nullptr;
  std::vector<QLineSeries *> runs_;
  QLineSeries *sun_ = nullptr;
};

// Counts the paint events a widget and its children receive: one change should cost one paint.
class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget &w) {
    w.installEventFilter(this);
    for (QWidget *child : w.findChildren<QWidget *>()) child->installEventFilter(this);
  }
  long count = 0;

 protected:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

std::unique_ptr<Chart> make_chart(const std::string &library) {
  if (library == "qcustomplot") return std::make_unique<CustomPlotChart>();
  return std::make_unique<QtChartsChart>(library == "qtcharts-gl");
}

bool opengl_available() {
  QOpenGLContext context;
  if (!context.create()) return false;
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  return surface.isValid() && context.makeCurrent(&surface);
}

// Measures one library and prints one "RESULT key=value ..." line for the parent.
int measure(const std::string &library, const std::string &png_dir) {
  if (library == "qtcharts-gl" && !opengl_available()) {
    std::printf("RESULT library=%s status=no-opengl-context\n", library.c_str());
    return 0;
  }
  const Day day = make_day();
  QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);

  // memory: an empty chart, built and painted once, then the day's chart next to it
  auto empty = make_chart(library);
  empty->render(image);
  QCoreApplication::processEvents();
  const long rss_empty = residentKiB();
  auto full = make_chart(library);
  full->set_day(day);
  full->render(image);
  QCoreApplication::processEvents();
  const long rss_full = residentKiB();
  const long ink = trace_ink(image);
  if (!png_dir.empty()) image.save(QString::fromStdString(png_dir + "/chart_choice_" + library + ".png"));
  full.reset();
  empty.reset();

  // open: readings in memory to the first painted chart
  std::vector<double> open_ms;
  for (int i = 0; i < kOpenRepeats; ++i) {
    image.fill(Qt::white);
    const auto t0 = Clock::now();
    auto chart = make_chart(library);
    chart->set_day(day);
    chart->render(image);
    open_ms.push_back(ms_since(t0));
  }

  // repaint after a change of x range
  auto chart = make_chart(library);
  chart->set_day(day);
  chart->render(image);
  const double start = static_cast<double>(day.start);
  std::vector<double> pan_ms, zoom_ms, range_ms;
  PaintCounter paints(*chart->widget());
  for (int pass = 0; pass < kRangePasses; ++pass) {
    const double window = 2 * 3600.0;
    for (int i = 0; i < kPanSteps; ++i) {
      const double lo = start + (kDaySeconds - window) * i / (kPanSteps - 1);
      const auto t0 = Clock::now();
      chart->set_x_range(lo, lo + window);
      chart->render(image);
      pan_ms.push_back(ms_since(t0));
    }
    const double noon = start + kDaySeconds / 2.0;
    for (int i = 0; i < kZoomSteps; ++i) {
      const double width = kDaySeconds * std::pow(600.0 / kDaySeconds, static_cast<double>(i) / (kZoomSteps - 1));
      const auto t0 = Clock::now();
      chart->set_x_range(noon - width / 2, noon + width / 2);
      chart->render(image);
      zoom_ms.push_back(ms_since(t0));
    }
  }
  const double paints_per_render =
      static_cast<double>(paints.count) / static_cast<double>(kRangePasses * (kPanSteps + kZoomSteps));
  range_ms = pan_ms;
  range_ms.insert(range_ms.end(), zoom_ms.begin(), zoom_ms.end());

  // append one reading to the last run, whole day in view
  chart->set_x_range(start, start + kDaySeconds + kAppends + 60);
  chart->render(image);
  std::vector<double> append_ms, append_data_ms;
  std::int64_t utc = day.runs.back().back().utc;
  for (int i = 0; i < kAppends; ++i) {
    const Reading r{++utc, day.runs.back().back().millivolts};
    const auto t0 = Clock::now();
    chart->append(r);
    append_data_ms.push_back(ms_since(t0));
    chart->render(image);
    append_ms.push_back(ms_since(t0));
  }

  const Stats open = stats_of(open_ms), range = stats_of(range_ms), pan = stats_of(pan_ms),
              zoom = stats_of(zoom_ms), app = stats_of(append_ms),
              app_data = stats_of(append_data_ms);
  std::printf(
      "RESULT library=%s status=ok open=%.2f repaint_med=%.2f repaint_p95=%.2f repaint_max=%.2f "
      "pan_med=%.2f zoom_med=%.2f zoom_max=%.2f append_med=%.2f append_max=%.2f append_data_us=%.1f "
      "mem_mib=%.1f ink=%ld paints=%.2f\n",
      library.c_str(), open.median, range.median, range.p95, range.max, pan.median, zoom.median, zoom.max,
      app.median, app.max, app_data.median * 1000.0, (rss_full - rss_empty) / 1024.0, ink, paints_per_render);
  std::fflush(stdout);
  return 0;
}

struct Row {
  std::string library, status;
  std::vector<std::pair<std::string, std::string>> fields;
  std::string get(const std::string &key) const {
    for (const auto &[k, v] : fields)
      if (k == key) return v;
    return "-";
  }
};

Row run_child(const QString &self, const std::string &library, const QString &png_dir) {
  Row row{library, "no result", {}};
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QStringList args{"--library", QString::fromStdString(library)};
  if (!png_dir.isEmpty()) args << "--png" << png_dir;
  child.start(self, args);
  if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit) {
    row.status = "crashed";
    return row;
  }
  const QStringList lines = QString::fromLocal8Bit(child.readAllStandardOutput()).split('\n');
  for (const QString &line : lines) {
    if (!line.startsWith("RESULT ")) continue;
    for (const QString &field : line.mid(7).split(' ', Qt::SkipEmptyParts)) {
      const qsizetype eq = field.indexOf('=');
      if (eq < 0) continue;
      const std::string k = field.left(eq).toStdString(), v = field.mid(eq + 1).toStdString();
      if (k == "status") row.status = v;
      else row.fields.emplace_back(k, v);
    }
  }
  if (row.status == "no result" && child.exitCode() != 0) row.status = "exit " + std::to_string(child.exitCode());
  return row;
}

int run_all(const QString &self, const QString &png_dir) {
  const char *libraries[] = {"qcustomplot", "qtcharts", "qtcharts-gl"};
  std::printf("Day view plotting: %d readings at 1 s in %d runs + %d sun samples on a second axis, %dx%d px\n",
              kDaySeconds, kRuns, kDaySeconds / 60 + 1, kWidth, kHeight);
  std::printf("open = readings in memory to first painted chart (median of %d); repaint = x range change + render\n",
              kOpenRepeats);
  std::printf("(%d pans of a 2 h window + %d zooms day..10 min, x%d); append = 1 reading on the last run + render\n",
              kPanSteps, kZoomSteps, kRangePasses);
  std::printf("(whole day in view, %d times); memory = RSS growth against an empty chart of the same library\n\n",
              kAppends);
  std::printf("%-12s %8s %8s %8s %8s %8s %8s %8s %8s %8s %7s %6s\n", "library", "open ms", "rep med",
              "rep p95", "rep max", "pan med", "zoom med", "app med", "app us", "mem MiB", "ink px", "paints");
  std::vector<Row> rows;
  for (const char *library : libraries) {
    const Row row = run_child(self, library, png_dir);
    if (row.status != "ok") {
      std::printf("%-13s not measured: %s\n", library, row.status.c_str());
      continue;
    }
    std::printf("%-12s %8s %8s %8s %8s %8s %8s %8s %8s %8s %7s %6s\n", library, row.get("open").c_str(),
                row.get("repaint_med").c_str(), row.get("repaint_p95").c_str(), row.get("repaint_max").c_str(),
                row.get("pan_med").c_str(), row.get("zoom_med").c_str(), row.get("append_med").c_str(),
                row.get("append_data_us").c_str(), row.get("mem_mib").c_str(), row.get("ink").c_str(),
                row.get("paints").c_str());
    rows.push_back(row);
  }
  std::printf("(rep/pan/zoom/app in ms; app us = the append call alone, without the repaint; ink px = pixels\n"
              " of the run colours in the first painted day; paints = paint events per repaint, widget and children)\n");
  std::printf("\ngoals: open < 150 ms, repaint p95 < 16 ms, append < 1 ms, memory < 30 MiB\n");
  for (const Row &row : rows) {
    const auto num = [&](const char *k) { return std::atof(row.get(k).c_str()); };
    const bool ok_open = num("open") < 150, ok_rep = num("repaint_p95") < 16, ok_app = num("append_med") < 1,
               ok_mem = num("mem_mib") < 30;
    std::printf("%-13s open %s, repaint %s, append %s, memory %s\n", row.library.c_str(), ok_open ? "met" : "MISSED",
                ok_rep ? "met" : "MISSED", ok_app ? "met" : "MISSED", ok_mem ? "met" : "MISSED");
  }
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  qputenv("TZ", "UTC");  // axis labels in UTC for every library
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  const auto value_of = [&](const char *option) {
    const qsizetype at = args.indexOf(option);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
  };
  const QString png_dir = value_of("--png");
  const QString library = value_of("--library");
  if (!library.isEmpty()) return measure(library.toStdString(), png_dir.toStdString());
  return run_all(QCoreApplication::applicationFilePath(), png_dir);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The day view on real files, as the user sees it: runs, sun, axis, range, following, labels,
// exports and what cannot be read (the main window's file label that opens it: window_look_test);
// then in sunlight terms: a calibrated day in W/m² and its résumé, « Capteur… » adding a row,
// « Bilan du mois » listing a folder's days and opening one.
#include <fcntl.h>
#include <sys/stat.h>

#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "support/temp_dir.h"
#include "ui/image_size_dialog.h"
#include "ui/journal_chart.h"
#include "ui/journal_export.h"
#include "ui/journal_window.h"
#include "ui/month_window.h"
#include "ui/run_list.h"
#include "ui/sensor_dialog.h"
#include "ui/summary_panel.h"

namespace {

using namespace std::chrono;
using std::filesystem::path;
using Kind = acquisition::RunEvent::Kind;

/// An expected text with its French spaces written where they stand: '~' non-breaking, '^' narrow.
QString spaced(const char* text) { return QString::fromUtf8(text).replace('~', QChar(0x00A0)).replace('^', QChar(0x202F)); }

std::string lines(int first, int count, seconds from, int millivolts, seconds step = 1s)
{
    std::string out;
    for (int i = 0; i < count; ++i) out += acquisition::dataLine(first + i, millivolts + i, hh_mm_ss<seconds>{(from + i * step) % days{1}});
    return out;
}

const local_days kDay{2026y / June / 21};
const sys_seconds kMidnight = sys_days{kDay.time_since_epoch()} - 2h;  // 00:00 in Paris summer time

// A companion's row in summer time at Chelles (48.52° N, 2.35° E) or Nîmes (43.5° N, 4.21° E).
std::string row(Kind kind, local_seconds local, const std::string& site, int next, int period = 1)
{
    const bool chelles = site == "Chelles";
    return acquisition::companionLine({kind, local, 120min, next, site, chelles ? 48.5246 : 43.5, chelles ? 2.3523 : 4.21, period, "", ""});
}

// A June day in Paris of two runs: 09:00 for 100 s (kept aside, no end row), then 14:00 for
// 50 s (at Nîmes), looked at a second after its last line was written.
class JournalTest : public ::testing::Test {
protected:
    JournalTest()
    {
        std::filesystem::create_directory(folder);
        TempDir::append(folder / "data06-21-2026.val.1", lines(2, 100, 9h, 1000));
        TempDir::append(folder / "data06-21-2026.run.1", acquisition::companionHeader() + row(Kind::Start, kDay + 9h, "Chelles", 2));
        TempDir::append(dayFile, lines(2, 50, 14h, 3000));
        TempDir::append(companion, acquisition::companionHeader() + row(Kind::Start, kDay + 14h, "Nîmes", 2));
        written(kMidnight + 14h + 49s);
    }
    void written(sys_seconds at)  // the day file's modification time; now a second later
    {
        const timespec times[2] = {{at.time_since_epoch().count(), 0}, {at.time_since_epoch().count(), 0}};
        ::utimensat(AT_FDCWD, dayFile.c_str(), times, 0);
        now = at + 1s;
    }
    std::unique_ptr<JournalWindow> open(const path& file, QSize size = {1000, 680})  // shown and laid out
    {
        auto view = std::make_unique<JournalWindow>(JournalSetup{file, QTimeZone("Europe/Paris"), kDay, 500, [this] { return now; }, 32 << 20});
        view->resize(size);
        view->show();
        view->chart()->replot();
        return view;
    }
    static void showRange(JournalWindow& view, sys_seconds from, sys_seconds to)
    {
        view.chart()->xAxis->setRange(JournalChart::axisOf(from), JournalChart::axisOf(to));
        view.chart()->replot();
    }
    TempDir dir;
    path folder = dir.path() / "velmorixon";
    path dayFile = folder / "data06-21-2026.val";
    path companion = folder / "data06-21-2026.run";
    sys_seconds now;
};

// That day's file open at its usual size.
class JournalView : public JournalTest {
protected:
    std::unique_ptr<JournalWindow> view = open(dayFile);
};

// The highest the sun climbs on 21 June at a latitude, 90° - latitude + 23.44°: the sun's
// curve peaks there (sampled every two minutes, within 0.05°).
double solsticeNoonAltitude(double latitude) { return 90 - latitude + 23.44; }
double highest(const QCPGraph* graph) { return std::max_element(graph->data()->begin(), graph->data()->end(), [](auto& a, auto& b) { return a.value < b.value; })->value; }
// The night's shaded stretches of the chart, as local "HH:mm" pairs.
std::vector<std::string> nights(JournalChart& chart)
{
    std::vector<std::string> out;
    const auto local = [](double axis) { return QDateTime::fromSecsSinceEpoch(qint64(axis), QTimeZone("Europe/Paris")).toString("HH:mm").toStdString(); };
    for (int i = 0; i < chart.itemCount(); ++i)
        if (auto* night = qobject_cast<QCPItemRect*>(chart.item(i)); night && night->layer()->name() == "night")
            out.push_back(local(night->topLeft->coords().x()) + "-" + local(night->bottomRight->coords().x()));
    return out;
}

TEST_F(JournalView, ShowsEachRunOnTheDaysLocalAxisWithTheNewestRunsSiteItsSunAndItsNight)
{
    EXPECT_EQ(view->windowTitle(), spaced("Journal des mesures — 21~juin~2026"));
    ASSERT_EQ(view->record().runs().size(), 2u);
    EXPECT_EQ(view->runLabel(0) + " | " + view->runLabel(1),
              spaced("Série~1~: 09:00:00 – 09:01:39, interrompue | Série~2~: 14:00:00 – 14:00:49, en cours"));
    EXPECT_EQ(view->findChild<QComboBox*>("site")->currentText().toStdString(), "Nîmes");
    EXPECT_NEAR(highest(view->chart()->sunGraph()), solsticeNoonAltitude(43.5), 0.05);
    // Worked by hand for the solstice in summer time: solar noon 14:00 - 4 min per degree east + 1.8 min,
    // half a day of 7 h 42 min at 43.5° N (8 h 02 min at 48.52° N). Nîmes, 4.21° E: 06:02 to 21:26.
    EXPECT_EQ(nights(*view->chart()), (std::vector<std::string>{"00:00-06:02", "21:26-00:00"}));
    view->setSite(7);  // Chelles, 48.52° N, 2.35° E: 05:49 to 21:54
    EXPECT_NEAR(highest(view->chart()->sunGraph()), solsticeNoonAltitude(48.5246), 0.05);
    EXPECT_EQ(nights(*view->chart()), (std::vector<std::string>{"00:00-05:49", "21:54-00:00"}));
}

TEST_F(JournalTest, TicksFallOnLocalWholeHours)
{
    const std::vector<QString> wholeDay{"00:00", "06:00", "12:00", "18:00", "00:00"};
    const struct { const char* name; year_month_day day; int fromHour, toHour; std::vector<QString> labels; } rows[] = {
        // hours: universal, after the day's 00:00 UTC; 0, 0: the whole day
        {"a winter day", 2026y / December / 7, 0, 0, wholeDay}, {"a summer day", 2026y / June / 21, 0, 0, wholeDay},
        {"the autumn change", 2026y / October / 25, 0, 0, wholeDay},
        {"the repeated hour", 2026y / October / 25, 0, 2, {"02:00", "02:30", "02:00", "02:30", "03:00"}},
        {"two days", 2026y / December / 7, 12, 36, {"18:00\n7 déc.", "00:00\n8 déc.", "06:00", "12:00"}}};
    for (const auto& r : rows) {
        const path file = dir.path() / r.name / acquisition::dataFileName(r.day);
        std::filesystem::create_directory(file.parent_path());
        TempDir::append(file, lines(100, 3, 15h, 100));
        auto view = open(file, {760, 560});
        if (r.toHour != 0) showRange(*view, sys_days{r.day} + hours(r.fromHour), sys_days{r.day} + hours(r.toHour));
        EXPECT_EQ(view->chart()->xAxis->tickVectorLabels(), QVector<QString>(r.labels.begin(), r.labels.end())) << r.name;
        EXPECT_EQ(view->findChild<QComboBox*>("site")->currentText(), "Chelles") << "without a companion: the main window's site";
    }
}

// A run going on past midnight in its start-up day's file: each day's view has the readings of
// its own local date, the next day's without a file of its own.
TEST_F(JournalTest, ARunPastMidnightGivesItsLaterReadingsToTheNextDaysView)
{
    TempDir::append(dayFile, lines(52, 3, 23h + 59min + 58s, 9) + lines(55, 1, 30min, 9));  // to 00:00:00, then 00:30:00
    written(kMidnight + 24h + 30min);
    auto view = open(dayFile);
    EXPECT_TRUE(view->visibleRange() == std::pair(kMidnight, kMidnight + 24h) &&
                view->runLabel(1) == spaced("Série~2~: 14:00:00 – 23:59:59, en cours")) << view->runLabel(1).toStdString();
    auto next = open(folder / "data06-22-2026.val");
    EXPECT_TRUE(next->visibleRange() == std::pair(kMidnight + 24h, kMidnight + 48h) &&
                next->runLabel(0) == spaced("Série~1~: 00:00:00 – 00:30:00, en cours")) << next->runLabel(0).toStdString();
}

TEST_F(JournalView, FiguresAndTheCursorReadTheVisibleRangeFollowingZoom)
{
    // A status label's whole text is its tooltip (the label itself may be elided).
    const auto figures = [&] { return view->findChild<QLabel*>("figures")->toolTip(); };
    EXPECT_TRUE(figures().startsWith(spaced("150~mesures")));
    showRange(*view, kMidnight + 9h, kMidnight + 9h + 9s);
    EXPECT_EQ(figures(), spaced("10~mesures · min 1^000~mV · max 1^009~mV · moyenne 1^004,5~mV"));
    view->setFittedY(true);
    EXPECT_TRUE(view->chart()->valueAxis()->range().lower > 900 && view->chart()->valueAxis()->range().upper < 1100);

    showRange(*view, kMidnight + 14h - 20s, kMidnight + 14h + 40s);  // the pointer on 14:00:10
    view->pointAt(int(view->chart()->xAxis->coordToPixel(JournalChart::axisOf(kMidnight + 14h + 10s))));
    // Whole at 1000 px, in the panel under the chart, and still there when the pointer leaves.
    view->pointAt(2);  // then over the value axis, on no time of the chart
    QEvent leave(QEvent::Leave);  // offscreen, moving the pointer away makes none
    QApplication::sendEvent(view->chart(), &leave);
    const QLabel* label = view->findChild<QLabel*>("cursorReadout");
    const QString readout = label->text();
    EXPECT_TRUE(readout.startsWith(spaced("21/06/2026 14:00:10 (UTC+02:00) · n°~12 · 3^010~mV · ")) &&
                readout.endsWith(QString::fromUtf8("° · sans étalonnage (mV)"))) << readout.toStdString();
    EXPECT_TRUE(label->isVisible() && label->height() >= label->heightForWidth(label->width()) &&
                label->mapTo(view.get(), QPoint(label->width(), label->height())).x() <= view->width());
    const auto bars = view->findChildren<QToolBar*>();
    for (const char* name : {"exportImage", "exportVisibleCsv", "exportDayCsv", "month", "compare"}) {  // none behind an overflow
        QAction* action = view->findChild<QAction*>(name);
        EXPECT_TRUE(std::any_of(bars.begin(), bars.end(), [&](QToolBar* bar) { return bar->widgetForAction(action) && bar->widgetForAction(action)->isVisible(); })) << name;
    }
    view->openFile(folder / "data06-21-2026.val.1");
    EXPECT_TRUE(label->isHidden()) << "no reading of the day before";
}

TEST_F(JournalView, FollowingKeepsTheNewestReadingOnScreenAsLinesArriveUntilAPan)
{
    view->setFollowing(true);
    for (int step = 0; step < 2; ++step) {
        TempDir::append(dayFile, lines(52 + 600 * step, 600, 14h + 50s + step * 600s, 3050));
        view->refresh();
        const double newest = JournalChart::axisOf(kMidnight + 14h + 10min + 49s + step * 10min);  // 14:10:49, then 14:20:49
        const auto range = view->chart()->xAxis->range();
        EXPECT_TRUE(newest <= range.upper && newest > range.lower + 0.8 * range.size()) << "step " << step;
    }
    QTest::keyClick(view->chart(), Qt::Key_Left);  // panning turns following off
    TempDir::append(dayFile, lines(1252, 5, 14h + 20min + 50s, 3050));
    view->refresh();
    EXPECT_FALSE(view->findChild<QAction*>("follow")->isChecked() || view->chart()->xAxis->range().upper > JournalChart::axisOf(kMidnight + 14h + 20min + 50s));
}

TEST_F(JournalView, RunLabelsFollowTheFileItsCompanionAndTheTimeAndRunsKeepTheirColour)
{
    TempDir::append(dayFile, lines(52, 10, 14h + 50s, 3050));
    written(kMidnight + 14h + 59s);
    std::string labels;
    const auto look = [&] { view->refresh(), labels += view->runLabel(1).toStdString() + " | "; };
    look();
    now += 10min;  // nothing written since: the program is gone
    look();
    TempDir::append(companion, row(Kind::Stop, kDay + 14h + 1min, "Nîmes", 62) + "garbage\r\n");  // the companion read again as it grows
    look();
    EXPECT_EQ(labels, spaced("Série~2~: 14:00:00 – 14:00:59, en cours | Série~2~: 14:00:00 – 14:00:59, interrompue | Série~2~: 14:00:00 – 14:00:59, arrêtée | ").toStdString());
    EXPECT_EQ(view->record().malformedCompanionRows(), 1u);

    const QColor second = view->chart()->runGraph(1)->pen().color();
    std::filesystem::rename(dayFile, folder / "data06-21-2026.val.2");
    TempDir::append(dayFile, lines(2, 3, 15h, 2000));
    view->refresh();
    EXPECT_TRUE(view->chart()->runGraph(1)->pen().color() == second && view->chart()->runGraph(2)->pen().color() != second);
}

// A day of 200 runs, a minute apart, and an empty file under two names, looked at again: the
// window stays on a 1024 × 768 screen with the newest run in sight in the list; the oldest is
// a scroll away, and a click there still hides it.
TEST_F(JournalTest, ADayOfManyRunsKeepsTheWindowOnTheScreenTheNewestRunInSightAndTheOldestAScrollAway)
{
    const path day = folder / "data06-22-2026.val";
    for (unsigned run = 1; run < 200; ++run) TempDir::append(acquisition::numberedCopy(day, run), lines(2, 2, run * 1min, 1000));
    TempDir::append(day, lines(2, 2, 200min, 2000));
    TempDir::append(acquisition::numberedCopy(day, 200), "");
    for (unsigned name = 201; name <= 203; ++name) std::filesystem::create_hard_link(acquisition::numberedCopy(day, 200), acquisition::numberedCopy(day, name));
    auto view = open(day);
    view->refresh();
    const QString said = view->findChild<QLabel*>("journalMessage")->text();
    EXPECT_TRUE(said.count("ne contient aucune") == 3 && said.endsWith(spaced("lisible.\net 1~autre série sans ligne lisible.")));
    EXPECT_TRUE(view->frameGeometry().width() <= 1024 && view->frameGeometry().height() <= 768) << view->frameGeometry().height();
    auto* list = view->findChild<RunList*>("runs");
    const auto inSight = [&](std::size_t run) { return list->viewport()->rect().contains(list->visualRect(list->indexOf(run))); };
    EXPECT_TRUE(inSight(203) && !inSight(0) && view->runLabel(203) == spaced("Série~204~: 03:20:00 – 03:20:01, interrompue"));
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->minimum());  // scrolled to the top
    ASSERT_TRUE(inSight(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->indexOf(0)).center());
    EXPECT_TRUE(!view->chart()->runGraph(0)->visible() && view->findChild<QLabel*>("figures")->toolTip().startsWith(spaced("398~mesures")));
}

TEST_F(JournalView, ExportsTheDayOrTheRangeAsCsvUnderTheNamesProposed)
{
    const path csv = dir.path() / "jour.csv";
    showRange(*view, kMidnight + 9h + 10s, kMidnight + 9h + 11s);
    // The readings' columns as written, the altitude, then irradiance, clear-sky index and flag (none here).
    const std::string header = "date_heure;numero;millivolts;hauteur_soleil_deg;irradiance_W_m2;indice_ciel_clair;drapeau;date_heure_locale\r\n";
    const std::string range = view->exportCsv(csv, false).isEmpty() ? TempDir::read(csv) : "";
    EXPECT_EQ(range.substr(0, header.size() + 34), header + "2026-06-21T09:00:10+02:00;12;1010;");
    EXPECT_TRUE(std::count(range.begin(), range.end(), '\n') == 3 && range.ends_with(";;;2026-06-21T09:00:11\r\n")) << range;
    const std::string day = view->exportCsv(csv, true).isEmpty() ? TempDir::read(csv) : "";
    EXPECT_EQ(std::count(day.begin(), day.end(), '\n'), 151);
    EXPECT_TRUE(day.find(";2;1000;") < day.find("2026-06-21T14:00:49+02:00;51;3049;")) << "runs in time order";
    view->setRunShown(0, false);  // a hidden run leaves the range's rows, not the day's
    showRange(*view, kMidnight + 9h, kMidnight + 14h + 5s);
    const std::string shown = view->exportCsv(csv, false).isEmpty() ? TempDir::read(csv) : "";
    EXPECT_TRUE(std::count(shown.begin(), shown.end(), '\n') == 7 && shown.find(";1000;") == std::string::npos) << shown;
    EXPECT_EQ(view->exportCsv(csv, true).isEmpty() ? TempDir::read(csv) : "", day);
    EXPECT_EQ(view->exportTitle(), spaced("Journal des mesures — 21~juin~2026 — Nîmes"));
    for (const path& file : {dayFile, folder / "data06-21-2026.val.1"})
        EXPECT_EQ(std::vector({proposedExport(file, ExportKind::Image), proposedExport(file, ExportKind::VisibleCsv), proposedExport(file, ExportKind::DayCsv)}),
                  std::vector({folder / "data06-21-2026.png", folder / "data06-21-2026-plage.csv", folder / "data06-21-2026-journee.csv"}));
}

// Every export, the day view's and the month's, over a record by its name or through links.
TEST_F(JournalView, NoExportReplacesARecordAndAReplacedFileKeepsItsModeAndLink)
{
    MonthWindow month(folder, QTimeZone("Europe/Paris"), 2026y / June);
    const path link = dir.path() / "lien.csv", chain = dir.path() / "lien2.csv", dangling = dir.path() / "vide.csv";
    std::filesystem::create_symlink(dayFile, link);
    std::filesystem::create_symlink(link, chain);
    std::filesystem::create_symlink(folder / "data06-30-2026.val", dangling);
    const path toSensor = dir.path() / "étalonnage.csv";
    std::filesystem::create_symlink(folder / "capteur.csv", toSensor);
    for (const path& record : {dayFile, folder / "data06-21-2026.val.1", companion, folder / "data06-21-2026.run.1", link, chain,
                               dangling, dir.path() / "data12-07-2026.val", dir.path() / "data12-07-2026.run.3",
                               folder / "capteur.csv", toSensor, folder / ".data06-21-2026.val.lock"}) {
        const std::string before = std::filesystem::exists(record) ? TempDir::read(record) : "";
        const QString refusal = QString::fromStdString(record.string()) + spaced(" est un fichier de mesures, le journal d'une série, l'historique du capteur ou un verrou~: l'export ne le remplace pas. Choisissez un autre nom.");
        const QString said[] = {view->exportCsv(record, true), view->exportImage(record), month.exportCsv(record), month.findChild<QLabel*>("monthErrors")->text()};
        for (const QString& text : said) EXPECT_EQ(text, refusal);
        EXPECT_EQ(std::filesystem::exists(record) ? TempDir::read(record) : "", before) << record;
        EXPECT_FALSE(std::filesystem::exists(folder / "data06-30-2026.val"));
    }
    const path kept = dir.path() / "gardé.csv", toKept = dir.path() / "vers-gardé.csv";
    TempDir::append(kept, "ancien");
    ::chmod(kept.c_str(), 0600);
    std::filesystem::create_symlink(kept.filename(), toKept);
    EXPECT_EQ(month.exportCsv(toKept), QString());
    EXPECT_EQ(month.findChild<QLabel*>("monthErrors")->text(), spaced("CSV enregistré~: %1").arg(toKept.c_str()));
    EXPECT_TRUE(TempDir::read(kept).starts_with("\xEF\xBB\xBF" "date;site;")) << "the month's UTF-8 marked for a spreadsheet";
    EXPECT_EQ(view->exportCsv(toKept, true), QString());
    EXPECT_TRUE(std::filesystem::is_symlink(toKept) && TempDir::read(kept).starts_with("date_heure"));
    EXPECT_EQ(std::filesystem::status(kept).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const path nowhere = dir.path() / "absent" / "x.csv";
    EXPECT_EQ(view->exportCsv(nowhere, true), spaced("Écriture impossible dans %1~: Aucun fichier ou dossier de ce type.").arg(nowhere.c_str()));
    const path aFolder = dir.path() / "seul" / "dossier.csv";  // written aside, then refused at the rename
    std::filesystem::create_directories(aFolder);
    EXPECT_EQ(view->exportCsv(aFolder, true), spaced("Écriture impossible dans %1~: Est un dossier.").arg(aFolder.c_str()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(aFolder.parent_path()), {}), 1) << "nothing left beside it";
}

// A whole day of a reading a second, zigzagging, on the whole-day axis: every pixel column holds
// about 90 readings and keeps four of them (first, lowest, highest, last).
TEST_F(JournalTest, ADenseDayIsDrawnForTheChartsRealWidthFromTheStart)
{
    std::string day;
    for (int i = 0; i < 86400; ++i) day += acquisition::dataLine(i + 2, (i * 37) % 101, hh_mm_ss<seconds>{seconds(i)});
    TempDir::append(folder / "data06-20-2026.val", day);
    auto view = open(folder / "data06-20-2026.val");
    const int columns = view->chart()->axisRect()->width(), drawn = view->chart()->runGraph(0)->data()->size();
    ASSERT_GT(columns, 800);
    EXPECT_TRUE(drawn > 3.5 * columns && drawn <= 4 * columns + 8) << drawn << " points for " << columns << " columns";
}

TEST_F(JournalTest, AFileThatCannotBeReadIsSaidInFrenchInTheWindow)
{
    // A day that does not read at all: the platform's tests give each reason.
    const path odd = folder / "\xe9t\xe9", empty = folder / "data06-23-2026.val", loop = folder / "boucle", pipe = folder / "data06-25-2026.val";
    std::filesystem::create_directory(odd);
    std::filesystem::create_symlink("boucle", loop);
    ::mkfifo(pipe.c_str(), 0600);
    TempDir::append(odd / "data06-21-2026.val", lines(2, 5, 10h, 700));
    TempDir::append(empty, "");
    const std::pair<path, std::string> rows[] = {  // the file, what the window says of it (%1: its path)
        {odd / "data06-21-2026.val", ""},
        {empty, "%1 ne contient aucune ligne de mesure lisible."},
        {loop, "Lecture impossible de %1~: Boucle de liens symboliques (trop de niveaux de liens). Le journal le relira dès qu'il le pourra.\n"
               "Le nom de boucle ne donne pas de date~: les mesures sont placées au 21/06/2026."},
        {pipe, "%1 n'est pas un fichier ordinaire (un tube, un périphérique)~: le journal ne le lit pas."}};
    for (const auto& [file, says] : rows) {
        auto view = open(file);
        const QLabel* message = view->findChild<QLabel*>("journalMessage");
        EXPECT_EQ(message->isHidden() ? "" : message->text(), says.empty() ? QString() : spaced(says.c_str()).arg(QString::fromStdString(file.string())));
        // An empty file's run never began: nothing of it was cut short.
        EXPECT_TRUE(file != empty || view->runLabel(0) == spaced("Série~1, sans mesure")) << view->runLabel(0).toStdString();
        EXPECT_TRUE(!says.empty() || view->exportCsv(file.parent_path() / "jour.csv", true).isEmpty()) << "read on a path that is not UTF-8";
    }
}

// Every minute from `first` for `count` minutes local, 1000 mV and 1002 mV in turn (never the
// same value twice, so never « figé »), but 4095 mV (« saturé ») at `saturated`.
std::string everyMinute(minutes first, int count, minutes saturated = 0min)
{
    std::string out;
    for (int i = 0; i <= count; ++i) out += acquisition::dataLine(i + 2, first + i * 1min == saturated ? 4095 : i % 2 ? 1002 : 1000, hh_mm_ss<seconds>{first + i * 1min});
    return out;
}
std::string fourHours() { return everyMinute(10h, 240, 10h + 30min); }

const std::string kHeader = "depuis;capteur;sensibilite_mV_par_W_m2;decalage_mV;A;B\r\n";

// A folder of its own for the days in sunlight terms.
class SunlightWindow : public JournalTest {
protected:
    SunlightWindow() { std::filesystem::create_directory(folder); }
    path folder = dir.path() / "soleil";
};

TEST_F(SunlightWindow, ACalibratedAfternoonIsInWattsPerSquareMetreAndTheMorningStaysInMillivolts)
{
    TempDir::append(folder / "data06-21-2026.val", fourHours());
    // From noon on: 2 mV per W/m², no offset, so 1000 and 1002 mV are 500 and 501 W/m².
    TempDir::append(folder / "capteur.csv", kHeader + "2026-06-21T12:00:00+02:00;essai;2;0;0,73;0,06\r\n");
    auto view = open(folder / "data06-21-2026.val");

    EXPECT_EQ(view->findChild<QComboBox*>("unit")->currentText().toStdString(), "W/m²");
    // 12:00 to 14:00: 120 one-minute trapezoids of 500,5 W/m² on average, 1001 Wh/m².
    for (const auto& [key, shown] : {std::pair{"irradiationKwh", "1,001~kWh/m²"}, {"peak", "501~W/m²"}, {"saturated", "1"}, {"excluded", "1"}})
        EXPECT_EQ(view->summary().value("day", key), spaced(shown)) << key;
    // The clear sky (Haurwitz) over the same two hours, under NOAA's sun: 1,814 kWh/m².
    EXPECT_NEAR(QLocale().toDouble(view->summary().value("day", "clearSky").section(QChar(0x00A0), 0, 0)), 1.814, 0.005);
    // 10:00 to 11:59: 120 readings without a row in force, of which one saturated.
    EXPECT_TRUE(view->findChild<QLabel*>("journalMessage")->text().contains(spaced(
        "119~mesures sans étalonnage en vigueur restent en mV. 1~mesure écartée (1~saturée (4095~mV)). Elles ne comptent pas dans les figures en W/m².")));
    // A day whose every reading is left out under the calibration has one in force.
    TempDir::append(folder / "data06-22-2026.val", " 2, 4095,12:00:00\r\n 3, 4000,12:01:00\r\n 4, 4095,12:02:00\r\n");
    EXPECT_EQ(open(folder / "data06-22-2026.val")->findChild<QLabel*>("summaryNote")->text(),
              spaced("3~mesures écartées (2~saturées (4095~mV), 1 «~impossible~»)."));
    EXPECT_EQ(view->findChild<QLabel*>("flagCounts")->text(), spaced("impossible 0 · rare 0 · saturé 1 · figé 0 · 1~écartée"));
    // Drawn: the afternoon only, in W/m².
    EXPECT_EQ(std::count_if(view->chart()->runGraph(0)->data()->begin(), view->chart()->runGraph(0)->data()->end(), [](const QCPGraphData& d) { return d.value == 500; }), 61);

    // The CSV says each reading's irradiance, clear-sky index and flag.
    const std::string csv = view->exportCsv(dir.path() / "jour.csv", true).isEmpty() ? TempDir::read(dir.path() / "jour.csv") : "";
    EXPECT_TRUE(csv.find(";;;sature;2026-06-21T10:30:00\r\n2026-06-21T10:31:00+02:00;33;1002;") < csv.find(";500,0;0,"));

    // Back in millivolts: the morning is drawn too, and the saturated reading marked at 4095 mV.
    emit view->findChild<QComboBox*>("unit")->activated(0);
    EXPECT_EQ(view->chart()->valueAxis()->label().toStdString() + " " + std::to_string(view->chart()->runGraph(0)->data()->size()), "Tension (mV) 241");
    const auto saturated = view->chart()->flagGraph(record::kSaturated)->data();
    ASSERT_EQ(saturated->size(), 1);  // at 10:30 local
    EXPECT_EQ(std::pair(JournalChart::instantOf(saturated->begin()->key), saturated->begin()->value), std::pair(kMidnight + 10h + 30min, 4095.0));
}

TEST_F(SunlightWindow, AHiddenRunLeavesTheRangesFiguresAndTheChartWithItsFlagMarksAndStaysInTheDays)
{
    TempDir::append(folder / "data06-21-2026.val.1", fourHours());
    TempDir::append(folder / "data06-21-2026.val", everyMinute(15h, 60));
    TempDir::append(folder / "capteur.csv", kHeader + "2026-06-01T00:00:00+02:00;essai;2;0;0,73;0,06\r\n");
    auto view = open(folder / "data06-21-2026.val");
    // 240 minutes at 500,5 W/m² with 10:30 bridged at 501, then 60 minutes at 500,5: five hours
    // covered of the 16 h 06 min day (Chelles, by hand to a minute), 31,1 %.
    const QString both = spaced("2^503~Wh/m²"), first = spaced("2^002~Wh/m²");
    const auto marks = [&] { return view->chart()->flagGraph(record::kSaturated)->data()->size(); };
    EXPECT_TRUE(view->summary().value("range", "irradiation") == both && marks() == 1 && view->summary().value("day", "coverage") == spaced("31,1~%"));
    view->setRunShown(1, false);
    EXPECT_TRUE(view->summary().value("range", "irradiation") == first && view->summary().value("day", "irradiation") == both);
    view->setRunShown(0, false);
    EXPECT_TRUE(!view->chart()->runGraph(0)->visible() && marks() == 0) << "the hidden run's saturated mark is hidden too";
    view->setRunShown(0, true);
    EXPECT_EQ(marks(), 1);
}

// « Capteur… » on 22 June 2026 at 10:00 in Paris (summer time): each row fills the form, then
// « Ajouter » either appends exactly its line or refuses and leaves the file as it was.
struct SensorRow {
    const char* name;
    std::vector<std::pair<const char*, const char*>> fields;  ///< edits by name; "fromDateTime": dd/MM/yyyy HH:mm:ss
    const char* result;  ///< the line appended, or the refusal's beginning
};
const SensorRow kSensorRows[] = {
    {"from now with the default offset and coefficients", {{"sensorName", "SP-110"}, {"sensitivity", "0,2"}},
     "2026-06-22T10:00:00+02:00;SP-110;0,2;nuit;0,73;0,06\r\n"},
    {"from a winter date, on the zone's standard time", {{"sensorName", "SP-110"}, {"sensitivity", "0,2"}, {"fromDateTime", "15/01/2026 09:30:00"}},
     "2026-01-15T09:30:00+01:00;SP-110;0,2;nuit;0,73;0,06\r\n"},
    {"from a summer date", {{"sensorName", "SP-110"}, {"sensitivity", "0,2"}, {"fromDateTime", "01/07/2026 00:00:00"}},
     "2026-07-01T00:00:00+02:00;SP-110;0,2;nuit;0,73;0,06\r\n"},
    {"an offset in mV, a point as decimal sign, B left empty", {{"sensorName", "ampli"}, {"sensitivity", "0.001"}, {"offset", "1,5"}, {"coefficientA", "0.7"}, {"coefficientB", ""}, {"fromDateTime", "22/06/2026 10:00:01"}},
     "2026-06-22T10:00:01+02:00;ampli;0,001;1,5;0,7;0,06\r\n"},
    {"the instant of a row already there", {{"sensorName", "SP-110"}, {"sensitivity", "0,3"}},
     "Ligne refusée : une ligne s'applique déjà depuis 2026-06-22T10:00:00+02:00 ; choisissez un autre instant."},
    {"a sensitivity no sensor has", {{"sensorName", "SP-110"}, {"sensitivity", "1e308"}, {"fromDateTime", "23/06/2026 00:00:00"}},
     "Ligne refusée : sensibilité 1e+308 hors de 0,001 à 1000 mV par W/m²."},
    {"no name", {{"sensitivity", "0,2"}}, "Donnez le nom du capteur."},
    {"a name with a semicolon", {{"sensorName", "SP;110"}, {"sensitivity", "0,2"}}, "Le nom du capteur ne peut contenir ni «~;~» ni retour à la ligne."},
    {"a sensitivity in words", {{"sensorName", "SP-110"}, {"sensitivity", "deux"}}, "Sensibilité illisible~: «~deux~»"},
    {"a zero sensitivity", {{"sensorName", "SP-110"}, {"sensitivity", "0"}}, "Sensibilité illisible~: «~0~»"},
    {"an offset in words", {{"sensorName", "SP-110"}, {"sensitivity", "2"}, {"offset", "beaucoup"}}, "Décalage illisible~: «~beaucoup~»"},
    {"a coefficient A in words", {{"sensorName", "SP-110"}, {"sensitivity", "2"}, {"coefficientA", "x"}}, "Coefficient A illisible~: «~x~»"}};

TEST_F(SunlightWindow, TheSensorDialogAppendsEachRowInTurnOrRefusesItAndNamesAMalformedRow)
{
    std::string file = kHeader + "2026-06-01T00:00:00+02:00;ancien;3,1;nuit;0,73;0,06\r\n" + "hier;cassé\r\n";
    TempDir::append(folder / "capteur.csv", file);
    int rows = 1;
    for (const SensorRow& row : kSensorRows) {
        SCOPED_TRACE(row.name);
        SensorDialog dialog(folder, QTimeZone("Europe/Paris"), [] { return sys_days{2026y / June / 22} + 8h; });
        EXPECT_EQ(dialog.findChild<QLabel*>("historyProblems")->text().toStdString(), (folder / "capteur.csv").string() + ", ligne 3 : 2 champs au lieu de 6 ; ligne ignorée.");
        for (const auto& [name, text] : row.fields)
            if (std::string(name) != "fromDateTime") {
                dialog.findChild<QLineEdit*>(name)->setText(QString::fromUtf8(text));
            } else {
                dialog.findChild<QRadioButton*>("fromDate")->setChecked(true);
                dialog.findChild<QDateTimeEdit*>(name)->setDateTime(QDateTime::fromString(text, "dd/MM/yyyy HH:mm:ss"));
            }
        dialog.show();  // Entrée in the form, as a user ends a row
        QTest::keyClick(dialog.findChild<QLineEdit*>("sensitivity"), Qt::Key_Return);
        const QString said = dialog.findChild<QLabel*>("sensorError")->text();
        const bool added = std::string(row.result).ends_with("\r\n");
        if (added) {
            file += row.result;
            ++rows;
        }
        EXPECT_TRUE(added ? said.isEmpty() : said.startsWith(spaced(row.result))) << said.toStdString();
        EXPECT_EQ(TempDir::read(folder / "capteur.csv"), file);
        EXPECT_EQ(dialog.findChild<QTableWidget*>("history")->rowCount(), rows);
    }
    // The history by the instant each row applies from, the file's order between equal ones.
    SensorDialog dialog(folder, QTimeZone("Europe/Paris"), [] { return sys_days{2026y / June / 22} + 8h; });
    const QTableWidget* history = dialog.findChild<QTableWidget*>("history");
    QStringList names;
    for (int r = 0; r < history->rowCount(); ++r) names << history->item(r, 1)->text();
    EXPECT_EQ(names.join(' ').toStdString(), "SP-110 ancien SP-110 ampli SP-110");
}

// Opened on a day, the dialog starts the row at that day's first second, so the day turns to W/m².
TEST_F(SunlightWindow, TheSensorDialogOpenedOnADayProposesItsStartAndSaysWhy)
{
    SensorDialog dialog(folder, QTimeZone("Europe/Paris"), [] { return sys_days{2026y / June / 22} + 8h; }, local_days{2026y / June / 21});
    EXPECT_EQ(dialog.findChild<QLabel*>("fromWhy")->text(),
              spaced("Proposé~: le début du 21~juin~2026, la journée affichée, pour que ses mesures passent en W/m². Choisissez "
                     "«~maintenant~» si le capteur vient d'être installé ou réglé~: les mesures d'avant restent alors en mV."));
    dialog.findChild<QLineEdit*>("sensorName")->setText("SP-110");
    dialog.findChild<QLineEdit*>("sensitivity")->setText("0,2");
    EXPECT_EQ(dialog.addRow(), QString());
    EXPECT_TRUE(TempDir::read(folder / "capteur.csv").ends_with("\r\n2026-06-21T00:00:00+02:00;SP-110;0,2;nuit;0,73;0,06\r\n")) << TempDir::read(folder / "capteur.csv");
}

// June 2026: the 3rd (one run at Nîmes, before the sensor's row) and the 21st (a kept run at
// Chelles and the day's run at Nîmes, calibrated at 2 mV per W/m²); the 31st of May and the 1st
// of July are not June's.
TEST_F(SunlightWindow, TheMonthShowsItsDaysWithTheirRunsSitesFiguresAndTotalsAndMovesByOneMonth)
{
    const auto day = [&](const char* file, local_seconds start, const std::string& lines, const char* site) {
        TempDir::append(folder / file, lines);
        TempDir::append(folder / std::string(file).replace(14, 4, ".run"), acquisition::companionHeader() + row(Kind::Start, start, site, 2, 60));
    };
    day("data05-31-2026.val", local_days{2026y / May / 31} + 10h, fourHours(), "Chelles");
    day("data06-03-2026.val", local_days{2026y / June / 3} + 10h, fourHours(), "Nîmes");
    day("data06-21-2026.val.1", kDay + 10h, fourHours(), "Chelles");
    day("data06-21-2026.val", kDay + 15h, everyMinute(15h, 60), "Nîmes");
    day("data07-01-2026.val", local_days{2026y / July / 1} + 10h, fourHours(), "Chelles");
    TempDir::append(folder / "capteur.csv", kHeader + "2026-06-10T00:00:00+02:00;essai;2;0;0,73;0,06\r\n");
    auto view = open(folder / "data07-01-2026.val");
    MonthWindow* month = view->showMonth();
    month->setMonth(2026y / June);
    QTableWidget* table = month->table();
    // Each row's date, site, runs, irradiation, day length, peak, its time and flags. The day length
    // by hand, to two minutes: cos H = (sin -0.83° - sin φ sin δ) / (cos φ cos δ), day = 2 H / 15°.
    const auto rows = [table] {
        std::string out;
        for (int r = 0; r < table->rowCount(); ++r)
            for (const int c : {0, 1, 2, 4, 8, 10, 11, 12}) out += table->item(r, c)->text().toStdString() + (c == 12 ? "\n" : "|");
        return out;
    };
    // Calibrated, the saturated 4095 mV is 2047 W/m², above what the sun can give: impossible too.
    EXPECT_EQ(rows(), spaced("03/06|Nîmes|1||15~h~13~min|||1~saturée\n21/06|Chelles / Nîmes|2|2,503|16~h~06~min|501|10:01:00|1~impossible · 1~saturée\n").toStdString());
    const QString totals = month->findChild<QLabel*>("monthTotals")->text();
    EXPECT_TRUE(totals.startsWith(spaced("<b>Mois~:</b> 2~jours mesurés, 1~étalonné · irradiation 2,503~kWh/m²"))) << totals.toStdString();
    EXPECT_TRUE(totals.contains(spaced("pic 501~W/m² le 21 à 10:01:00"))) << totals.toStdString();
    // Every column in sight at 1000 px, the millivolts of the uncalibrated 3rd included, the
    // sites and the flags whole (wrapped between words), and the legend clear of the bars.
    month->show();
    EXPECT_TRUE(table->horizontalHeader()->length() <= table->viewport()->width() && !table->isColumnHidden(14));
    for (int r = 0; r < table->rowCount(); ++r)
        for (const int c : {1, 12}) {
            const QRect cell = table->visualRect(table->model()->index(r, c)).adjusted(3, 0, -3, 0);
            EXPECT_TRUE(cell.contains(table->fontMetrics().boundingRect(cell, Qt::TextWordWrap, table->item(r, c)->text()))) << r << ' ' << c;
        }
    auto* bars = month->findChild<QCustomPlot*>("monthChart");
    bars->replot();
    EXPECT_FALSE(bars->legend->outerRect().intersects(bars->axisRect()->rect()));
    month->findChild<QPushButton*>("previousMonth")->click();
    EXPECT_EQ(month->windowTitle().toStdString() + " " + rows(), spaced("Bilan du mois — mai 2026 31/05|Chelles|1||15~h~48~min|||1~saturée\n").toStdString());
    month->findChild<QPushButton*>("nextMonth")->click();
    month->findChild<QPushButton*>("nextMonth")->click();
    EXPECT_EQ(rows(), spaced("01/07|Chelles|1|2,002|16~h~02~min|501|10:01:00|1~impossible · 1~saturée\n").toStdString());  // four hours at 500,5 W/m²
    emit table->cellDoubleClicked(0, 0);
    EXPECT_EQ(view->windowTitle(), spaced("Journal des mesures — 1er~juillet~2026"));
    month->findChild<QPushButton*>("nextMonth")->click();  // nothing in August: the folder read is named
    EXPECT_TRUE(month->findChild<QLabel*>("monthTotals")->text().contains(spaced("0~jour mesuré, 0~étalonné")));
    EXPECT_TRUE(month->findChild<QLabel*>("monthErrors")->text().startsWith(QString::fromStdString("Aucune mesure en août\u00A02026 dans «\u00A0" + folder.string() + "\u00A0»")));
    month->setMonth(2026y / June);
    emit table->cellDoubleClicked(0, 0);
    EXPECT_TRUE(view->windowTitle() == spaced("Journal des mesures — 3~juin~2026") && view->record().runs().size() == 1u);
    // One day chosen is nothing to compare; both: the 3rd opened, the 21st laid beside it.
    auto* compare = month->findChild<QPushButton*>("compareDays");
    table->selectRow(1);
    EXPECT_FALSE(compare->isEnabled());
    table->selectAll();
    compare->click();
    EXPECT_EQ(view->windowTitle() + " " + view->findChild<QLabel*>("comparedDays")->text().section(QString::fromUtf8("</span>\u00A0"), 1),
              spaced("Journal des mesures — 3~juin~2026 21~juin~2026"));
}

// Two cursors on a calibrated morning (500 and 501 W/m² in turn, 10:30 saturated): a click
// places A, a right click B; keys move the active one; the statistics between them by hand.
TEST_F(SunlightWindow, TwoCursorsMeasureBetweenThemAndASaturatedReadingStaysAtTheTopOfTheAxis)
{
    TempDir::append(folder / "data06-21-2026.val", fourHours());
    TempDir::append(folder / "capteur.csv", kHeader + "2026-06-01T00:00:00+02:00;essai;2;0;0,73;0,06\r\n");
    auto view = open(folder / "data06-21-2026.val");
    QCustomPlot* chart = view->chart();
    showRange(*view, kMidnight + 9h + 50min, kMidnight + 11h);  // 7 s a pixel: a click finds its minute
    const auto pixel = [&](seconds local) { return QPoint(int(chart->xAxis->coordToPixel(JournalChart::axisOf(kMidnight + local))), 100); };
    QTest::mouseClick(chart, Qt::LeftButton, {}, pixel(10h));
    QTest::mouseClick(chart, Qt::RightButton, {}, pixel(10h + 40min));
    const auto labelsWhole = [&] {  // each beside its line, inside the chart, neither over the other
        chart->replot();
        const auto rect = [&](int which) {
            const QCPItemText* label = view->chart()->cursorLabel(which);
            return QRectF(label->topLeft->pixelPosition(), label->bottomRight->pixelPosition()).toRect();
        };
        return chart->axisRect()->rect().contains(rect(0)) && chart->axisRect()->rect().contains(rect(1)) && !rect(0).intersects(rect(1));
    };
    EXPECT_TRUE(labelsWhole()) << "A 100 px from the left edge";
    QTest::mouseClick(chart, Qt::RightButton, {}, pixel(10h + 20min));
    QTest::mouseClick(chart, Qt::LeftButton, {}, pixel(10h + 25min));
    EXPECT_TRUE(labelsWhole() && view->chart()->cursorLabel(0)->position->coords().y() == view->chart()->cursorLabel(1)->position->coords().y())
        << "A just right of B: its label on its right, B's on its left, none lifted";
    QTest::mouseClick(chart, Qt::LeftButton, {}, pixel(10h));
    QTest::mouseClick(chart, Qt::RightButton, {}, pixel(10h + 40min));
    const auto text = [&](const char* name) { return view->findChild<QLabel*>(name)->text().toStdString(); };
    EXPECT_EQ(text("cursorValues"), spaced("A 10:00:00 · 1^000~mV · 500,0~W/m²\nB 10:40:00 · 1^000~mV · 500,0~W/m²\nB − A~: Δt 40~min~00~s · 0~mV · 0,0~W/m²").toStdString());
    // 41 readings, 20 of each value and 4095 mV: mean 44 135 / 41; in W/m² the saturated one left
    // out: mean 500,5, deviation √(40 · 0,25 / 39); 38 one-minute trapezoids of 500,5 and 10:29 to
    // 10:31 at 501. Sunshine throughout: the sun under 47° (NOAA), Carpentras's threshold under 480 W/m².
    EXPECT_EQ(text("rangeStatistics"), spaced("Entre A et B~: 41~mesures · min 1^000~mV · max 4^095~mV · moyenne 1^076,5~mV · écart~type 483,2~mV · "
                                              "min 500,0~W/m² · max 501,0~W/m² · moyenne 500,50~W/m² · écart~type 0,51~W/m² · énergie 333,68~Wh/m² · "
                                              "ensoleillement 40~min~00~s · 1~écartée").toStdString());
    QTest::keyClick(chart, Qt::Key_A);
    QTest::keyClick(chart, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(text("cursorValues"), spaced("A 10:01:00 · 1^002~mV · 501,0~W/m²\nB 10:40:00 · 1^000~mV · 500,0~W/m²\nB − A~: Δt 39~min~00~s · -2~mV · -1,0~W/m²").toStdString());
    // Ctrl+wheel zooms the values about the pointer; the saturated mark stays at the new top.
    QWheelEvent wheel(QPointF(pixel(12h).x(), chart->yAxis->coordToPixel(600)), {}, {}, {0, 240}, Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart, &wheel);
    const QCPRange values = chart->yAxis->range();
    EXPECT_NEAR(values.size(), 1220 * 0.85 * 0.85, 1e-6);
    const auto mark = view->chart()->flagGraph(record::kSaturated)->data();
    ASSERT_EQ(mark->size(), 1);
    EXPECT_TRUE(mark->begin()->value < values.upper && mark->begin()->value > values.upper - 0.02 * values.size()) << mark->begin()->value;
    EXPECT_TRUE(text("flagCounts").find("saturé 1") != std::string::npos);
    view->setFittedY(true);
    EXPECT_NEAR(chart->yAxis->range().upper, 501 * 1.08, 1e-6);
    showRange(*view, kMidnight + 12h, kMidnight + 13h);  // both lines off the chart: no piece of their labels left
    chart->replot();
    EXPECT_FALSE(view->chart()->cursorLabel(0)->visible() || view->chart()->cursorLabel(1)->visible());
    QTest::keyClick(chart, Qt::Key_Escape);
    EXPECT_TRUE(text("cursorValues").starts_with("Clic") && !view->chart()->cursorLine(0)->visible()) << "the cursors taken off";
}

// Another day laid on the chart at its local time of day, in its colour, named in the days'
// legend; a day that cannot be read is said, and the comparison taken off again.
TEST_F(JournalTest, AnotherDayIsLaidOnTheChartAtItsLocalTimeOfDayAndNamedInTheLegend)
{
    TempDir::append(folder / "data06-20-2026.val", lines(2, 30, 10h, 500));
    auto view = open(dayFile);
    const int graphs = view->chart()->graphCount();
    EXPECT_EQ(view->compareDay(folder / "data06-20-2026.val"), QString());
    ASSERT_EQ(view->chart()->graphCount() >= 3 ? view->chart()->runGraph(2)->data()->size() : 0, 30);
    EXPECT_EQ(JournalChart::instantOf(view->chart()->runGraph(2)->data()->begin()->key), kMidnight + 10h) << "20 June's 10:00 on the 21st's axis";
    view->setSite(0);  // another site: the other day stays, worked out there too
    EXPECT_EQ(view->chart()->graphCount() >= 3 ? view->chart()->runGraph(2)->data()->size() : 0, 30);
    const QLabel* days = view->findChild<QLabel*>("comparedDays");
    EXPECT_TRUE(days->isVisible() && days->text().contains(spaced("21~juin~2026 (séries en couleurs) · ")) &&
                days->text().endsWith(spaced("■</span>~20~juin~2026"))) << days->text().toStdString();
    EXPECT_EQ(view->compareDay(folder / "data06-19-2026.val"),
              spaced("%1 n'est pas comparé~: Aucun fichier ou dossier de ce type.").arg((folder / "data06-19-2026.val").c_str()));
    for (const path& twice : {dayFile, folder / "data06-20-2026.val"})  // a day once on the chart
        EXPECT_EQ(view->compareDay(twice), spaced("%1 n'est pas comparé~: le %2 est déjà sur le graphique.")
                                                .arg(twice.c_str(), spaced(twice == dayFile ? "21~juin~2026" : "20~juin~2026")));
    view->clearComparedDays();
    EXPECT_TRUE(!days->isVisible() && view->chart()->graphCount() == graphs);
}

// An image of a chosen size, « Taille de l'image » proposing 1920 × 1080 and offering the window's
// size, a size typed beyond 8K (7680 × 4320) or under the chart's smallest (480 × 300) held at the
// bound. The PNG is exactly that size, the 960 × 540 picture enlarged; the PDF an A4 landscape page
// (297 × 210 mm, 842 × 595 points). The legend is clear of the sun times' labels on a morning, the
// whole day and an evening ending at sunset, at the right edge; the chart on screen stays as it was.
TEST_F(JournalView, AnImageHasTheSizeChosenItsLegendClearOfTheSunTimesAndTheChartOnScreenStaysAsItWas)
{
    ImageSizeDialog dialog(QSize(631, 420));
    JournalChart* chart = view->chart();
    const QRect axes = chart->axisRect()->rect();
    QRect legend;
    std::vector<QRect> labels;  // where the legend and the labels are while the picture is drawn
    QObject::connect(chart, &QCustomPlot::afterLayout, chart, [&] {
        legend = chart->legend->visible() ? chart->legend->outerRect() : QRect();
        labels.clear();
        for (int i = 0; i < chart->itemCount(); ++i)
            if (auto* label = qobject_cast<QCPItemText*>(chart->item(i)); label && label->visible())
                labels.push_back(QRectF(label->topLeft->pixelPosition(), label->bottomRight->pixelPosition()).toRect());
    });
    const QString png = QString::fromStdString((dir.path() / "jour.png").string());
    for (const auto& [from, to] : {std::pair<minutes, minutes>{4h, 12h}, {0h, 24h}, {14h, 21h + 30min}}) {
        showRange(*view, kMidnight + from, kMidnight + to);
        EXPECT_EQ(view->exportImage(chosenPath(png), dialog.chosen()), QString());
        EXPECT_EQ(QImage(png).size(), QSize(1920, 1080));
        EXPECT_TRUE(!legend.isEmpty() && !labels.empty());
        for (const QRect& label : labels) EXPECT_FALSE(label.intersects(legend)) << (to - from).count() << " min from " << from.count();
    }
    // Both seen at 240 × 135: the same picture, text and lines the same share of it.
    const QImage enlarged = QImage(png).scaled(240, 135, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_EQ(view->exportImage(chosenPath(png), QSize(960, 540)), QString());
    const QImage laidOut = QImage(png).scaled(240, 135, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int differ = 0;
    for (int i = 0; i < 240 * 135; ++i) differ += std::abs(qGray(enlarged.pixel(i % 240, i / 240)) - qGray(laidOut.pixel(i % 240, i / 240))) > 32;
    EXPECT_LT(differ, 240 * 135 / 100) << "pixels that differ";
    EXPECT_EQ(view->exportImage(chosenPath(png), QSize(2000000000, 2000000000)),
              spaced("Image de 2000000000 × 2000000000 pixels impossible~: la mémoire ne la tient pas. Choisissez une taille plus petite."));
    EXPECT_EQ(QImage(png).size(), QSize(960, 540)) << "the picture there kept";
    EXPECT_EQ(view->exportImage(dir.path() / "JOUR.PDF", QSize(1920, 1080)), QString());
    EXPECT_NE(TempDir::read(dir.path() / "JOUR.PDF").find("/MediaBox [0 0 842.000000 595.000000]"), std::string::npos);
    chart->replot();
    EXPECT_TRUE(chart->axisRect()->rect() == axes && !chart->legend->visible());
    auto* sizes = dialog.findChild<QComboBox*>("sizes");
    sizes->setCurrentIndex(sizes->findText(QString::fromUtf8("Taille de la fenêtre (631 × 420)")));
    EXPECT_EQ(dialog.chosen(), QSize(631, 420));
    dialog.findChild<QSpinBox*>("width")->setValue(9000);
    dialog.findChild<QSpinBox*>("height")->setValue(100);
    EXPECT_EQ(dialog.chosen(), QSize(7680, 300));
}

// A week of mornings on one chart: the 21st (500 and 501 W/m² in turn, 10:30 saturated), the 20th
// at 550 W/m², the 19th rising from 500 W/m² by 10 W/m² a minute, the 15th to the 18th any
// morning. Each day named in its colour in the legend and on the chart, and read at the cursors
// in a row of its own, at 1000 px.
TEST_F(SunlightWindow, AWeekOfMorningsIsLaidOnOneChartEachDayInItsColourAndReadByTheCursors)
{
    const auto morning = [](int millivolts, int perMinute) {
        std::string out;
        for (int i = 0; i <= 40; ++i) out += acquisition::dataLine(i + 2, millivolts + perMinute * i, hh_mm_ss<seconds>{10h + i * 1min});
        return out;
    };
    TempDir::append(folder / "data06-21-2026.val", fourHours());
    TempDir::append(folder / "data06-20-2026.val", morning(1100, 0));
    TempDir::append(folder / "data06-19-2026.val", morning(1000, 20));
    for (int d = 15; d <= 18; ++d) TempDir::append(folder / ("data06-" + std::to_string(d) + "-2026.val"), morning(600 + 100 * d, 3));
    TempDir::append(folder / "capteur.csv", kHeader + "2026-06-01T00:00:00+02:00;essai;2;0;0,73;0,06\r\n");
    auto view = open(folder / "data06-21-2026.val");
    for (int d = 20; d >= 15; --d) EXPECT_EQ(view->compareDay(folder / ("data06-" + std::to_string(d) + "-2026.val")), QString());
    const QString legend = view->findChild<QLabel*>("comparedDays")->text();
    EXPECT_TRUE(legend.startsWith(spaced("21~juin~2026 (séries en couleurs) · "))) << legend.toStdString();
    std::set<QString> colours;
    for (int d = 20; d >= 15; --d) {
        const QString date = spaced("%1~juin~2026").arg(d);
        const QCPGraph* graph = view->chart()->runGraph(std::size_t(21 - d));  // after the 21st's one run
        const QString named = spaced("<span style=\"color:%1\">■</span>~%2").arg(graph->pen().color().name(), date);
        EXPECT_TRUE(graph->name() == date && legend.contains(named)) << date.toStdString();
        colours.insert(graph->pen().color().name());
    }
    EXPECT_EQ(colours.size(), 6u) << "a colour each";
    showRange(*view, kMidnight + 9h + 50min, kMidnight + 11h);
    QCustomPlot* chart = view->chart();
    const auto pixel = [&](seconds local) { return QPoint(int(chart->xAxis->coordToPixel(JournalChart::axisOf(kMidnight + local))), 100); };
    QTest::mouseClick(chart, Qt::LeftButton, {}, pixel(10h));
    QTest::mouseClick(chart, Qt::RightButton, {}, pixel(10h + 40min));
    // By hand: 41 readings each; 550 W/m² for 40 min, 366,67 Wh/m²; the ramp's mean 700, its
    // sample deviation 10·√(41·42/12), its trapezoids 700 W/m² for 40 min; all in sunshine.
    const QTableWidget* table = view->findChild<QTableWidget*>("dayStatistics");
    std::string rows;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < table->columnCount(); ++c) rows += table->item(r, c)->text().toStdString() + (c + 1 < table->columnCount() ? "|" : "\n");
    EXPECT_EQ(rows, spaced("21~juin~2026|10:00:00  500,0|10:40:00  500,0|0,0|41|500,0|501,0|500,50|0,51|333,68|40~min~00~s\n"
                           "■ 20~juin~2026|10:00:00  550,0|10:40:00  550,0|0,0|41|550,0|550,0|550,00|0,00|366,67|40~min~00~s\n"
                           "■ 19~juin~2026|10:00:00  500,0|10:40:00  900,0|+400,0|41|500,0|900,0|700,00|119,79|466,67|40~min~00~s\n").toStdString());
    // The 21st's run hidden, the cursor stands on the nearest reading of the days still drawn.
    view->setRunShown(0, false);
    EXPECT_TRUE(view->findChild<QLabel*>("cursorValues")->text().startsWith(spaced("A 10:00:00 · 1^100~mV · 550,0~W/m²")));
    // Every day's row in sight at 1000 px; every column too, or a scroll away beside the « Résumé ».
    const auto lastCell = [table] { return table->visualRect(table->model()->index(6, 10)); };
    const QRect shown = table->viewport()->rect();
    EXPECT_TRUE(table->isVisible() && table->rowCount() == 7 && lastCell().bottom() <= shown.bottom() &&
                (lastCell().right() <= shown.right() || table->horizontalScrollBar()->isVisible()));
    view->findChild<QDockWidget*>("summaryDock")->close();
    QApplication::sendPostedEvents();
    EXPECT_TRUE(table->viewport()->rect().contains(lastCell())) << table->horizontalHeader()->length() << " " << table->viewport()->width();
}

}  // namespace

// The run companion: its name beside the measurement file, its rows for a run's events, and
// reading them back.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "acquisition/run_companion.h"

using namespace std::chrono;
using acquisition::companionHeader;
using acquisition::companionLine;
using acquisition::companionPath;
using acquisition::parseCompanionLine;
using acquisition::readCompanion;
using acquisition::RunEvent;

namespace acquisition {
bool operator==(const RunEvent& a, const RunEvent& b)
{
    return a.kind == b.kind && a.local == b.local && a.utcOffset == b.utcOffset &&
           a.nextNumber == b.nextNumber && a.site == b.site && a.latitude == b.latitude &&
           a.longitudeEast == b.longitudeEast && a.periodSeconds == b.periodSeconds &&
           a.port == b.port && a.version == b.version;
}
void PrintTo(const RunEvent& e, std::ostream* os) { *os << companionLine(e); }
}  // namespace acquisition

namespace {

RunEvent chellesStart()
{
    RunEvent e;
    e.kind = RunEvent::Kind::Start;
    e.local = local_days{2026y / December / 7} + 14h + 3min + 27s;
    e.utcOffset = 60min;
    e.nextNumber = 2;
    e.site = "Chelles";
    e.latitude = 48.5246;
    e.longitudeEast = 2.3523;
    e.periodSeconds = 1;
    e.port = "/dev/parport0";
    e.version = "1.0.0";
    return e;
}

/// A run: started, period to 10 s after 100 readings, site to Nîmes, then stopped.
std::vector<RunEvent> runWithPeriodAndSiteChanges()
{
    std::vector<RunEvent> run{chellesStart()};
    RunEvent period = run.back();
    period.kind = RunEvent::Kind::Period;
    period.local += 100s;
    period.nextNumber = 102;
    period.periodSeconds = 10;
    run.push_back(period);
    RunEvent site = period;
    site.kind = RunEvent::Kind::Site;
    site.local += 35s;
    site.nextNumber = 105;
    site.site = "N\u00EEmes";
    site.latitude = 43.5;
    site.longitudeEast = 4.21;
    run.push_back(site);
    RunEvent stop = site;
    stop.kind = RunEvent::Kind::Stop;
    stop.local += 1h;
    stop.nextNumber = 465;
    run.push_back(stop);
    return run;
}

TEST(CompanionPath, NamesTheRunFileBesideItsMeasurementFile)
{
    EXPECT_EQ(companionPath("/home/obs/velmorixon/data12-05-2026.val"),
              std::filesystem::path("/home/obs/velmorixon/data12-05-2026.run"));
    EXPECT_EQ(companionPath("/home/obs/velmorixon/data12-05-2026.val.3"),
              std::filesystem::path("/home/obs/velmorixon/data12-05-2026.run.3"));
    EXPECT_EQ(companionPath("data12-05-2026.val.12"), std::filesystem::path("data12-05-2026.run.12"));
    EXPECT_EQ(companionPath("/tmp/mesures.txt"), std::filesystem::path("/tmp/mesures.txt.run"));
    EXPECT_EQ(companionPath("/tmp/a.value"), std::filesystem::path("/tmp/a.value.run"));
}

TEST(CompanionRows, AreTheDocumentedHeaderAndOneTableRowPerEvent)
{
    EXPECT_EQ(companionHeader(),
              "instant;evenement;numero;site;latitude;longitude;periode_s;port;version\r\n");
    std::string file = companionHeader();
    for (const RunEvent& e : runWithPeriodAndSiteChanges()) file += companionLine(e);
    EXPECT_EQ(file,
              "instant;evenement;numero;site;latitude;longitude;periode_s;port;version\r\n"
              "2026-12-07T14:03:27+01:00;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0\r\n"
              "2026-12-07T14:05:07+01:00;periode;102;Chelles;48.5246;2.3523;10;/dev/parport0;1.0.0\r\n"
              "2026-12-07T14:05:42+01:00;site;105;N\u00EEmes;43.5000;4.2100;10;/dev/parport0;1.0.0\r\n"
              "2026-12-07T15:05:42+01:00;arret;465;N\u00EEmes;43.5000;4.2100;10;/dev/parport0;1.0.0\r\n");
}

TEST(CompanionRows, ReadBackAsTheEventsTheyWereWrittenFrom)
{
    std::vector<RunEvent> events = runWithPeriodAndSiteChanges();
    RunEvent zone = events.back();
    zone.kind = RunEvent::Kind::Zone;
    zone.utcOffset = -300min;  // west of Greenwich
    zone.local = local_days{2027y / March / 14} + 3h;
    events.push_back(zone);
    RunEvent quit = zone;
    quit.kind = RunEvent::Kind::Quit;
    quit.utcOffset = 330min;  // half an hour
    quit.port = "simulation";
    quit.latitude = -33.8688;
    quit.longitudeEast = -151.2093;
    events.push_back(quit);
    for (const RunEvent& e : events) EXPECT_EQ(parseCompanionLine(companionLine(e)), e);

    std::string file = companionHeader();
    for (const RunEvent& e : events) file += companionLine(e);
    const auto record = readCompanion(file);
    EXPECT_EQ(record.events, events);
    EXPECT_EQ(record.malformedRows, 0u);
}

TEST(CompanionRows, CarryTheInstantInUniversalTime)
{
    RunEvent e = chellesStart();
    EXPECT_EQ(e.instant(), sys_days{2026y / December / 7} + 13h + 3min + 27s);
    e.utcOffset = -300min;
    EXPECT_EQ(e.instant(), sys_days{2026y / December / 7} + 19h + 3min + 27s);
}

TEST(CompanionRows, KeepTheirNineFieldsWhenATextHoldsASeparator)
{
    RunEvent e = chellesStart();
    e.site = "Bois;Vert\r\nSud";
    const auto back = parseCompanionLine(companionLine(e));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->site, "Bois,Vert  Sud");
    EXPECT_EQ(back->port, "/dev/parport0");
}

TEST(CompanionRows, ThatAreNotWellFormedDoNotRead)
{
    const std::string good = "2026-12-07T14:03:27+01:00;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0";
    ASSERT_TRUE(parseCompanionLine(good).has_value());
    for (const char* bad : {
             "2026-12-07T14:03:27+01:00;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0",
             "2026-12-07T14:03:27+01:00;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0;x",
             "2026-12-07T14:03:27+01:00;depart;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0",
             "2026-13-07T14:03:27+01:00;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0",
             "2026-12-07 14:03:27+01:00;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0",
             "2026-12-07T14:03:27+0100;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0",
             "2026-12-07T14:03:27Z;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0",
             "2026-12-07T14:03:27+01:00;debut;deux;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0",
             "2026-12-07T14:03:27+01:00;debut;2;Chelles;48,5246;2.3523;1;/dev/parport0;1.0.0",
             "2026-12-07T14:03:27+01:00;debut;2;Chelles;48.5246;nan;1;/dev/parport0;1.0.0",
             "2026-12-07T14:03:27+01:00;debut;2;Chelles;48.5246;2.3523;0;/dev/parport0;1.0.0",
             ""})
        EXPECT_FALSE(parseCompanionLine(bad).has_value()) << bad;
}

TEST(CompanionFile, SkipsItsHeaderCountsBadRowsAndLeavesAnUnfinishedRowOut)
{
    const auto events = runWithPeriodAndSiteChanges();
    const std::string unfinished = companionLine(events[3]);
    const std::string file = companionHeader() + companionLine(events[0]) + "n'importe quoi\r\n" +
                             companionLine(events[1]) +
                             unfinished.substr(0, unfinished.size() - 1);
    const auto record = readCompanion(file);
    EXPECT_EQ(record.events, (std::vector<RunEvent>{events[0], events[1]}));
    EXPECT_EQ(record.malformedRows, 1u);
}

}  // namespace

// The run companion: its rows for a run's events and reading them back (its name beside the
// measurement file: the cycle's tests).
#include <gtest/gtest.h>

#include <string>

#include "acquisition/run_companion.h"

using namespace std::chrono;
using namespace acquisition;

namespace {

// A run at Chelles, its period then its site changed, stopped; then a run west of Greenwich and
// one on a half-hour offset in the southern hemisphere, simulated.
const std::string kCompanionFile =
    "instant;evenement;numero;site;latitude;longitude;periode_s;port;version\r\n"
    "2026-12-07T14:03:27+01:00;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0\r\n"
    "2026-12-07T14:05:07+01:00;periode;102;Chelles;48.5246;2.3523;10;/dev/parport0;1.0.0\r\n"
    "2026-12-07T14:05:42+01:00;site;105;N\u00EEmes;43.5000;4.2100;10;/dev/parport0;1.0.0\r\n"
    "2026-12-07T15:05:42+01:00;arret;465;N\u00EEmes;43.5000;4.2100;10;/dev/parport0;1.0.0\r\n"
    "2027-03-14T03:00:00-05:00;fuseau;465;N\u00EEmes;43.5000;4.2100;10;/dev/parport0;1.0.0\r\n"
    "2027-03-14T03:00:00+05:30;quitter;465;Sydney;-33.8688;-151.2093;10;simulation;1.0.0\r\n";

TEST(CompanionRows, ReadBackAsTheEventsTheyWereWrittenFromAndTellTheirUniversalTime)
{
    // with a row that does not read (counted), the header again (skipped) and an unfinished row (left out)
    const auto record = readCompanion(kCompanionFile + "n'importe quoi\r\n" + companionHeader() + "2026-12-07T16:00:00+01:00;arret;470;Chelles;48.5246;2.3523;1;x;1\r");
    ASSERT_EQ(std::pair(record.events.size(), record.malformedRows), std::pair(std::size_t{6}, std::size_t{1}));
    std::string again = companionHeader();
    for (const RunEvent& e : record.events) again += companionLine(e);
    EXPECT_EQ(again, kCompanionFile);
    const RunEvent& site = record.events[2];
    EXPECT_EQ(std::tuple(site.kind, site.nextNumber, site.periodSeconds), std::tuple(RunEvent::Kind::Site, 105, 10));
    EXPECT_EQ(std::tuple(record.events[0].instant(), record.events[4].instant(), record.events[5].utcOffset),
              std::tuple(sys_days{2026y / December / 7} + 13h + 3min + 27s, sys_days{2027y / March / 14} + 8h, 330min));
    RunEvent e = record.events.front();  // a text holding a separator or a line end keeps the nine fields
    e.site = "Bois;Vert\r\nSud";
    const auto back = parseCompanionLine(companionLine(e));
    EXPECT_EQ(std::pair(back->site, back->port), std::pair(std::string("Bois,Vert  Sud"), std::string("/dev/parport0")));
}

TEST(CompanionRows, ThatAreNotWellFormedDoNotRead)
{
    const std::string good = "2026-12-07T14:03:27+01:00;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0";
    ASSERT_TRUE(parseCompanionLine(good).has_value());
    const auto with = [&](std::size_t field, const std::string& value) {  // the good row, one field replaced
        std::size_t at = 0;
        for (std::size_t i = 0; i < field; ++i) at = good.find(';', at) + 1;
        return good.substr(0, at) + value + good.substr(good.find(';', at) == std::string::npos ? good.size() : good.find(';', at));
    };
    for (const std::string& bad : {good.substr(0, good.rfind(';')), good + ";x", std::string(), with(0, "2026-13-07T14:03:27+01:00"),
                                   with(0, "2026-12-07 14:03:27+01:00"), with(0, "2026-12-07T14:03:27+0100"), with(0, "2026-12-07T14:03:27Z"),
                                   with(1, "depart"), with(2, "deux"), with(2, "-2"), with(4, "48,5246"), with(5, "nan"), with(6, "0")})
        EXPECT_FALSE(parseCompanionLine(bad).has_value()) << bad;
}

}  // namespace

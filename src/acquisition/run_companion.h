#pragma once
// The run companion: one CR LF row per event of a run (start, period or site change, a new UTC
// offset, stop, quit) beside the run's measurement file, readable by a spreadsheet or a script.
//
//   instant;evenement;numero;site;latitude;longitude;periode_s;port;version
//   2026-12-07T14:03:27+01:00;debut;2;Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0
//
// instant: the local date-time with the UTC offset in force (ISO 8601, +HH:MM / -HH:MM);
// evenement: debut, periode, site, fuseau, arret, quitter; numero: the measurement number the
// run's next reading carries (the window's NumMes + 1 at the event: the first reading of a run
// is number 2, so a start row says 2); latitude north positive, longitude east positive, both
// with a decimal point and 4 decimals; periode_s in whole seconds; port: the device path or
// "simulation"; version: the program's. Every row repeats every field, so it reads as a table.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace acquisition {

struct RunEvent {
    enum class Kind {
        Start,   ///< "debut": the run begins
        Period,  ///< "periode": the period changed
        Site,    ///< "site": another observing site was chosen
        Zone,    ///< "fuseau": the UTC offset changed during the run (summer time began or ended)
        Stop,    ///< "arret": the run was stopped
        Quit,    ///< "quitter": the program was quit during the run
    };
    Kind kind = Kind::Start;
    std::chrono::local_seconds local{};  ///< local date-time of the event, on the offset below
    std::chrono::minutes utcOffset{0};   ///< local clock minus universal time
    /// The number the run's next reading carries: readings numbered from here on were taken
    /// under this row's offset, period and site.
    std::int64_t nextNumber = 0;
    std::string site;            ///< UTF-8 site name, as the site list shows it
    double latitude = 0;         ///< degrees, positive north
    double longitudeEast = 0;    ///< degrees, positive east
    int periodSeconds = 1;
    std::string port;            ///< device path, or "simulation"
    std::string version;

    /// The event's universal time: local minus offset.
    std::chrono::sys_seconds instant() const;
};

/// "2026-12-07T14:03:27+01:00": a local date-time and the offset it is on, ISO 8601.
std::string isoLocalTime(std::chrono::local_seconds local, std::chrono::minutes utcOffset);

/// isoLocalTime's text back (exactly that form); false for anything else.
bool parseIsoLocalTime(std::string_view text, std::chrono::local_seconds& local,
                       std::chrono::minutes& utcOffset);

/// "debut", "periode", "site", "fuseau", "arret", "quitter".
std::string_view eventWord(RunEvent::Kind kind);

/// The companion beside a measurement file: "data12-05-2026.val" -> "data12-05-2026.run", a
/// kept earlier run "data12-05-2026.val.3" -> "data12-05-2026.run.3". Any other name gets
/// ".run" appended.
std::filesystem::path companionPath(const std::filesystem::path& measurementFile);

/// The header row, CR LF included.
std::string companionHeader();

/// One event row, CR LF included. A ';', CR or LF inside the text fields (never the case for
/// the built-in sites) is written as ',' or a blank, so the row keeps its nine fields.
std::string companionLine(const RunEvent& event);

/// One row back (with or without its CR LF). Nothing for the header row or for a row that is
/// not well formed (wrong field count, unknown event word, a number or instant that does not
/// read).
std::optional<RunEvent> parseCompanionLine(std::string_view line);

/// A whole companion's bytes: its events in file order and the count of rows that did not read
/// (the header is not counted; a last row without its line end is left out until it is whole).
struct CompanionRecord {
    std::vector<RunEvent> events;
    std::size_t malformedRows = 0;
};
CompanionRecord readCompanion(std::string_view bytes);

}  // namespace acquisition

#include "acquisition/run_companion.h"

#include <array>
#include <charconv>
#include <cmath>

#include "acquisition/field_parsing.h"
#include "acquisition/text_forms.h"

namespace acquisition {

namespace {

using namespace std::chrono;

constexpr std::string_view kHeader =
    "instant;evenement;numero;site;latitude;longitude;periode_s;port;version";
constexpr std::size_t kFieldCount = 9;

constexpr std::array<std::pair<RunEvent::Kind, std::string_view>, 6> kWords{{
    {RunEvent::Kind::Start, "debut"},
    {RunEvent::Kind::Period, "periode"},
    {RunEvent::Kind::Site, "site"},
    {RunEvent::Kind::Zone, "fuseau"},
    {RunEvent::Kind::Stop, "arret"},
    {RunEvent::Kind::Quit, "quitter"},
}};

void appendPadded(std::string& out, long long value, std::size_t width)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const auto length = static_cast<std::size_t>(result.ptr - buffer);
    if (length < width) out.append(width - length, '0');
    out.append(buffer, length);
}

void appendDegrees(std::string& out, double degrees)
{
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, degrees, std::chars_format::fixed, 4);
    out.append(buffer, result.ptr);
}

/// A text field that cannot break the row: ';' becomes ',', a line end a blank.
void appendText(std::string& out, std::string_view text)
{
    for (const char c : text) {
        if (c == ';') out += ',';
        else if (c == '\r' || c == '\n') out += ' ';
        else out += c;
    }
}

std::string_view withoutLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

/// "2026-12-07T14:03:27+01:00" back to its local date-time and offset.
bool readIsoLocalTime(std::string_view text, local_seconds& local, minutes& offset)
{
    // YYYY-MM-DDTHH:MM:SS+HH:MM
    if (text.size() != 25 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || (text[19] != '+' && text[19] != '-') ||
        text[22] != ':')
        return false;
    int y, mo, d, h, mi, s, oh, om;
    if (!readDigits(text.substr(0, 4), 4, y) || !readDigits(text.substr(5, 2), 2, mo) ||
        !readDigits(text.substr(8, 2), 2, d) || !readDigits(text.substr(11, 2), 2, h) ||
        !readDigits(text.substr(14, 2), 2, mi) || !readDigits(text.substr(17, 2), 2, s) ||
        !readDigits(text.substr(20, 2), 2, oh) || !readDigits(text.substr(23, 2), 2, om))
        return false;
    const year_month_day date{year{y}, month{static_cast<unsigned>(mo)},
                              day{static_cast<unsigned>(d)}};
    if (!date.ok() || h > 23 || mi > 59 || s > 59 || oh > 23 || om > 59) return false;
    local = local_days{date} + hours{h} + minutes{mi} + seconds{s};
    offset = minutes{oh * 60 + om};
    if (text[19] == '-') offset = -offset;
    return true;
}

std::optional<RunEvent::Kind> kindOf(std::string_view word)
{
    for (const auto& [kind, text] : kWords)
        if (text == word) return kind;
    return std::nullopt;
}

}  // namespace

sys_seconds RunEvent::instant() const
{
    return sys_seconds{local.time_since_epoch() - utcOffset};
}

std::string isoLocalTime(local_seconds local, minutes utcOffset)
{
    const local_days date = floor<days>(local);
    const year_month_day ymd{date};
    std::string text;
    text.reserve(25);
    appendPadded(text, static_cast<int>(ymd.year()), 4);
    text += '-';
    appendPadded(text, static_cast<unsigned>(ymd.month()), 2);
    text += '-';
    appendPadded(text, static_cast<unsigned>(ymd.day()), 2);
    text += 'T';
    text += clockTime(hh_mm_ss<seconds>{local - date});
    text += utcOffset < minutes{0} ? '-' : '+';
    const auto magnitude = utcOffset < minutes{0} ? -utcOffset.count() : utcOffset.count();
    appendPadded(text, magnitude / 60, 2);
    text += ':';
    appendPadded(text, magnitude % 60, 2);
    return text;
}

bool parseIsoLocalTime(std::string_view text, local_seconds& local, minutes& utcOffset)
{
    return readIsoLocalTime(text, local, utcOffset);
}

std::string_view eventWord(RunEvent::Kind kind)
{
    for (const auto& [k, text] : kWords)
        if (k == kind) return text;
    return {};
}

std::filesystem::path companionPath(const std::filesystem::path& measurementFile)
{
    const std::string name = measurementFile.filename().string();
    std::string companion;
    const auto val = name.rfind(".val");
    if (val != std::string::npos && val + 4 == name.size()) {
        companion = name.substr(0, val) + ".run";
    } else if (val != std::string::npos && val + 4 < name.size() && name[val + 4] == '.') {
        // "<day>.val.N": the kept run's number stays
        unsigned number = 0;
        if (readNumber(std::string_view(name).substr(val + 5), number))
            companion = name.substr(0, val) + ".run" + name.substr(val + 4);
    }
    if (companion.empty()) companion = name + ".run";
    return measurementFile.parent_path() / companion;
}

std::string companionHeader()
{
    std::string header{kHeader};
    header += "\r\n";
    return header;
}

std::string companionLine(const RunEvent& event)
{
    std::string line = isoLocalTime(event.local, event.utcOffset);
    line += ';';
    line += eventWord(event.kind);
    line += ';';
    line += std::to_string(event.nextNumber);
    line += ';';
    appendText(line, event.site);
    line += ';';
    appendDegrees(line, event.latitude);
    line += ';';
    appendDegrees(line, event.longitudeEast);
    line += ';';
    line += std::to_string(event.periodSeconds);
    line += ';';
    appendText(line, event.port);
    line += ';';
    appendText(line, event.version);
    line += "\r\n";
    return line;
}

std::optional<RunEvent> parseCompanionLine(std::string_view line)
{
    line = withoutLineEnd(line);
    std::array<std::string_view, kFieldCount> fields;
    std::size_t count = 0;
    for (std::size_t start = 0;;) {
        const auto end = line.find(';', start);
        if (count == kFieldCount) return std::nullopt;  // one field too many
        fields[count++] = line.substr(start, end == std::string_view::npos ? end : end - start);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (count != kFieldCount) return std::nullopt;

    RunEvent event;
    const auto kind = kindOf(fields[1]);
    if (!kind || !readIsoLocalTime(fields[0], event.local, event.utcOffset) ||
        !readNumber(fields[2], event.nextNumber) || !readNumber(fields[4], event.latitude) ||
        !readNumber(fields[5], event.longitudeEast) || !readNumber(fields[6], event.periodSeconds))
        return std::nullopt;
    if (!std::isfinite(event.latitude) || !std::isfinite(event.longitudeEast) ||
        event.periodSeconds < 1 || event.nextNumber < 0)
        return std::nullopt;
    event.kind = *kind;
    event.site = fields[3];
    event.port = fields[7];
    event.version = fields[8];
    return event;
}

CompanionRecord readCompanion(std::string_view bytes)
{
    CompanionRecord record;
    for (auto end = bytes.find('\n'); end != std::string_view::npos; end = bytes.find('\n')) {
        const std::string_view line = bytes.substr(0, end + 1);
        bytes.remove_prefix(end + 1);
        if (withoutLineEnd(line) == kHeader) continue;
        if (auto event = parseCompanionLine(line))
            record.events.push_back(std::move(*event));
        else
            ++record.malformedRows;
    }
    return record;
}

}  // namespace acquisition

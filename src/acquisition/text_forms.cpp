#include "acquisition/text_forms.h"

#include <charconv>

namespace acquisition {

namespace {

/// Decimal digits, zero-padded on the left to `width`; no locale is involved.
void appendDigits(std::string& out, long long value, std::size_t width)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value < 0 ? 0 : value);
    const auto length = static_cast<std::size_t>(result.ptr - buffer);
    if (length < width) out.append(width - length, '0');
    out.append(buffer, length);
}

}  // namespace

std::string monthDayYear(std::chrono::year_month_day date)
{
    std::string text;
    appendDigits(text, static_cast<unsigned>(date.month()), 2);
    text += '-';
    appendDigits(text, static_cast<unsigned>(date.day()), 2);
    text += '-';
    appendDigits(text, static_cast<int>(date.year()), 4);
    return text;
}

std::string clockTime(std::chrono::hh_mm_ss<std::chrono::seconds> time)
{
    std::string text;
    appendDigits(text, time.hours().count(), 2);
    text += ':';
    appendDigits(text, time.minutes().count(), 2);
    text += ':';
    appendDigits(text, time.seconds().count(), 2);
    return text;
}

}  // namespace acquisition

#pragma once
// Small exact readers for the fields of the instrument's text files: a field reads only when
// every byte of it belongs to the number, whatever the locale.
#include <charconv>
#include <string_view>
#include <system_error>

namespace acquisition {

/// The whole of `text` as a number (integer or floating, by `T`); false for an empty field,
/// a stray byte, or a value out of T's range. A leading '+' or blank never reads.
template <class T>
bool readNumber(std::string_view text, T& value)
{
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc{} && result.ptr == end;
}

/// Exactly `width` decimal digits, no sign.
inline bool readDigits(std::string_view text, std::size_t width, int& value)
{
    if (text.size() != width) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return readNumber(text, value);
}

}  // namespace acquisition

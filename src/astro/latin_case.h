#pragma once
// Lower case for the names of the site table, as typed by a user: UTF-8 in, UTF-8 out.
#include <string>
#include <string_view>

namespace astro {

/// Maps the capitals of Basic Latin, the Latin-1 Supplement and Latin Extended-A to their
/// small letters ("NÎMES" -> "nîmes", "ŁÓDŹ" -> "łódź", "İ" -> "i", "Ÿ" -> "ÿ"). Every other
/// character, and any byte that is not part of a valid two-byte sequence, is copied unchanged.
std::string lowerLatin(std::string_view text);

}  // namespace astro

#include "astro/latin_case.h"

#include <cstddef>

namespace astro {

namespace {

// Small letter of a capital in Basic Latin, Latin-1 Supplement and Latin Extended-A;
// every other code point is returned unchanged.
char32_t toLowerLatin(char32_t c)
{
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    if (c == 0x130) return U'i';    // capital I with dot above
    if (c == 0x178) return 0xFF;    // capital Y with diaeresis
    const bool evenCapitals = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenCapitals && c % 2 == 0) || (oddCapitals && c % 2 == 1)) {
        return c + 1;
    }
    return c;
}

// Every letter toLowerLatin produces lies below U+0800: one or two bytes.
void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string lowerLatin(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 < 0x80) {
            appendUtf8(out, toLowerLatin(b0));
            continue;
        }
        if ((b0 & 0xE0) == 0xC0 && i + 1 < text.size()) {
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            if ((b1 & 0xC0) == 0x80) {
                const auto c = static_cast<char32_t>(((b0 & 0x1F) << 6) | (b1 & 0x3F));
                appendUtf8(out, toLowerLatin(c));
                ++i;
                continue;
            }
        }
        out += static_cast<char>(b0);
    }
    return out;
}

}  // namespace astro

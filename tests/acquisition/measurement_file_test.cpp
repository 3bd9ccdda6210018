// Bytes of a measurement line and the day's file name, whatever the locale.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>

#include "acquisition/measurement_file.h"
#include "support/comma_decimal.h"

using namespace std::chrono;
using acquisition::dataFileName;
using acquisition::dataLine;

namespace {

TEST(DataLine, AndTheDaysFileNameMatchByteForByteInAnyLocale)
{
    std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const bool french = std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;  // the C library's too
    const std::string lines = dataLine(2, 2048, hh_mm_ss(14h + 3min + 27s)) + dataLine(10, 0, hh_mm_ss(0s)) +
                              dataLine(1234567, 4095, hh_mm_ss(8h + 9s));
    const std::string names = dataFileName(year(2026) / December / 5) + dataFileName(year(2027) / January / 31);
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(lines, " 2, 2048,14:03:27\r\n 10, 0,00:00:00\r\n 1234567, 4095,08:00:09\r\n");
    EXPECT_EQ(names, "data12-05-2026.valdata01-31-2027.val");
    if (!french) GTEST_SKIP() << "fr_FR.UTF-8 is not installed: checked under the C++ locale only";
}

}  // namespace

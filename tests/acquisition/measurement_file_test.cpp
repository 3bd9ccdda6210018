// Bytes of a measurement line and the day's file name.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <stdexcept>

#include "acquisition/measurement_file.h"

using namespace std::chrono;
using acquisition::dataFileName;
using acquisition::dataLine;

namespace {

hh_mm_ss<seconds> at(int h, int m, int s)
{
    return hh_mm_ss<seconds>(hours(h) + minutes(m) + seconds(s));
}

struct LineRow {
    const char* name;
    std::int64_t numMes;
    std::int64_t mesure;
    hh_mm_ss<seconds> time;
    std::string expected;
};

class DataLineBytes : public ::testing::TestWithParam<LineRow> {};

TEST_P(DataLineBytes, MatchByteForByte)
{
    const LineRow& row = GetParam();
    EXPECT_EQ(dataLine(row.numMes, row.mesure, row.time), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DataLineBytes,
    ::testing::Values(LineRow{"Reading2048AsNumber2", 2, 2048, at(14, 3, 27), " 2, 2048,14:03:27\r\n"},
                      LineRow{"Reading0AsNumber10", 10, 0, at(9, 5, 7), " 10, 0,09:05:07\r\n"},
                      LineRow{"FullScale4095", 86401, 4095, at(23, 59, 59), " 86401, 4095,23:59:59\r\n"},
                      LineRow{"Midnight", 3, 1, at(0, 0, 0), " 3, 1,00:00:00\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A comma as decimal point and a dot between thousands, as a French PC has them.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

class DataLineUnderLocale : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override
    {
        std::locale::global(std::locale::classic());
        std::setlocale(LC_ALL, "C");
    }
};

TEST_P(DataLineUnderLocale, StaysTheSame)
{
    const std::string name = GetParam();
    if (name == "builtin") {
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    } else {
        try {
            std::locale::global(std::locale(name));
        } catch (const std::runtime_error&) {
            GTEST_SKIP() << "locale " << name << " is not installed";
        }
        std::setlocale(LC_ALL, name.c_str());
    }
    EXPECT_EQ(dataLine(1234567, 4095, at(8, 0, 9)), " 1234567, 4095,08:00:09\r\n");
    EXPECT_EQ(dataFileName(year(2026) / December / 5), "data12-05-2026.val");
}

INSTANTIATE_TEST_SUITE_P(CommaDecimal, DataLineUnderLocale, ::testing::Values("builtin", "fr_FR.UTF-8"),
                         [](const auto& info) {
                             return info.index == 0 ? std::string("BuiltIn") : std::string("fr_FR");
                         });

TEST(DataFileName, MonthDayYear)
{
    EXPECT_EQ(dataFileName(year(2026) / December / 5), "data12-05-2026.val");
    EXPECT_EQ(dataFileName(year(2024) / February / 29), "data02-29-2024.val");
    EXPECT_EQ(dataFileName(year(2027) / January / 31), "data01-31-2027.val");
}

}  // namespace

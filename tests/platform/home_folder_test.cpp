// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// Where the measurement folder goes: HOME, or the account's record without it; and a home that
// is not there, which is reported and never made.
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "acquisition/measurement_file.h"
#include "platform/home_folder.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

namespace {

using std::filesystem::path;

// HOME as the test found it, put back afterwards.
class HomeVariable : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* home = ::getenv("HOME"))
            m_saved = home;
    }
    void TearDown() override
    {
        if (m_saved)
            ::setenv("HOME", m_saved->c_str(), 1);
        else
            ::unsetenv("HOME");
    }

    static std::string accountsHome()
    {
        const passwd* record = ::getpwuid(::getuid());
        return record != nullptr && record->pw_dir != nullptr ? record->pw_dir : "";
    }

private:
    std::optional<std::string> m_saved;
};

TEST_F(HomeVariable, IsTheHomeFolderWhenItIsSet)
{
    ::setenv("HOME", "/home/observatoire-chelles", 1);
    EXPECT_EQ(homeFolder(), path("/home/observatoire-chelles"));
}

TEST_F(HomeVariable, UnsetOrEmptyLeavesTheAccountsRecordToSayWhereHomeIs)
{
    const std::string record = accountsHome();
    if (record.empty() || record == "/")
        GTEST_SKIP() << "this account's record has no home folder other than /";
    ::unsetenv("HOME");
    EXPECT_EQ(homeFolder(), path(record));
    ::setenv("HOME", "", 1);
    EXPECT_EQ(homeFolder(), path(record));
}

std::string line(int n)
{
    using namespace std::chrono;
    return acquisition::dataLine(n, 2048, hh_mm_ss<seconds>(14h + 3min + 27s));
}

TEST(MissingHome, IsReportedWithItsPathAndNothingIsWrittenAnywhereUntilItExists)
{
    TempDir dir;
    FaultFileSystem files;
    const path home = dir.path() / "observatoire-chelles";
    const path file = home / "velmorixon" / "data12-05-2026.val";
    acquisition::MeasurementFile measures(file, files);

    EXPECT_FALSE(measures.append(line(2), true));
    ASSERT_TRUE(measures.lastFailure().has_value());
    EXPECT_EQ(measures.lastFailure()->path, home);
    EXPECT_EQ(measures.lastFailure()->code, std::make_error_code(std::errc::no_such_file_or_directory));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "the missing home was made";
    EXPECT_EQ(measures.pendingLines(), 1u);

    // The user creates the home: the waiting line and the next go in, in order.
    std::filesystem::create_directory(home);
    EXPECT_TRUE(measures.append(line(3), false));
    EXPECT_EQ(TempDir::read(file), line(2) + line(3));
}

TEST(MissingHome, ARelativeHomeIsRefusedAndNothingIsWrittenInTheCurrentFolder)
{
    TempDir dir;
    const path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    FaultFileSystem files;
    acquisition::MeasurementFile measures(path("~") / "velmorixon" / "data12-05-2026.val", files);
    std::filesystem::create_directory("~");  // even a folder of that name in the current folder
    const bool written = measures.append(line(2), true);
    const bool madeFolder = std::filesystem::exists("~/velmorixon");
    std::filesystem::current_path(before);

    EXPECT_FALSE(written);
    EXPECT_FALSE(madeFolder);
    ASSERT_TRUE(measures.lastFailure().has_value());
    EXPECT_EQ(measures.lastFailure()->path, path("~"));
    EXPECT_EQ(measures.lastFailure()->code, std::make_error_code(std::errc::no_such_file_or_directory));
}

}  // namespace

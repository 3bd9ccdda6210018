// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// Where the measurement folder goes: HOME, or the account's record without it (a missing or
// relative home is tested with the day's file, tests/platform/measurement_file_disk_test.cpp).
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/home_folder.h"

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

TEST_F(HomeVariable, IsTheHomeFolderAndUnsetOrEmptyLeavesTheAccountsRecordToSayWhereHomeIs)
{
    ::setenv("HOME", "/home/observatoire-chelles", 1);
    EXPECT_EQ(homeFolder(), path("/home/observatoire-chelles"));
    const std::string record = accountsHome();
    if (record.empty() || record == "/")
        GTEST_SKIP() << "this account's record has no home folder other than /";
    ::unsetenv("HOME");
    EXPECT_EQ(homeFolder(), path(record));
    ::setenv("HOME", "", 1);
    EXPECT_EQ(homeFolder(), path(record));
}

}  // namespace

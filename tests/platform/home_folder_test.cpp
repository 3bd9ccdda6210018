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

// HOME as the test found it, put back when it ends.
struct SavedHome {
    const char* found = ::getenv("HOME");
    std::optional<std::string> value = found ? std::optional<std::string>(found) : std::nullopt;
    ~SavedHome() { value ? ::setenv("HOME", value->c_str(), 1) : ::unsetenv("HOME"); }
};

TEST(HomeVariable, IsTheHomeFolderAndUnsetOrEmptyLeavesTheAccountsRecordToSayWhereHomeIs)
{
    const SavedHome saved;
    ::setenv("HOME", "/home/observatoire-chelles", 1);
    EXPECT_EQ(homeFolder(), path("/home/observatoire-chelles"));
    const passwd* account = ::getpwuid(::getuid());
    const std::string record = account != nullptr && account->pw_dir != nullptr ? account->pw_dir : "";
    if (record.empty() || record == "/")
        GTEST_SKIP() << "this account's record has no home folder other than /";
    ::unsetenv("HOME");
    EXPECT_EQ(homeFolder(), path(record));
    ::setenv("HOME", "", 1);
    EXPECT_EQ(homeFolder(), path(record));
}

}  // namespace

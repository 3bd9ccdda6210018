// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// Where the user's measurement folder lives.
#include <filesystem>

/// The user's home folder: HOME when it is set and not empty, otherwise the home folder of the
/// account's record in the password database (getpwuid of the real user). Empty when neither
/// gives one. Never "/" by default, and nothing is checked or created here.
std::filesystem::path homeFolder();

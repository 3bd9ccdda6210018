// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// A program started apart from this one: nothing it does can stop or slow the caller.
#include <string>
#include <vector>

/// Starts `command` (the program, found on PATH when it has no '/', then its arguments, bytes as
/// they are) in a session of its own, with no signal blocked, and returns at once: it is not
/// waited for and leaves no zombie. False when it could not be started.
bool startDetached(std::vector<std::string> command);

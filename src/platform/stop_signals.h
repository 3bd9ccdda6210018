// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// SIGTERM (the service manager's stop) and SIGINT (Ctrl+C) as events of the Qt event loop, so
// that a program without a window ends its work in order instead of dying in the middle of it.
#include <functional>
#include <memory>

#include "platform/descriptor.h"

class QSocketNotifier;

class StopSignals {
public:
    /// Holds SIGTERM and SIGINT back in the calling thread and in every thread started after:
    /// call it first thing in main(), before anything can start a thread.
    static void block();

    /// `stop` runs once, in the event loop, with "SIGTERM" or "SIGINT" when the first one arrives
    /// (block() having been called). Needs the QCoreApplication; throws std::system_error when signalfd fails.
    explicit StopSignals(std::function<void(const char* signal)> stop);
    ~StopSignals();

private:
    platform_io::Descriptor m_signals;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "platform/stop_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <system_error>

namespace {

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

void StopSignals::block()
{
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

StopSignals::StopSignals(std::function<void(const char* signal)> stop)
    : m_signals([] {
          const sigset_t set = stopSignals();
          return ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
      }())
{
    if (m_signals.get() < 0)
        throw std::system_error(errno, std::generic_category(), "signalfd");
    m_notifier = std::make_unique<QSocketNotifier>(m_signals.get(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this, stop = std::move(stop)] {
        signalfd_siginfo received{};
        if (::read(m_signals.get(), &received, sizeof received) != ssize_t(sizeof received))
            return;
        m_notifier->setEnabled(false);  // one stop; the signals after it wait unread
        stop(received.ssi_signo == SIGTERM ? "SIGTERM" : "SIGINT");
    });
}

StopSignals::~StopSignals() = default;

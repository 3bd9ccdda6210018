#include "platform/clock.h"

#include <ctime>

std::chrono::local_time<std::chrono::milliseconds> SystemClock::localNow() const
{
    using namespace std::chrono;
    // The C library applies TZ / /etc/localtime, as every other program on the PC does.
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()) % 1000;
    const auto day = local_days{year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday};
    return local_time<milliseconds>{day.time_since_epoch() + hours{local.tm_hour} +
                                    minutes{local.tm_min} + seconds{local.tm_sec} +
                                    (ms < milliseconds{0} ? ms + seconds{1} : ms)};
}

std::chrono::steady_clock::time_point SystemClock::steadyNow() const
{
    return std::chrono::steady_clock::now();
}

std::chrono::minutes SystemClock::utcOffset() const
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return std::chrono::duration_cast<std::chrono::minutes>(std::chrono::seconds{local.tm_gmtoff});
}

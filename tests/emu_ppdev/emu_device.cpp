#include "emu_device.h"

#include <linux/parport.h>
#include <linux/ppdev.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace emu {

namespace {

// The converter's wiring on the port and its data-sheet minimums.
constexpr std::uint8_t kChipSelect = 0x01;
constexpr std::uint8_t kClock = 0x02;
constexpr std::uint8_t kDataOut = 0x20;
constexpr std::int64_t kChipSelectHighNs = 500;
constexpr std::int64_t kAcquisitionNs = 1'500;
constexpr std::int64_t kClockPhaseNs = 100;

const char* violationText(ViolationKind kind)
{
    switch (kind) {
    case ViolationKind::ChipSelectHighTooShort: return "chip select high too short";
    case ViolationKind::AcquisitionTooShort: return "acquisition time too short";
    case ViolationKind::ClockNotLowAtSelect: return "clock high when chip select falls";
    case ViolationKind::ClockDuringConversion: return "clock edge during the conversion";
    case ViolationKind::ClockHighTooShort: return "clock high phase too short";
    case ViolationKind::ClockLowTooShort: return "clock low phase too short";
    case ViolationKind::UnusedDataBits: return "data bits 2 to 7 written as 1";
    }
    return "?";
}

void violate(State& s, std::uint64_t seq, ViolationKind kind, std::int64_t measured,
             std::int64_t required)
{
    if (s.violationCount < kMaxViolations)
        s.violations[s.violationCount] = Violation{seq, kind, measured, required};
    ++s.violationCount;
    std::fprintf(stderr, "emu_ppdev: MAX187 timing: %s (%lld ns, at least %lld ns), operation %llu\n",
                 violationText(kind), static_cast<long long>(measured),
                 static_cast<long long>(required), static_cast<unsigned long long>(seq));
}

void endConversionIfDue(Converter& c, std::int64_t t)
{
    if (c.phase == ConverterPhase::Converting && t >= c.conversionEndNs) c.phase = ConverterPhase::Shifting;
}

// The lines change to `value` at time t (operation seq).
void writeLines(State& s, std::uint8_t value, std::int64_t t, std::uint64_t seq)
{
    Converter& c = s.chip;
    if (value & ~(kChipSelect | kClock)) violate(s, seq, ViolationKind::UnusedDataBits, value, 0);
    endConversionIfDue(c, t);
    const bool wasSelected = (c.data & kChipSelect) == 0;
    const bool selected = (value & kChipSelect) == 0;
    const bool clockWasHigh = (c.data & kClock) != 0;
    const bool clockHigh = (value & kClock) != 0;
    if (!wasSelected && selected) {
        // Falling chip select: the track-and-hold holds the input, the conversion starts.
        const std::int64_t high = t - c.chipSelectRoseNs;
        if (high < kChipSelectHighNs)
            violate(s, seq, ViolationKind::ChipSelectHighTooShort, high, kChipSelectHighNs);
        if (high < kAcquisitionNs) violate(s, seq, ViolationKind::AcquisitionTooShort, high, kAcquisitionNs);
        if (clockWasHigh || clockHigh) violate(s, seq, ViolationKind::ClockNotLowAtSelect, 0, 0);
        c.code = static_cast<std::uint16_t>(std::clamp(s.control.inputMillivolts, 0, 4095));
        c.phase = ConverterPhase::Converting;
        c.chipSelectFellNs = t;
        c.conversionEndNs = t + s.control.conversionNs;
        c.lastEdgeNs = t;
        c.bitsShifted = 0;
        ++s.conversions;
    } else if (wasSelected && !selected) {
        c.chipSelectRoseNs = t;  // deselected: DOUT floats, the input is tracked again
        c.phase = ConverterPhase::Idle;
    } else if (selected && clockHigh != clockWasHigh) {
        if (c.phase == ConverterPhase::Converting) {
            violate(s, seq, ViolationKind::ClockDuringConversion, t - c.chipSelectFellNs,
                    s.control.conversionNs);
        } else {
            const std::int64_t phase = t - c.lastEdgeNs;
            if (phase < kClockPhaseNs)
                violate(s, seq, clockHigh ? ViolationKind::ClockLowTooShort : ViolationKind::ClockHighTooShort,
                        phase, kClockPhaseNs);
            // Each falling edge after the end of conversion puts the next bit on DOUT.
            if (!clockHigh && c.phase == ConverterPhase::Shifting) ++c.bitsShifted;
        }
        c.lastEdgeNs = t;
    }
    c.data = value;
}

std::uint8_t statusLines(State& s, std::int64_t t)
{
    Converter& c = s.chip;
    endConversionIfDue(c, t);
    bool dataOut = true;  // deselected: DOUT is high impedance and the input reads high
    if ((c.data & kChipSelect) == 0) {
        switch (c.phase) {
        case ConverterPhase::Idle: dataOut = false; break;  // selected since before anyone knew
        case ConverterPhase::Converting: dataOut = false; break;
        case ConverterPhase::Shifting:
            if (c.bitsShifted == 0) {
                dataOut = true;  // end of conversion
            } else if (c.bitsShifted > 12) {
                dataOut = false;  // zeros after the LSB
            } else {
                dataOut = ((c.code >> (12 - c.bitsShifted)) & 1U) != 0;
            }
            break;
        }
    }
    return static_cast<std::uint8_t>((s.control.otherStatusBits & ~kDataOut) | (dataOut ? kDataOut : 0));
}

// A process that ended without closing the device: the kernel closed its descriptors.
void reapEndedProcesses(State& s)
{
    for (std::size_t i = 0; i < kMaxOpenFiles; ++i) {
        OpenFile& f = s.files[i];
        if (f.inUse && f.pid != ::getpid() && ::kill(f.pid, 0) < 0 && errno == ESRCH) {
            if (s.claimedBy == static_cast<int>(i)) s.claimedBy = -1;
            if (s.exclusiveHolder == static_cast<int>(i)) s.exclusiveHolder = -1;
            if (f.registered) --s.registeredCount;
            f = OpenFile{};
        }
    }
}

void spin(std::int64_t ns)
{
    if (ns <= 0) return;
    const std::int64_t until = monotonicNs() + ns;
    while (monotonicNs() < until) {
    }
}

// The deferred registration of the first PPCLAIM: an exclusive device wants the port alone.
int registerDevice(State& s, int file)
{
    OpenFile& f = s.files[file];
    if (s.exclusiveHolder >= 0) return -ENXIO;               // "no more devices allowed"
    if (f.exclusive && s.registeredCount > 0) return -ENXIO;  // "cannot grant exclusive access"
    f.registered = true;
    ++s.registeredCount;
    if (f.exclusive) s.exclusiveHolder = file;
    return 0;
}

int claim(State& s, int file)
{
    OpenFile& f = s.files[file];
    if (f.claimed) return -EINVAL;  // "you've already got it"
    if (s.control.claimError != 0) return -s.control.claimError;
    if (!f.registered) {
        if (const int r = registerDevice(s, file); r < 0) return r;
    }
    // A shared registration waits until the holder lets go, as parport_claim_or_block does.
    while (s.claimedBy >= 0 && s.claimedBy != file) {
        if (pthread_cond_wait(&s.changed, &s.mutex) == EOWNERDEAD) pthread_mutex_consistent(&s.mutex);
        reapEndedProcesses(s);
    }
    s.claimedBy = file;
    f.claimed = true;
    return 0;
}

void release(State& s, int file)
{
    s.files[file].claimed = false;
    if (s.claimedBy == file) s.claimedBy = -1;
}

}  // namespace

int deviceOpen(State& s, int fd)
{
    Lock lock(s);
    reapEndedProcesses(s);
    const std::int64_t t = monotonicNs();
    if (s.control.openError != 0) {
        record(s, EventKind::Open, 0, 0, s.control.openError, t);
        return -s.control.openError;
    }
    for (std::size_t i = 0; i < kMaxOpenFiles; ++i) {
        if (!s.files[i].inUse) {
            s.files[i] = OpenFile{static_cast<std::int32_t>(::getpid()), fd, true, false, false, false,
                                  IEEE1284_MODE_COMPAT, 0 /* forward idle */, 0};
            record(s, EventKind::Open, 0, static_cast<std::uint32_t>(i), 0, t);
            return static_cast<int>(i);
        }
    }
    record(s, EventKind::Open, 0, 0, EMFILE, t);
    return -EMFILE;
}

int deviceIoctl(State& s, int file, unsigned long request, void* argument,
                int (*forward)(unsigned long, void*, int), int fd)
{
    switch (request) {
    case FIOCLEX:
    case FIONCLEX:
    case FIONBIO:
    case FIOASYNC: {
        // Answered by the kernel before the driver sees them.
        const int r = forward(request, argument, fd);
        const int error = r < 0 ? errno : 0;
        Lock lock(s);
        record(s, EventKind::OtherIoctl, request, 0, error, monotonicNs());
        return r < 0 ? -error : 0;
    }
    default: break;
    }
    const bool onLines = request == PPWDATA || request == PPRSTATUS || request == PPRDATA;
    if (onLines) spin(s.control.latencyNs);  // the port takes its time before the lines change
    Lock lock(s);
    OpenFile& f = s.files[file];
    const std::int64_t t = monotonicNs();
    auto answer = [&](EventKind kind, std::uint32_t value, int result) {
        record(s, kind, request, value, -result, t);
        return result;
    };
    switch (request) {
    case PPEXCL:
        if (f.registered) return answer(EventKind::Exclusive, 0, f.exclusive ? 0 : -EINVAL);  // too late
        f.exclusive = true;
        return answer(EventKind::Exclusive, 0, 0);
    case PPCLAIM: {
        const int r = claim(s, file);
        return answer(EventKind::Claim, 0, r);
    }
    // The driver's settings, kept per open file and answered with or without the claim.
    case PPSETMODE: f.mode = *static_cast<const int*>(argument); return answer(EventKind::OtherIoctl, 0, 0);
    case PPGETMODE: *static_cast<int*>(argument) = f.mode; return answer(EventKind::OtherIoctl, 0, 0);
    case PPSETPHASE: f.phase = *static_cast<const int*>(argument); return answer(EventKind::OtherIoctl, 0, 0);
    case PPGETPHASE: *static_cast<int*>(argument) = f.phase; return answer(EventKind::OtherIoctl, 0, 0);
    case PPGETMODES:
        *static_cast<unsigned int*>(argument) = PARPORT_MODE_PCSPP;
        return answer(EventKind::OtherIoctl, 0, 0);
    case PPSETFLAGS: {
        const int flags = *static_cast<const int*>(argument);
        if (flags & ~PP_FLAGMASK) return answer(EventKind::OtherIoctl, 0, -EINVAL);
        f.flags = flags;
        return answer(EventKind::OtherIoctl, 0, 0);
    }
    case PPGETFLAGS: *static_cast<int*>(argument) = f.flags; return answer(EventKind::OtherIoctl, 0, 0);
    default: break;
    }
    if (!f.claimed) {
        // "claim the port first"
        const EventKind kind = request == PPWDATA      ? EventKind::WriteData
                               : request == PPRSTATUS  ? EventKind::ReadStatus
                               : request == PPRELEASE  ? EventKind::Release
                                                       : EventKind::OtherIoctl;
        return answer(kind, 0, -EINVAL);
    }
    if (onLines) {
        if (s.control.eioAfter == 0) {
            return answer(request == PPWDATA ? EventKind::WriteData : EventKind::ReadStatus, 0, -EIO);
        }
        if (s.control.eioAfter > 0) --s.control.eioAfter;
        ++s.dataOperations;
    }
    switch (request) {
    case PPRELEASE:
        release(s, file);
        return answer(EventKind::Release, 0, 0);
    case PPWDATA: {
        const std::uint8_t value = *static_cast<const unsigned char*>(argument);
        const std::uint64_t seq = s.nextSeq;  // the event recorded below
        writeLines(s, value, t, seq);
        return answer(EventKind::WriteData, value, 0);
    }
    case PPRSTATUS: {
        const std::uint8_t status = statusLines(s, t);
        *static_cast<unsigned char*>(argument) = status;
        return answer(EventKind::ReadStatus, status, 0);
    }
    case PPRDATA:
        *static_cast<unsigned char*>(argument) = s.chip.data;
        return answer(EventKind::OtherIoctl, s.chip.data, 0);
    default:
        return answer(EventKind::OtherIoctl, 0, -EINVAL);  // "What?"
    }
}

void deviceClose(State& s, int file)
{
    Lock lock(s);
    OpenFile& f = s.files[file];
    const bool wasClaimed = f.claimed;
    if (wasClaimed) release(s, file);  // "released pardevice because user-space forgot"
    if (f.registered) --s.registeredCount;
    if (s.exclusiveHolder == file) s.exclusiveHolder = -1;
    f = OpenFile{};
    record(s, EventKind::Close, 0, wasClaimed ? 1 : 0, 0, monotonicNs());
}

}  // namespace emu

#pragma once
// The emulated parallel port's shared state: one file mapped by the test and by every process
// that opens the emulated device (through the preloaded shim), so that two instances of the
// program see one port. Plain data only; the process-shared mutex guards everything but the
// header.
#include <pthread.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace emu {

/// Environment: the device path the shim takes over, and the state file it maps.
inline constexpr const char* kDeviceVariable = "VELMORIXON_EMU_DEVICE";
inline constexpr const char* kStateVariable = "VELMORIXON_EMU_STATE";

inline constexpr std::uint32_t kMagic = 0x50504d45;  // "EMPP"
inline constexpr std::size_t kMaxOpenFiles = 16;
inline constexpr std::size_t kTraceCapacity = std::size_t{1} << 15;
inline constexpr std::size_t kMaxViolations = 256;

/// What one event of the trace was.
enum class EventKind : std::uint16_t {
    Open,        // the device opened (error != 0: refused)
    Close,       // value 1: the port was still claimed and is released by the close
    Exclusive,   // PPEXCL
    Claim,       // PPCLAIM
    Release,     // PPRELEASE
    WriteData,   // PPWDATA, value written
    ReadStatus,  // PPRSTATUS, value returned
    OtherIoctl,  // any other request, answered as ppdev answers it
};

struct Event {
    std::uint64_t seq;
    std::int64_t timeNs;  // CLOCK_MONOTONIC when the operation took effect
    std::int32_t pid;
    EventKind kind;
    std::uint16_t error;  // 0 or the errno the caller got
    std::uint64_t request;
    std::uint32_t value;
};

/// A data-sheet rule of the converter that the wire broke.
enum class ViolationKind : std::uint16_t {
    ChipSelectHighTooShort,  // chip select high < 500 ns before it falls
    AcquisitionTooShort,     // < 1.5 us of acquisition (chip select high) before it falls
    ClockNotLowAtSelect,     // chip select falls while the clock is high
    ClockDuringConversion,   // a clock edge before the end of conversion (the edge is lost)
    ClockHighTooShort,       // a high clock phase < 100 ns
    ClockLowTooShort,        // a low clock phase < 100 ns
    UnusedDataBits,          // data bits 2 to 7 written as 1
};

struct Violation {
    std::uint64_t seq;  // the operation that broke the rule
    ViolationKind kind;
    std::int64_t measuredNs;
    std::int64_t requiredNs;
};

/// Set by the test, read by the device at every operation.
struct Control {
    std::int32_t inputMillivolts;  // AIN; the code is this clamped to 0..4095
    std::int64_t latencyNs;        // the time every port operation takes
    std::int64_t conversionNs;     // 5.5 to 8.5 us on the chip
    std::int32_t openError;        // errno for open, 0: open works
    std::int32_t claimError;       // errno for PPCLAIM, 0: the claim works
    std::int64_t eioAfter;         // data/status operations left before EIO; -1: never
    std::uint8_t otherStatusBits;  // the status lines the converter does not drive
};

/// One open file description of the device, as ppdev keeps it.
struct OpenFile {
    std::int32_t pid;
    std::int32_t fd;
    bool inUse;
    bool exclusive;   // PPEXCL asked
    bool registered;  // registered with the port (at the first PPCLAIM)
    bool claimed;
    std::int32_t mode;   // PPSETMODE / PPGETMODE
    std::int32_t phase;  // PPSETPHASE / PPGETPHASE
    std::int32_t flags;  // PPSETFLAGS / PPGETFLAGS
};

enum class ConverterPhase : std::uint8_t { Idle, Converting, Shifting };

/// The MAX187 at the end of the wire.
struct Converter {
    std::uint8_t data;  // the data register as last written
    ConverterPhase phase;
    std::uint16_t code;
    std::int32_t bitsShifted;  // falling clock edges since the end of conversion
    std::int64_t chipSelectRoseNs;
    std::int64_t chipSelectFellNs;
    std::int64_t lastEdgeNs;
    std::int64_t conversionEndNs;
};

struct State {
    std::uint32_t magic;
    std::uint32_t size;
    pthread_mutex_t mutex;   // process-shared, robust
    pthread_cond_t changed;  // broadcast after every event (CLOCK_MONOTONIC)
    Control control;
    OpenFile files[kMaxOpenFiles];
    std::int32_t claimedBy;        // index in files, -1: free
    std::int32_t exclusiveHolder;  // index in files registered exclusively, -1: none
    std::int32_t registeredCount;
    Converter chip;
    std::uint64_t dataOperations;  // PPWDATA and PPRSTATUS that reached the lines
    std::uint64_t conversions;     // falling chip-select edges
    std::uint64_t nextSeq;         // events recorded so far
    std::uint64_t violationCount;  // all of them, also those beyond kMaxViolations
    Violation violations[kMaxViolations];
    Event trace[kTraceCapacity];   // event seq lives at trace[seq % kTraceCapacity]
};

/// Locks the state's mutex, making it consistent again when its holder died.
class Lock {
public:
    explicit Lock(State& state) : m_state(state)
    {
        if (pthread_mutex_lock(&m_state.mutex) == EOWNERDEAD) pthread_mutex_consistent(&m_state.mutex);
    }
    ~Lock() { pthread_mutex_unlock(&m_state.mutex); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    State& m_state;
};

/// CLOCK_MONOTONIC in nanoseconds.
std::int64_t monotonicNs();

/// Maps an existing state file (nullptr with errno set when it is missing or not a state).
State* mapState(const char* path);
void unmapState(State* state);

/// Appends an event (under the lock) and wakes every waiter; returns its seq.
std::uint64_t record(State& state, EventKind kind, std::uint64_t request, std::uint32_t value,
                     int error, std::int64_t timeNs);

}  // namespace emu

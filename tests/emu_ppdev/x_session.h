#pragma once
// Driving a real X program from a test: an Xvfb server of its own, programs launched on it,
// windows found by title and process, clicks at positions in 1/1440 inch (15 units a pixel),
// and the files the program writes waited for through inotify.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace xtest {

using std::chrono::milliseconds;
inline constexpr milliseconds kPatience{30'000};  // how long a step may take before it failed

/// A child process; ended (SIGTERM, then SIGKILL) when destroyed while it still runs.
class Process {
public:
    /// Starts argv[0] (searched in PATH) with exactly `environment`; stdout and stderr go to `log`
    /// (none: /dev/null).
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
            const std::filesystem::path& log = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return m_pid; }
    /// The exit status (0..255), 128 + signal for a signal, nullopt when still running after timeout.
    std::optional<int> waitExit(milliseconds timeout = kPatience);
    bool running();

private:
    pid_t m_pid = -1;
    int m_pidfd = -1;
    std::optional<int> m_status;
};

/// Runs a tool to its end and gives its standard output ("" on failure or after the timeout).
std::string output(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   milliseconds timeout = kPatience);

/// This process's environment as "NAME=value" entries, less the names in `without`.
std::vector<std::string> currentEnvironment(const std::vector<std::string>& without = {});

/// An Xvfb screen of 1024x768 at 96 dpi on a display it chooses itself.
class XServer {
public:
    XServer();
    const std::string& display() const { return m_display; }
    /// currentEnvironment() with DISPLAY set to this server.
    std::vector<std::string> environment() const;

    /// The mapped windows of process `pid` whose title matches the extended regular expression.
    std::vector<std::string> windows(pid_t pid, const std::string& title) const;
    /// Waits until process `pid` shows such a window other than those in `except`; "" on timeout.
    std::string waitWindow(pid_t pid, const std::string& title, const std::vector<std::string>& except = {},
                           milliseconds timeout = kPatience) const;
    /// Raises the window and left-clicks the centre of a control given in 1/1440 inch from its
    /// client area's top-left corner.
    void click(const std::string& window, int left, int top, int width, int height) const;
    /// Gives the window the keyboard focus and presses a key ("Return").
    void key(const std::string& window, const std::string& name) const;

private:
    std::vector<std::string> xdotool(const std::vector<std::string>& arguments) const;

    std::optional<Process> m_server;
    std::string m_display;
};

/// Waits, through inotify on its folder, until `file` holds at least `lines` lines ending in
/// '\n', and gives its bytes (whatever it holds at the timeout).
std::string waitForLines(const std::filesystem::path& file, std::size_t lines, milliseconds timeout = kPatience);

}  // namespace xtest

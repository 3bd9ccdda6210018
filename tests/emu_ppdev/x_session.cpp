#include "x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <system_error>

extern char** environ;

namespace xtest {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

int pidfdOpen(pid_t pid)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> p;
    for (std::string& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

// Starts argv with `environment`; stdin from /dev/null, stdout to `out` (-1: /dev/null),
// stderr to `err` (-1: /dev/null).
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> environment, int out, int err,
            bool ownGroup)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out >= 0) {
        posix_spawn_file_actions_adddup2(&actions, out, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    if (err >= 0) {
        posix_spawn_file_actions_adddup2(&actions, err, 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (ownGroup) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    auto args = pointers(argv);
    auto env = pointers(environment);
    pid_t pid = -1;
    const int r = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), env.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (r != 0) {
        errno = r;
        fail("posix_spawnp " + argv[0]);
    }
    return pid;
}

int decode(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

Process::Process(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                 const std::filesystem::path& log)
{
    int out = -1;
    if (!log.empty()) {
        out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (out < 0) fail("open " + log.string());
    }
    m_pid = spawn(argv, environment, out, out, true);
    if (out >= 0) ::close(out);
    m_pidfd = pidfdOpen(m_pid);
    if (m_pidfd < 0) fail("pidfd_open");
}

Process::~Process()
{
    if (running()) {
        ::kill(-m_pid, SIGTERM);
        if (!waitExit(milliseconds{5'000})) {
            ::kill(-m_pid, SIGKILL);
            waitExit(milliseconds{5'000});
        }
    }
    ::close(m_pidfd);
}

std::optional<int> Process::waitExit(milliseconds timeout)
{
    if (m_status) return m_status;
    pollfd p{m_pidfd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(timeout.count()));
    if (r <= 0) return std::nullopt;
    int status = 0;
    if (::waitpid(m_pid, &status, 0) == m_pid) m_status = decode(status);
    return m_status;
}

bool Process::running()
{
    return !waitExit(milliseconds{0}).has_value();
}

std::string output(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   milliseconds timeout)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) < 0) fail("pipe2");
    const pid_t pid = spawn(argv, environment, pipeFds[1], -1, false);
    ::close(pipeFds[1]);
    const int pidfd = pidfdOpen(pid);
    const auto deadline = Clock::now() + timeout;
    std::string text;
    char buffer[4096];
    for (;;) {
        pollfd p{pipeFds[0], POLLIN, 0};
        if (::poll(&p, 1, remainingMs(deadline)) <= 0) {
            ::kill(pid, SIGKILL);
            text.clear();
            break;
        }
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (pidfd >= 0) ::close(pidfd);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : std::string();
}

std::vector<std::string> currentEnvironment(const std::vector<std::string>& without)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        if (std::find(without.begin(), without.end(), name) == without.end()) env.push_back(entry);
    }
    return env;
}

XServer::XServer()
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) < 0) fail("pipe2");
    // -displayfd: the server picks a free display and writes its number once it accepts
    // connections, so that servers of tests running side by side never meet.
    const int keep = ::fcntl(pipeFds[1], F_DUPFD, 3);  // without close-on-exec, for the server
    m_server.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(keep), "-screen", "0",
                                              "1024x768x24", "-dpi", "96", "-nolisten", "tcp", "-noreset",
                                              "+bs"},
                     currentEnvironment());
    ::close(keep);
    ::close(pipeFds[1]);
    std::string number;
    const auto deadline = Clock::now() + kPatience;
    char c = 0;
    while (true) {
        pollfd p{pipeFds[0], POLLIN, 0};
        if (::poll(&p, 1, remainingMs(deadline)) <= 0 || ::read(pipeFds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    ::close(pipeFds[0]);
    if (number.empty()) throw std::runtime_error("Xvfb did not start");
    m_display = ":" + number;
}

std::vector<std::string> XServer::environment() const
{
    auto env = currentEnvironment({"DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                                   "QT_ENABLE_HIGHDPI_SCALING", "WAYLAND_DISPLAY"});
    env.push_back("DISPLAY=" + m_display);
    env.push_back("QT_QPA_PLATFORM=xcb");
    return env;
}

std::vector<std::string> XServer::xdotool(const std::vector<std::string>& arguments) const
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::istringstream lines(output(argv, environment()));
    std::vector<std::string> out;
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) out.push_back(line);
    return out;
}

std::vector<std::string> XServer::windows(pid_t pid, const std::string& title) const
{
    return xdotool({"search", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name", title});
}

std::string XServer::waitWindow(pid_t pid, const std::string& title, const std::vector<std::string>& except,
                                milliseconds timeout) const
{
    // X tells no one when a window is mapped: look again every 100 ms, and stop at once when
    // the program has gone.
    const int pidfd = pidfdOpen(pid);
    const auto deadline = Clock::now() + timeout;
    std::string found;
    do {
        for (const std::string& id : windows(pid, title)) {
            if (std::find(except.begin(), except.end(), id) == except.end()) {
                found = id;
                break;
            }
        }
        if (!found.empty()) break;
        pollfd p{pidfd, POLLIN, 0};
        if (::poll(&p, 1, std::min(100, remainingMs(deadline))) > 0) break;  // the program ended
    } while (Clock::now() < deadline);
    if (pidfd >= 0) ::close(pidfd);
    return found;
}

void XServer::click(const std::string& window, int left, int top, int width, int height) const
{
    const int x = (2 * left + width) / (2 * 15);
    const int y = (2 * top + height) / (2 * 15);
    // No --sync: it waits for the pointer to move, forever when it is already there. The X server
    // handles the warp before the button, both coming from the one connection.
    xdotool({"windowraise", window, "mousemove", "--window", window, std::to_string(x), std::to_string(y), "click",
             "1"});
}

void XServer::key(const std::string& window, const std::string& name) const
{
    xdotool({"windowraise", window, "windowfocus", "--sync", window, "key", "--clearmodifiers", name});
}

std::string waitForLines(const std::filesystem::path& file, std::size_t lines, milliseconds timeout)
{
    const int watch = ::inotify_init1(IN_CLOEXEC);
    if (watch < 0) fail("inotify_init1");
    if (::inotify_add_watch(watch, file.parent_path().c_str(), IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO) < 0)
        fail("inotify_add_watch " + file.parent_path().string());
    const auto read = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const auto deadline = Clock::now() + timeout;
    std::string text = read();
    while (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) < lines) {
        pollfd p{watch, POLLIN, 0};
        if (::poll(&p, 1, remainingMs(deadline)) <= 0) break;
        char events[4096];
        if (::read(watch, events, sizeof events) < 0) break;
        text = read();
    }
    ::close(watch);
    return text;
}

}  // namespace xtest

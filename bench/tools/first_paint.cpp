// How long a program takes to put its window on the screen, as the X server sees it:
//
//   first_paint [--runs N] [--bare-text TEXT] BARE_WINDOW PROGRAM [ARGUMENT...]
//
// Each run starts PROGRAM and times, from just before the fork, the first damage the X server
// reports on the screen after the program's first top-level window is mapped (its first
// paint); the window's size is noted, and BARE_WINDOW (bench/tools/bare_window.cpp, a plain
// QWidget) is then started and timed the same way at that size, "BARE_WINDOW WIDTH HEIGHT"
// (with --bare-text, one label showing TEXT: the yardstick then pays for fonts too).
// One warm-up run of each is not counted. Both run with HOME set to a fresh temporary folder,
// so nothing lands in the user's data folder, and are stopped with SIGTERM after their paint.
// The report gives the mean, median and extremes of each in ms, the mean time the program's
// threads had spent on a processor by then (less swayed by a busy machine than the wall time),
// and the ratios PROGRAM / bare.
// It needs an X server with the DAMAGE extension on $DISPLAY (Xvfb has it); it never fails
// on a slow figure, only on a program that does not paint within 20 s.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <numeric>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Paint {
    double ms = 0;  ///< from the fork to the first damage after the window is mapped
    double mappedMs = 0;
    double cpuMs = 0;  ///< the program's threads' time on a processor until then
    int width = 0;
    int height = 0;
};

struct Server {
    Display* display = nullptr;
    Window root = 0;
    int damageEvent = 0;
};

pid_t start(const std::vector<std::string>& command, const std::string& home)
{
    std::vector<std::string> words = command;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", home.c_str(), 0);  // Qt asks for one; mkdtemp made it 0700
        ::execv(argv[0], argv.data());
        std::perror(argv[0]);
        ::_exit(127);
    }
    return child;
}

/// The time `process` has spent on a processor, all its threads (ended ones too), in ms:
/// utime and stime of /proc/PID/stat, in clock ticks (10 ms apiece: a mean over runs).
double cpuMs(pid_t process)
{
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number)
        if (number >= 14) ticks += std::stod(field);
    return ticks * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

/// Waits up to `limit` for the next X event; false on time out.
bool nextEvent(Display* display, XEvent& event, Clock::time_point limit)
{
    while (XPending(display) == 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(limit - Clock::now());
        if (left.count() <= 0) return false;
        pollfd ready{ConnectionNumber(display), POLLIN, 0};
        ::poll(&ready, 1, static_cast<int>(left.count()));
    }
    XNextEvent(display, &event);
    return true;
}

/// One run of `command`; `ok` false when it neither mapped nor painted a window in time.
Paint timeFirstPaint(Server& server, const std::vector<std::string>& command, const std::string& home, bool& ok)
{
    Display* display = server.display;
    // A fresh damage record from here on: what the last run's window left behind is not seen.
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent stale;
        XNextEvent(display, &stale);
    }
    const Damage damage = XDamageCreate(display, server.root, XDamageReportRawRectangles);
    XSync(display, False);

    Paint paint;
    Window mapped = 0;
    const Clock::time_point begun = Clock::now();
    const pid_t child = start(command, home);
    const auto since = [begun] { return std::chrono::duration<double, std::milli>(Clock::now() - begun).count(); };
    ok = false;
    XEvent event;
    while (!ok && nextEvent(display, event, begun + std::chrono::seconds(20))) {
        if (event.type == MapNotify && mapped == 0 && event.xmap.event == server.root &&
            !event.xmap.override_redirect) {
            paint.mappedMs = since();
            mapped = event.xmap.window;
            XWindowAttributes attributes;
            XGetWindowAttributes(display, mapped, &attributes);
            paint.width = attributes.width;
            paint.height = attributes.height;
        } else if (event.type == server.damageEvent + XDamageNotify && mapped != 0) {
            paint.ms = since();
            paint.cpuMs = cpuMs(child);
            ok = true;
        }
    }
    XDamageDestroy(display, damage);
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    // Until the server has taken the window down (its client gone), so the next run starts clean.
    if (mapped != 0) {
        const Clock::time_point limit = Clock::now() + std::chrono::seconds(5);
        while (nextEvent(display, event, limit))
            if (event.type == DestroyNotify && event.xdestroywindow.window == mapped) break;
    }
    return paint;
}

struct Summary {
    double mean = 0, median = 0, low = 0, high = 0, mappedMean = 0, cpuMean = 0;
};

Summary summarize(std::vector<Paint> paints)
{
    Summary summary;
    std::vector<double> ms;
    for (const Paint& paint : paints) ms.push_back(paint.ms);
    std::sort(ms.begin(), ms.end());
    summary.mean = std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
    const std::size_t half = ms.size() / 2;
    summary.median = ms.size() % 2 == 1 ? ms[half] : (ms[half - 1] + ms[half]) / 2;
    summary.low = ms.front();
    summary.high = ms.back();
    for (const Paint& paint : paints) {
        summary.mappedMean += paint.mappedMs / static_cast<double>(paints.size());
        summary.cpuMean += paint.cpuMs / static_cast<double>(paints.size());
    }
    return summary;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    int runs = 20;
    if (arguments.size() >= 2 && arguments[0] == "--runs") {
        runs = std::max(1, std::atoi(arguments[1].c_str()));
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    std::string bareText;
    if (arguments.size() >= 2 && arguments[0] == "--bare-text") {
        bareText = arguments[1];
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    if (arguments.size() < 2) {
        std::fputs("usage: first_paint [--runs N] [--bare-text TEXT] BARE_WINDOW PROGRAM [ARGUMENT...]\n", stderr);
        return 2;
    }
    const std::string bare = arguments[0];
    const std::vector<std::string> program(arguments.begin() + 1, arguments.end());

    Server server;
    server.display = XOpenDisplay(nullptr);
    if (server.display == nullptr) {
        std::fputs("first_paint: no X display ($DISPLAY)\n", stderr);
        return 1;
    }
    int damageError = 0;
    if (!XDamageQueryExtension(server.display, &server.damageEvent, &damageError)) {
        std::fputs("first_paint: the X server has no DAMAGE extension\n", stderr);
        return 1;
    }
    server.root = DefaultRootWindow(server.display);
    XSelectInput(server.display, server.root, SubstructureNotifyMask);

    char pattern[] = "/tmp/first_paint.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr) {
        std::perror("first_paint: mkdtemp");
        return 1;
    }
    const std::string home = made;

    std::vector<Paint> programPaints, barePaints;
    bool ok = true;
    for (int run = 0; ok && run <= runs; ++run) {
        const Paint mine = timeFirstPaint(server, program, home, ok);
        if (!ok) break;
        std::vector<std::string> plain{bare, std::to_string(mine.width), std::to_string(mine.height)};
        if (!bareText.empty()) plain.push_back(bareText);
        const Paint theirs = timeFirstPaint(server, plain, home, ok);
        if (run == 0) continue;  // the warm-up: files and fonts into the caches
        programPaints.push_back(mine);
        barePaints.push_back(theirs);
    }
    std::filesystem::remove_all(home);
    if (!ok || programPaints.empty()) {
        std::fputs("first_paint: a window was not mapped and painted within 20 s\n", stderr);
        return 1;
    }

    const Summary a = summarize(programPaints), b = summarize(barePaints);
    std::printf("first paint, %d runs each (ms from fork; %dx%d window)\n", runs, programPaints[0].width,
                programPaints[0].height);
    std::printf("%-12s %8s %8s %8s %8s %10s %8s\n", "", "mean", "median", "min", "max", "mapped at", "cpu");
    for (const auto& [name, row] : {std::pair{"program", a}, std::pair{"bare window", b}})
        std::printf("%-12s %8.1f %8.1f %8.1f %8.1f %10.1f %8.1f\n", name, row.mean, row.median, row.low, row.high,
                    row.mappedMean, row.cpuMean);
    std::printf("ratio program / bare: %.2f (means), %.2f (medians); processor time %.2f\n", a.mean / b.mean,
                a.median / b.median, a.cpuMean / b.cpuMean);
    return 0;
}

// velmorixon [--port DEVICE | --simulate] [--help] [--version] | --journal [FILE]
// The instrument. The day view is velmorixon-journal (journal_main.cpp), started from here.
#include <QApplication>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

#include "acquisition/simulated_sunlight.h"

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/detached_process.h"
#include "platform/home_folder.h"
#include "platform/journal_program.h"
#include "platform/month_report.h"
#include "platform/posix_file_system.h"
#include "platform/platform.h"
#include "platform/ppdev_port.h"
#include "platform/time_zone.h"
#include "ui/desktop_notice.h"
#include "ui/display.h"
#include "ui/velmorixon.h"

#ifndef VELMORIXON_VERSION
#define VELMORIXON_VERSION "0"
#endif

int main(int argc, char** argv)
{
    // --help, --version and a bad argument answer without a display.
    const std::vector<std::string> arguments(argv, argv + argc);
    const CommandLine options = parseCommandLine(arguments, QStringLiteral(VELMORIXON_VERSION));
    if (options.exit) return answer(*options.exit);

    // The day view alone: its own program in place of this one, given the same argument bytes,
    // before any display or window is opened here.
    const std::filesystem::path self = runningProgram();
    const std::filesystem::path journal = journalProgram(self);
    if (options.journal) {
        if (journal.empty()) {
            std::fputs(journalProgramMissing(self).c_str(), stderr);
            return 1;
        }
        std::vector<char*> journalArguments(argv, argv + argc);
        std::string journalFile = journal.string();
        journalArguments.front() = journalFile.data();
        journalArguments.push_back(nullptr);
        ::execv(journalFile.c_str(), journalArguments.data());
        std::fprintf(stderr, "velmorixon : impossible de lancer %s : %s\n", journalFile.c_str(), std::strerror(errno));
        return 1;
    }
    // --bilan: the month's table on standard output, without a display.
    if (options.bilan) return printMonthReport(options);

    // Without a display: a French line and exit status 1, not Qt's abort.
    const OpenedApplication application = openApplication(argc, argv, VELMORIXON_VERSION, "velmorixon");

    SystemClock clock;
    PosixFileSystem files;
    Platform platform;
    platform.clock = &clock;
    platform.files = &files;
    platform.queryZone = querySystemZone;
    // HOME, or the account's record when HOME is unset; a missing home is reported, not made.
    // With no home at all the path keeps a "~" of its own, which the measurement file refuses
    // to write under (it is not an absolute folder): a message, never a file at the root.
    const std::filesystem::path home = homeFolder();
    platform.dataRoot = home.empty() ? std::filesystem::path("~") : home;
    platform.simulated = options.simulate;
    if (options.simulate) {
        platform.portName = "simulateur";
        // The simulated light follows the same clock and zone as the rest of the window.
        platform.openPort = [&clock, offset = platform.queryZone().utcOffset]() {
            return acquisition::sunlitConverter(clock, offset, std::random_device{}());
        };
    } else {
        platform.portName = options.device;
        platform.openPort = [device = options.device] { return std::make_unique<PpdevPort>(device); };
    }

    // A double-click on the file label: the day view in a process of its own, which nothing it
    // does can stop or slow.
    // The file's bytes go as they are, whatever their encoding. The day view's program was
    // looked for at start-up: a package upgraded since then replaces it in the same place.
    platform.openJournal = [journal](const std::string& file) {
        return !journal.empty() && startDetached({journal.string(), "--journal", file});
    };

    // Alarms while recording reach the desktop beside the window, whatever it shows.
    QWidget* owner = nullptr;
    platform.notify = [&owner](const std::string& line) { notifyDesktop(QString::fromStdString(line), owner); };

    Velmorixon window(std::move(platform));
    owner = &window;
    window.show();
    return QApplication::exec();
}

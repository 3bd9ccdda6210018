#pragma once
// The program's command line: velmorixon [--port DEVICE | --simulate] [--help] [--version],
// or velmorixon --journal [FILE] for the day view alone, or velmorixon --bilan [DOSSIER]
// [--mois AAAA-MM] for a month's table on standard output.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <QStringList>

/// What main() does instead of opening the window: print, then exit with `code`.
struct CommandLineExit {
    int code = 0;
    std::string standardOutput;  ///< UTF-8
    std::string standardError;   ///< UTF-8
};

/// The converter to use, or the exit asked for (help, version, a bad argument).
struct CommandLine {
    std::string device = "/dev/parport0";  ///< the first parallel port unless --port says otherwise
    bool simulate = false;                 ///< the built-in converter model instead of a port
    /// --journal: the day view alone, on this file ("" for today's file).
    std::optional<std::string> journal;
    /// --bilan: the month's table as CSV on standard output, without a display.
    struct Month {
        std::string folder;                             ///< "" for the data folder
        std::optional<std::chrono::year_month> month;   ///< none for the current month
    };
    std::optional<Month> bilan;
    std::optional<CommandLineExit> exit;
};

/// `arguments` as main() receives them, program name first: bytes, which reach `device` and
/// `journal` unchanged whatever their encoding. "--journal=FILE" reads as "--journal FILE".
/// Help and messages are in French; a bad argument (a repeated option among them) gives its
/// reason and the usage on standard error and exit code 2. Never exits by itself.
CommandLine parseCommandLine(const std::vector<std::string>& arguments, const QString& version);

/// For both programs' parsers. The arguments one QChar per byte (Latin-1 both ways): no byte is
/// lost on its way through the parser.
QStringList latin1Arguments(const std::vector<std::string>& bytes);
/// An argument's bytes for a message: UTF-8 text as it reads, other bytes as replacement marks.
QString shownArgument(const QString& bytes);
/// The unknown option `name` as the user typed it among `arguments` ("-x" stays "-x"; a value
/// given with "=" left out), shown.
QString typedOption(const QStringList& arguments, const QString& name);
/// « l'option « --port » est donnée plusieurs fois » for the first option given twice; empty when none is.
QString repeatedOption(const QStringList& given);

/// Prints `exit`'s texts on standard output and standard error; gives its exit code.
int answer(const CommandLineExit& exit);

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The program as a user starts it from a terminal: what it prints and its exit status when it
// cannot or need not open its window.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

/// The exit status (or 128 + the signal that ended it) and what was printed.
struct Outcome { int status; std::string standardOutput, standardError; };

/// The word in single quotes for the shell, whatever its bytes.
std::string quoted(const std::string& word)
{
    std::string out = "'";
    for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

/// Runs `program` with `arguments` without a display, with `set` ("NAME=value") added.
Outcome run(const std::vector<std::string>& arguments, const std::vector<std::string>& set = {},
            const std::string& program = VELMORIXON_PROGRAM)
{
    TempDir dir;
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
    for (const std::string& word : set) command += " " + quoted(word);
    command += " " + quoted(program);
    for (const std::string& word : arguments) command += " " + quoted(word);
    command += " </dev/null >" + quoted((dir.path() / "out").string()) + " 2>" + quoted((dir.path() / "err").string());
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), TempDir::read(dir.path() / "out"),
            TempDir::read(dir.path() / "err")};
}

// Refused in one French line with its exit status, the usage after a usage error, nothing on
// standard output: the instrument, and the recorder (its period and site limits on both sides).
TEST(StartedFromATerminal, RefusesInOneFrenchLineWithItsExitStatusAndPrintsNothingElse)
{
    const std::string recorder = VELMORIXON_RECORDER, period = " » refusée : un nombre entier de secondes de 1 à 60 est attendu",
                      site = " » inconnu : donnez son nom ou son numéro de 1 à 12 (voir --help)";
    const struct { std::vector<std::string> arguments; int status; std::string firstErrorLine, program = VELMORIXON_PROGRAM; } rows[] = {
        {{"--simulate"}, 1,
         "velmorixon : aucun affichage pour ouvrir la fenêtre : DISPLAY n'est pas défini ; lancez le programme dans une session graphique."},
        {{"--x"}, 2, "velmorixon : option inconnue « --x »"},
        {{"--bilan", "--mois", "2026-13"}, 2, "velmorixon : mois « 2026-13 » illisible : attendu AAAA-MM, par exemple 2026-06"},
        {{"--bilan", "/dev/null"}, 1, "velmorixon : le dossier « /dev/null » ne se lit pas : N'est pas un dossier."},
        {{"--port", "/dev/parport-\xE9", "--periode", "1", "--site", "1"}, 1,
         "velmorixon-enregistreur : port parallèle /dev/parport-\xE9 inaccessible : Aucun fichier ou dossier de ce type", recorder},
        {{"--simulate", "--periode", "60", "--site", " NÎMES ", "--dossier", "/nonexistent/m\xE9sures"}, 1,
         "velmorixon-enregistreur : le dossier des mesures /nonexistent/m\xE9sures ne peut pas être créé : Aucun fichier ou dossier de ce type",
         recorder},
        {{"--periode", "0"}, 2, "velmorixon-enregistreur : période « 0" + period, recorder},
        {{"--periode", "61"}, 2, "velmorixon-enregistreur : période « 61" + period, recorder},
        {{"--site", "0"}, 2, "velmorixon-enregistreur : site « 0" + site, recorder},
        {{"--site", "13"}, 2, "velmorixon-enregistreur : site « 13" + site, recorder}};

    for (const auto& row : rows) {
        const Outcome outcome = run(row.arguments, {}, row.program);
        EXPECT_EQ(outcome.status, row.status) << row.firstErrorLine;
        EXPECT_EQ(outcome.standardError.substr(0, outcome.standardError.find('\n') + 1), row.firstErrorLine + "\n");
        EXPECT_EQ(outcome.standardError.find("Utilisation : velmorixon") != std::string::npos, row.status == 2) << row.firstErrorLine;
        EXPECT_EQ(outcome.standardOutput, "");
    }
}

const std::string kMonthHeader =
    "date;site;series;couverture_pct;irradiation_kWh_m2;ciel_clair_kWh_m2;rapport;ensoleillement_h;duree_jour_h;"
    "fraction_ensoleillement;pic_W_m2;heure_pic;impossible;rare;sature;fige\r\n";

/// A day file of two readings at noon; `day` is "MM-DD-YYYY".
void writeDay(const std::filesystem::path& folder, const std::string& day)
{
    std::ofstream(folder / ("data" + day + ".val"), std::ios::binary) << " 2, 300,12:00:00\r\n 3, 302,12:00:01\r\n";
}

/// The first column of each row after the header; fails unless the header is the month table's.
std::vector<std::string> datesOf(const std::string& csv)
{
    EXPECT_EQ(csv.substr(0, kMonthHeader.size()), kMonthHeader);
    std::vector<std::string> dates;
    for (std::size_t at = kMonthHeader.size(); at < csv.size(); at = csv.find('\n', at) + 1)
        dates.push_back(csv.substr(at, csv.find(';', at) - at));
    return dates;
}

TEST(TheMonthReport, IsOfTheDataFolderThisMonthUnlessTheCommandLineNamesAFolderAndAMonth)
{
    TempDir home;
    std::filesystem::create_directory(home.path() / "velmorixon");
    const std::tm today = [] { std::time_t now = std::time(nullptr); std::tm local{}; return *::localtime_r(&now, &local); }();
    char name[16], date[16];
    std::strftime(name, sizeof name, "%m-%d-%Y", &today);
    std::strftime(date, sizeof date, "%Y-%m-%d", &today);
    writeDay(home.path() / "velmorixon", name);
    // Another day of this month beside the data folder, not in it: not read by default.
    std::string elsewhere = name;
    writeDay(home.path(), elsewhere.replace(3, 2, today.tm_mday == 1 ? "02" : "01"));
    writeDay(home.path(), "07-01-2001");
    writeDay(home.path() / "velmorixon", today.tm_mon == 0 ? "12-01-2001" : "01-01-" + std::to_string(today.tm_year + 1900));
    Outcome outcome = run({"--bilan"}, {"HOME=" + home.path().string()});
    EXPECT_EQ(outcome.status, 0) << outcome.standardError;
    EXPECT_EQ(datesOf(outcome.standardOutput), std::vector<std::string>{date});

    outcome = run({"--bilan", home.path().string(), "--mois", "2001-07"});  // a folder and a month named
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(datesOf(outcome.standardOutput), std::vector<std::string>{"2001-07-01"});
}

TEST(TheJournalOption, StartsTheDayViewBesideTheInstrumentOnExactlyTheFileGivenOrSaysWhereItLooked)
{
    // A copy of the instrument beside a stand-in day view that prints its arguments, each ended by a NUL byte.
    const TempDir dir;
    const std::string instrument = dir.path() / "velmorixon", journal = dir.path() / "velmorixon-journal";
    std::filesystem::copy_file(VELMORIXON_PROGRAM, instrument);
    std::ofstream(journal) << "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\"\n";
    std::filesystem::permissions(journal, std::filesystem::perms::owner_all);
    const std::string file = "/tmp/jour\xE9 \xFF.val";  // not UTF-8: bytes all the same
    Outcome outcome = run({"--journal", file}, {}, instrument);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.standardOutput, journal + '\0' + "--journal" + '\0' + file + '\0');
    std::filesystem::remove(journal);
    outcome = run({"--journal"}, {}, instrument);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.standardError, "velmorixon : le journal des mesures ne peut pas s'ouvrir : velmorixon-journal n'est ni dans " +
                                         dir.path().string() + " ni dans " + dir.path().string() +
                                         "/../lib/velmorixon ; réinstallez le programme.\n");
}

}  // namespace

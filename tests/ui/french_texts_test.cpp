// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// What the user reads when lines wait: Qt's own buttons in French, the singular for one line,
// and a home folder that is not there.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/window_bench.h"
#include "ui/qt_french.h"

namespace {

std::string shownMessage(const QWidget& w, const char* name)
{
    auto* box = w.findChild<QMessageBox*>(QString::fromLatin1(name));
    return box != nullptr && box->isVisible() ? box->text().toStdString() : std::string();
}

// The modal question on screen, answered with "No": its text and its two buttons' captions.
std::string answerNo()
{
    std::string seen;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(top);
        if (box == nullptr || !box->isVisible() || box->objectName() == QLatin1String("fileMessage")) continue;
        seen = box->text().toStdString();
        for (const auto button : {QMessageBox::Yes, QMessageBox::No})
            seen += " | " + (box->button(button) ? box->button(button)->text().remove(QLatin1Char('&')).toStdString() : "");
        box->done(QMessageBox::No);
    }
    return seen;
}

TEST(QuitWhileOneLineWaits, AsksInTheSingularWithQtsButtonsReadingOuiAndNon)
{
    QString missing;
    const std::unique_ptr<QTranslator> french = installQtFrench(missing);
    ASSERT_NE(french, nullptr) << missing.toStdString() << " (scripts/deps installs qt6-translations-l10n)";

    WindowBench bench;
    BenchWindow& w = *bench.window;
    w.OKfile->click();
    w.BtnMax187->click();
    bench.files.failWrites(ENOSPC);
    bench.tick();
    w.askInADialog = true;
    std::string seen;
    QTimer::singleShot(0, [&seen] { seen = answerNo(); });  // runs inside the question's own loop
    w.BtnQuit->click();

    EXPECT_EQ(seen, "1 ligne de mesure n'a pas pu être écrite dans " + bench.dataFile().string() +
                        ". Quitter quand même et la perdre ? | Oui | Non");
    EXPECT_TRUE(w.TimeAquis->isActive()) << "« Non » keeps the line and the run";
}

TEST(MissingHome, TheFirstLineSaysWhichFolderIsMissingAndTheLineWaitsForIt)
{
    WindowBench bench(false, WindowBench::kStart, "observatoire-chelles");
    BenchWindow& w = *bench.window;
    w.OKfile->click();
    w.BtnMax187->click();
    bench.tick();

    const std::filesystem::path home = bench.dir.path() / "observatoire-chelles";
    EXPECT_EQ(shownMessage(w, "fileMessage"),
              "Écriture impossible dans " + home.string() +
                  " : Aucun fichier ou dossier de ce type. 1 ligne en attente, elle sera écrite dès que possible.");
    EXPECT_TRUE(std::filesystem::is_empty(bench.dir.path())) << "nothing is made while the home is missing";

    std::filesystem::create_directory(home);
    bench.tick();
    EXPECT_EQ(shownMessage(w, "fileMessage"), "");
    EXPECT_EQ(TempDir::read(home / "velmorixon" / "data12-05-2026.val"),
              " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n");
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// What the user reads when lines wait: Qt's own buttons in French and the singular for one line
// (a missing home is said as every write failure is: measurement_file_disk_test.cpp names it).
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

}  // namespace

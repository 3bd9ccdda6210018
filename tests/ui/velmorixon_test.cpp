// The main window as it opens: every control in its place, its look, timers, focus order and
// caption; the clock label; the close command that is gone.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>

#include "support/window_bench.h"

namespace {

using namespace std::chrono;

struct ControlRow {
    const char* name;
    const char* kind;
    const char* caption;  // nullptr: no caption to compare
    int left, top, width, height;  // units; width 0: auto-size, only the corner is fixed
    bool visible, enabled;
    char font;  // '-' regular "MS Sans Serif", 'B' the same bold, 'A' bold "Arial"; all 8.25 pt
};

void PrintTo(const ControlRow& row, std::ostream* out)
{
    *out << row.name;
}

const ControlRow kControls[] = {
    {"OKgraphe", "QCheckBox", "Afficher graphe", 360, 240, 1695, 255, true, true, 'B'},
    {"OKfile", "QCheckBox", "Générer fichier", 3720, 240, 1695, 255, true, true, 'B'},
    {"Label1", "QLabel", "Analyse toute les", 360, 600, 1575, 255, true, true, 'B'},
    {"LVitesse", "QLabel", "1", 2160, 600, 735, 255, true, true, '-'},
    {"Label2", "QLabel", "Seconde(s)", 3000, 600, 975, 255, true, true, 'B'},
    {"HScroll1", "QScrollBar", nullptr, 4200, 600, 1095, 255, true, true, '-'},
    {"Label3", "QLabel", "Fichier données", 240, 960, 1455, 255, true, true, 'B'},
    {"LfileName", "QLabel", nullptr, 1920, 960, 0, 0, true, true, '-'},
    {"Lzone", "QLabel", nullptr, 480, 1440, 2535, 255, true, true, '-'},
    {"Lheure", "QLabel", "14:03:27", 3480, 1440, 1695, 255, true, true, '-'},
    {"Label4", "QLabel", "Liste des communes ", 795, 1800, 0, 0, true, true, 'B'},
    {"Label5", "QLabel", "Lever", 4073, 1800, 0, 0, true, true, 'B'},
    {"Lville", "QListWidget", nullptr, 360, 2040, 2655, 1035, true, true, '-'},
    {"LLever", "QLabel", nullptr, 3473, 2040, 1695, 255, true, true, '-'},
    {"Label7", "QLabel", "Zenith", 4043, 2400, 0, 0, true, true, 'B'},
    {"Lmidi", "QLabel", nullptr, 3473, 2640, 1695, 255, true, true, '-'},
    {"Label8", "QLabel", "Coucher", 3960, 3000, 0, 0, true, true, 'B'},
    {"Lmesure", "QLabel", nullptr, 1080, 3240, 0, 0, false, true, 'A'},
    {"Lvaleur", "QLabel", "miliVolts", 1800, 3240, 735, 255, false, true, 'B'},
    {"Lcoucher", "QLabel", nullptr, 3473, 3240, 1695, 255, true, true, '-'},
    {"Label10", "QLabel", "Azimut", 1282, 3600, 0, 0, true, true, 'B'},
    {"label9", "QLabel", "Altitude", 3277, 3600, 0, 0, true, true, 'B'},
    {"Lazt", "QLabel", "", 720, 3840, 1695, 255, true, true, '-'},
    {"Lalt", "QLabel", "", 2760, 3840, 1695, 255, true, true, '-'},
    {"BtnMax187", "QPushButton", "Démarrer lecture MAX187", 0, 4320, 1575, 495, true, true, '-'},
    {"BtnStop", "QPushButton", "Stopper lecture MAX187", 1800, 4320, 1575, 495, true, false, '-'},
    {"BtnQuit", "QPushButton", "Quitter", 3720, 4320, 1575, 495, true, true, '-'},
    {"BtnCalc", "QPushButton", "Calculer position", 0, 4920, 1575, 495, true, true, '-'},
    {"BtnStopCalc", "QPushButton", "Stopper calcul position", 1800, 4920, 1575, 495, true, false, '-'},
};

int pixels(int units) { return static_cast<int>(std::floor(units / 15.0)); }

class StartUpControl : public testing::TestWithParam<ControlRow> {};

TEST_P(StartUpControl, HasItsKindCaptionPlaceAndState)
{
    WindowBench bench;
    const ControlRow& row = GetParam();
    auto* widget = bench.window->findChild<QWidget*>(QString::fromLatin1(row.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->inherits(row.kind)) << widget->metaObject()->className();
    if (row.caption != nullptr) {
        const QString text = qobject_cast<QLabel*>(widget) ? qobject_cast<QLabel*>(widget)->text()
                                                          : qobject_cast<QAbstractButton*>(widget)->text();
        EXPECT_EQ(text.toStdString(), row.caption);
    }
    EXPECT_EQ(widget->pos(), QPoint(pixels(row.left), pixels(row.top)));
    if (row.width != 0)
        EXPECT_EQ(widget->size(), QSize(pixels(row.width), pixels(row.height)));
    else
        EXPECT_EQ(widget->size(), widget->sizeHint()) << "an auto-size label fits its text";
    EXPECT_EQ(widget->isVisibleTo(bench.window.get()), row.visible);
    EXPECT_EQ(widget->isEnabled(), row.enabled);
    EXPECT_EQ(widget->font().bold(), row.font != '-');
    EXPECT_EQ(widget->font().family().toStdString(), row.font == 'A' ? "Arial" : "MS Sans Serif");
    EXPECT_DOUBLE_EQ(widget->font().pointSizeF(), 8.25);
}

INSTANTIATE_TEST_SUITE_P(Table, StartUpControl, testing::ValuesIn(kControls),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StartUp, LookTimersFocusCaptionAndPath)
{
    WindowBench bench;
    Velmorixon& w = *bench.window;
    EXPECT_EQ(w.size(), QSize(375, 366));
    EXPECT_EQ(w.windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    EXPECT_EQ(w.LVitesse->palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_EQ(w.LVitesse->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(w.Lalt->frameStyle(), QFrame::Box | QFrame::Plain);
    EXPECT_EQ(w.Lmesure->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(w.Lheure->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(w.Lmesure->alignment() & Qt::AlignRight);
    EXPECT_EQ(w.HScroll1->maximum(), 60);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_FALSE(w.TCalcSun->isActive());
    EXPECT_FALSE(w.TimeAquis->isActive());

    EXPECT_EQ(w.focusWidget(), static_cast<QWidget*>(w.OKgraphe));
    w.BtnStop->setEnabled(true);  // the order itself, disabled controls included
    w.BtnStopCalc->setEnabled(true);
    std::vector<std::string> order;
    for (QWidget* next = w.OKgraphe; order.size() < 9; next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus) order.push_back(next->objectName().toStdString());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"OKgraphe", "OKfile", "HScroll1", "BtnMax187", "BtnStop",
                                               "BtnQuit", "Lville", "BtnCalc", "BtnStopCalc"}));

    EXPECT_EQ(w.LfileName->text().toStdString(), bench.dir.path().string() + "/velmorixon/data12-05-2026.val");
    EXPECT_FALSE(std::filesystem::exists(bench.dataFile())) << "start-up opens no file";
    EXPECT_EQ(w.windowTitle().toStdString(), "Acquisition donnée MAX187");
    EXPECT_EQ(WindowBench(true).window->windowTitle().toStdString(), "Acquisition donnée MAX187 — simulation");
}

TEST(Clock, ShowsEachSecondAndWakesJustAfterTheNext)
{
    WindowBench bench(false, local_days{year{2026} / 12 / 31} + 23h + 59min + 58s);
    Velmorixon& w = *bench.window;
    EXPECT_EQ(w.Lheure->text().toStdString(), "23:59:58");
    bench.clock.advance(2405ms);
    w.clockTick();
    EXPECT_EQ(w.Lheure->text().toStdString(), "00:00:00");
    EXPECT_EQ(w.Timer1->interval(), 1000 - 405 + 5);
}

TEST(CloseCommand, TitleBarAndKeyboardCloseLeaveTheWindowOpen)
{
    WindowBench bench;
    Velmorixon& w = *bench.window;
    w.show();
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    w.BtnQuit->click();
    EXPECT_FALSE(w.isVisible());
}

}  // namespace

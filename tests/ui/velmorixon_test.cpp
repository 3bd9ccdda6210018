// The main window as it opens: every control in its place, its look, timers, focus order and
// caption; the close command that is gone; the clock label.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <gtest/gtest.h>

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
    char look;  // 'v' value box: white, blue text, border; red text 'c' centred, 'r' right-aligned
};

const ControlRow kControls[] = {
    {"OKgraphe", "QCheckBox", "Afficher graphe", 360, 240, 1695, 255, true, true, 'B', '-'},
    {"OKfile", "QCheckBox", "Générer fichier", 3720, 240, 1695, 255, true, true, 'B', '-'},
    {"Label1", "QLabel", "Analyse toute les", 360, 600, 1575, 255, true, true, 'B', '-'},
    {"LVitesse", "QLabel", "1", 2160, 600, 735, 255, true, true, '-', 'v'},
    {"Label2", "QLabel", "Seconde(s)", 3000, 600, 975, 255, true, true, 'B', '-'},
    {"HScroll1", "QScrollBar", nullptr, 4200, 600, 1095, 255, true, true, '-', '-'},
    {"Label3", "QLabel", "Fichier données", 240, 960, 1455, 255, true, true, 'B', '-'},
    {"LfileName", "QLabel", nullptr, 1920, 960, 0, 0, true, true, '-', '-'},
    {"Lzone", "QLabel", nullptr, 480, 1440, 2535, 255, true, true, '-', 'c'},
    {"Lheure", "QLabel", "14:03:27", 3480, 1440, 1695, 255, true, true, '-', 'c'},
    {"Label4", "QLabel", "Liste des communes ", 795, 1800, 0, 0, true, true, 'B', '-'},
    {"Label5", "QLabel", "Lever", 4073, 1800, 0, 0, true, true, 'B', '-'},
    {"Lville", "QListWidget", nullptr, 360, 2040, 2655, 1035, true, true, '-', '-'},
    {"LLever", "QLabel", nullptr, 3473, 2040, 1695, 255, true, true, '-', 'v'},
    {"Label7", "QLabel", "Zenith", 4043, 2400, 0, 0, true, true, 'B', '-'},
    {"Lmidi", "QLabel", nullptr, 3473, 2640, 1695, 255, true, true, '-', 'v'},
    {"Label8", "QLabel", "Coucher", 3960, 3000, 0, 0, true, true, 'B', '-'},
    {"Lmesure", "QLabel", nullptr, 1080, 3240, 0, 0, false, true, 'A', 'r'},
    {"Lvaleur", "QLabel", "miliVolts", 1800, 3240, 735, 255, false, true, 'B', '-'},
    {"Lcoucher", "QLabel", nullptr, 3473, 3240, 1695, 255, true, true, '-', 'v'},
    {"Label10", "QLabel", "Azimut", 1282, 3600, 0, 0, true, true, 'B', '-'},
    {"label9", "QLabel", "Altitude", 3277, 3600, 0, 0, true, true, 'B', '-'},
    {"Lazt", "QLabel", "", 720, 3840, 1695, 255, true, true, '-', 'v'},
    {"Lalt", "QLabel", "", 2760, 3840, 1695, 255, true, true, '-', 'v'},
    {"BtnMax187", "QPushButton", "Démarrer lecture MAX187", 0, 4320, 1575, 495, true, true, '-', '-'},
    {"BtnStop", "QPushButton", "Stopper lecture MAX187", 1800, 4320, 1575, 495, true, false, '-', '-'},
    {"BtnQuit", "QPushButton", "Quitter", 3720, 4320, 1575, 495, true, true, '-', '-'},
    {"BtnCalc", "QPushButton", "Calculer position", 0, 4920, 1575, 495, true, true, '-', '-'},
    {"BtnStopCalc", "QPushButton", "Stopper calcul position", 1800, 4920, 1575, 495, true, false, '-', '-'},
};

void PrintTo(const ControlRow& row, std::ostream* os) { *os << row.name; }

class StartUpControl : public testing::TestWithParam<ControlRow> {};

TEST_P(StartUpControl, HasItsKindCaptionPlaceAndState)
{
    WindowBench bench;
    const ControlRow& row = GetParam();
    auto* widget = bench.window->findChild<QWidget*>(QString::fromLatin1(row.name));
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->inherits(row.kind)) << widget->metaObject()->className();
    if (row.caption != nullptr) {
        EXPECT_EQ(widget->property("text").toString().toStdString(), row.caption);
    }
    EXPECT_EQ(widget->pos(), QPoint(row.left / 15, row.top / 15));
    EXPECT_EQ(widget->size(), row.width != 0 ? QSize(row.width / 15, row.height / 15) : widget->sizeHint())
        << "an auto-size label fits its text";
    EXPECT_EQ(widget->isVisibleTo(bench.window.get()), row.visible);
    EXPECT_EQ(widget->isEnabled(), row.enabled);
    EXPECT_EQ(widget->font().bold(), row.font != '-');
    EXPECT_EQ(widget->font().family().toStdString(), row.font == 'A' ? "Arial" : "MS Sans Serif");
    EXPECT_DOUBLE_EQ(widget->font().pointSizeF(), 8.25);
    if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && row.look != '-') {
        const bool box = row.look == 'v';
        const QColor back = box ? QColor(255, 255, 255) : bench.window->palette().color(QPalette::Window);
        const auto across = box ? Qt::AlignLeft : row.look == 'c' ? Qt::AlignHCenter : Qt::AlignRight;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), box ? QColor(0, 0, 255) : QColor(255, 0, 0));
        EXPECT_EQ(label->palette().color(QPalette::Window), back);
        EXPECT_EQ(label->frameStyle(), (box ? QFrame::Box : QFrame::NoFrame) | QFrame::Plain);
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, across);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, StartUpControl, testing::ValuesIn(kControls),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StartUp, LookTimersFocusCaptionPathAndNoCloseCommand)
{
    WindowBench bench;
    Velmorixon& w = *bench.window;
    EXPECT_EQ(w.size(), QSize(375, 366));
    EXPECT_EQ(w.windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    EXPECT_EQ(w.HScroll1->maximum(), 60);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_FALSE(w.TCalcSun->isActive());
    EXPECT_FALSE(w.TimeAquis->isActive());

    EXPECT_EQ(w.focusWidget(), static_cast<QWidget*>(w.OKgraphe));
    QStringList order;  // disabled controls keep their place in the order
    for (QWidget* next = w.OKgraphe; order.size() < 9; next = next->nextInFocusChain())
        if (next->focusPolicy() & Qt::TabFocus) order << next->objectName();
    EXPECT_EQ(order.join(' ').toStdString(),
              "OKgraphe OKfile HScroll1 BtnMax187 BtnStop BtnQuit Lville BtnCalc BtnStopCalc");

    EXPECT_EQ(w.LfileName->text().toStdString(), "~/velmorixon/data12-05-2026.val") << "the bench's folder is its home";
    EXPECT_EQ(w.LfileName->toolTip().toStdString(), bench.dir.path().string() + "/velmorixon/data12-05-2026.val");
    EXPECT_FALSE(std::filesystem::exists(bench.dataFile())) << "start-up opens no file";
    EXPECT_EQ(w.windowTitle().toStdString(), "Acquisition donnée MAX187");
    EXPECT_EQ(WindowBench(true).window->windowTitle().toStdString(), "Acquisition donnée MAX187 — simulation");

    // No close command in the title bar and a close request is refused; only "Quitter" ends it.
    w.show();
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(w.close());
    w.BtnQuit->click();
    EXPECT_FALSE(w.isVisible());
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

}  // namespace

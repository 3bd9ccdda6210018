#include "ui/graph.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <chrono>

#include "acquisition/text_forms.h"
#include "platform/clock.h"
#include "ui/caption_button.h"
#include "ui/layout.h"

namespace {

constexpr int kGraphClientWidth = 10260;
constexpr int kGraphClientHeight = 6075;

const QColor kLabelText{255, 0, 0};
const QRgb kPlotColour = qRgb(255, 0, 255);

// Separator, plot frame and the mid-scale reference, in units.
struct FrameLine {
    int x1, y1, x2, y2;
    QRgb colour;
    Qt::PenStyle style;
};
const std::array<FrameLine, 5> kFrameLines{{
    {-120, 480, 10560, 480, qRgb(255, 224, 192), Qt::SolidLine},   // Line1, under the header
    {480, 840, 10320, 840, qRgb(255, 255, 0), Qt::SolidLine},      // Line5, level with "5V"
    {480, 5280, 10320, 5280, qRgb(255, 255, 0), Qt::SolidLine},    // Line4, level with "0V"
    {480, 840, 480, 5280, qRgb(255, 255, 0), Qt::SolidLine},       // Line3, the vertical axis
    {480, 3000, 10200, 3000, qRgb(255, 255, 128), Qt::DashLine},   // Line6, reference
}};

// B: the header; A9: the scale marks; the window's own font serves the button.
QFont headerFont() { return boldFont("MS Sans Serif"); }
QFont scaleFont() { return boldFont("Arial", 9); }

}  // namespace

Graph::Graph(const Clock& clock, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_background(palette().color(QPalette::ButtonText)),
      m_plot(toPixels(kGraphClientWidth), toPixels(kGraphClientHeight), QImage::Format_ARGB32_Premultiplied)
{
    installFontSubstitutes();
    m_plot.fill(Qt::transparent);
    setAttribute(Qt::WA_OpaquePaintEvent);  // paintEvent covers the whole client area
    setFixedSize(m_plot.size());
    setFont(windowFont());
    setWindowTitle(QStringLiteral("Mesure du ") +
                   QString::fromStdString(acquisition::monthDayYear(
                       std::chrono::year_month_day{std::chrono::floor<std::chrono::days>(clock.localNow())})));

    const auto makeLabel = [this](const char* name, const QString& text, QRect geometry,
                                  const QFont& font, Qt::Alignment horizontal) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(geometry);
        label->setFont(font);
        label->setAlignment(horizontal | Qt::AlignTop);
        QPalette colours = label->palette();
        colours.setColor(QPalette::Window, m_background);
        colours.setColor(QPalette::WindowText, kLabelText);
        label->setPalette(colours);
        label->setAutoFillBackground(true);
        return label;
    };
    Label1 = makeLabel("Label1", QStringLiteral("Mesure n°"), unitsRect(120, 120, 975, 255),
                       headerFont(), Qt::AlignLeft);
    GNumber = makeLabel("GNumber", {}, unitsRect(1080, 120, 855, 255), headerFont(), Qt::AlignRight);
    Gmesure = makeLabel("Gmesure", {}, unitsRect(2520, 120, 855, 255), headerFont(), Qt::AlignRight);
    GTimeDate = makeLabel("GTimeDate", {}, unitsRect(8640, 120, 1455, 255), headerFont(),
                          Qt::AlignLeft);
    Label2 = makeLabel("Label2", QStringLiteral("5V"), unitsRect(240, 600, 255, 255), scaleFont(),
                       Qt::AlignLeft);
    Label3 = makeLabel("Label3", QStringLiteral("0V"), unitsRect(240, 5280, 255, 255), scaleFont(),
                       Qt::AlignLeft);
    // The scale marks' boxes reach over the plot frame's corners (by a pixel at 1x, more at 1.5x
    // and 2x): their background, the window's own colour, is left to the window, so that the
    // frame under them stays whole.
    for (QLabel* mark : {Label2, Label3}) {
        mark->setAutoFillBackground(false);
    }

    // Its caption wraps, as the main window's do, rather than touch the button's frame.
    BtnStop = new CaptionButton(QStringLiteral("Stopper lecture MAX187"), this);
    BtnStop->setObjectName(QStringLiteral("BtnStop"));
    BtnStop->setGeometry(unitsRect(4200, 5520, 1815, 495));
    BtnStop->setFocus();
    connect(BtnStop, &QPushButton::clicked, this, &Graph::stopClicked);
}

void Graph::plot(const acquisition::PlotStep& step)
{
    const int x = toPixels(step.x);
    const int y = toPixels(step.y);
    setPlotPixel(x, y);
    QRect dirty(x, y, 1, 1);

    if (step.hasRun && step.runFrom != step.runTo) {
        // The run covers runFrom up to, not including, runTo: the rows of those units.
        const int lastUnit = step.runFrom < step.runTo ? step.runTo - 1 : step.runTo + 1;
        const int top = toPixels(std::min(step.runFrom, lastUnit));
        const int bottom = toPixels(std::max(step.runFrom, lastUnit));
        const int runX = toPixels(step.runX);
        for (int row = top; row <= bottom; ++row) {
            setPlotPixel(runX, row);
        }
        dirty |= QRect(runX, top, 1, bottom - top + 1);
    }
    update(dirty);
}

const QImage& Graph::plotImage() const
{
    return m_plot;
}

void Graph::setPlotPixel(int x, int y)
{
    if (m_plot.valid(x, y)) {
        m_plot.setPixel(x, y, kPlotColour);
    }
}

void Graph::paintEvent(QPaintEvent* event)
{
    const QRect area = event->rect();
    QPainter painter(this);
    painter.fillRect(area, m_background);
    for (const FrameLine& line : kFrameLines) {
        QPen pen{QColor(line.colour)};
        pen.setStyle(line.style);
        painter.setPen(pen);
        painter.drawLine(toPixels(line.x1), toPixels(line.y1), toPixels(line.x2), toPixels(line.y2));
    }
    painter.drawImage(area, m_plot, area);
}

void Graph::reject()
{
    // Escape would end the display without stopping the acquisition; only BtnStop or the
    // window manager close the graph.
}

void Graph::closeEvent(QCloseEvent* event)
{
    // QDialog would route this through reject() and refuse it; a close asked for by the window
    // manager or by the main window goes through.
    event->accept();
    setResult(QDialog::Rejected);
    emit rejected();
    emit finished(QDialog::Rejected);
}

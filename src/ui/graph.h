#pragma once
// The strip-chart window: a header with number, reading and time, and one magenta pixel per
// reading, drawn into a backing image so that the plot survives covering and minimising.
#include <QColor>
#include <QDialog>
#include <QImage>

#include "acquisition/plot_geometry.h"

class QLabel;
class QPushButton;
class Clock;

class Graph : public QDialog {
    Q_OBJECT
public:
    /// Loads the window: black background, caption "Mesure du MM-DD-YYYY" from the clock's date.
    explicit Graph(const Clock& clock, QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* GNumber;
    QLabel* Gmesure;
    QLabel* GTimeDate;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* BtnStop;

    /// Draws the point and its run into the backing image and schedules a repaint.
    void plot(const acquisition::PlotStep& step);
    /// The plot as drawn so far (client-area size, in device pixels).
    const QImage& plotImage() const;

signals:
    /// The window's own stop button was clicked.
    void stopClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void reject() override;  // Escape does not close the graph
    /// Any other close (the window manager's, close()) does end the display: the window hides
    /// and emits finished(QDialog::Rejected); the main window decides the object's lifetime.
    void closeEvent(QCloseEvent* event) override;

private:
    void setPlotPixel(int x, int y);

    QColor m_background;  // the system button-text colour, taken when the window is loaded
    QImage m_plot;        // transparent except for the plotted pixels
};

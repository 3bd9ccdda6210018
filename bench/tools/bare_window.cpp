// The yardstick of first_paint: a plain Qt window of a given size, nothing in it.
//   bare_window WIDTH HEIGHT [TEXT]
// It links Qt Widgets and nothing else, so its first paint is what any Qt window pays; with
// TEXT, one label shows it, so the paint also pays for the fonts any window with words needs.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare_window"));
    window.setFixedSize(arguments.value(1).toInt(), arguments.value(2).toInt());
    if (arguments.size() > 3) (new QLabel(arguments.value(3), &window))->move(10, 10);
    window.show();
    return QApplication::exec();
}

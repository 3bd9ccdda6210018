// The yardstick of first_paint: a plain Qt window of a given size, nothing in it.
//   bare_window WIDTH HEIGHT
// It links Qt Widgets and nothing else, so its first paint is what any Qt window pays.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare_window"));
    window.setFixedSize(arguments.value(1).toInt(), arguments.value(2).toInt());
    window.show();
    return QApplication::exec();
}

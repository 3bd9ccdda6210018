#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::puts("Velmorixon : la fenêtre principale n'existe pas encore.");
    return 0;
}

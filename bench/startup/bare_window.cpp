// The floor for start-up: a bare Qt Widgets window of the main window's size, nothing in it.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(800, 572);
    window.show();
    return QApplication::exec();
}

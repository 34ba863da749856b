// The floor for the start-up figures: a Qt Widgets program that shows one
// empty window of the main window's size and does nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare-qt-window"));
    window.resize(QApplication::arguments().value(1, QStringLiteral("640")).toInt(),
                  QApplication::arguments().value(2, QStringLiteral("480")).toInt());
    window.show();
    return QApplication::exec();
}

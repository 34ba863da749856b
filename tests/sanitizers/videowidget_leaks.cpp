// The program behind the suppressions in lsan.supp: only a QVideoWidget in a
// window, shown and destroyed. Built and run with the sanitizer options of
// the test environment, it reports exactly the three suppressed leaks:
//   g++ -std=c++20 -g -fsanitize=address -fPIC videowidget_leaks.cpp -o vw \
//       $(pkg-config --cflags --libs Qt6MultimediaWidgets Qt6Widgets)
//   QT_QPA_PLATFORM=offscreen \
//   ASAN_OPTIONS=intercept_tls_get_addr=0:fast_unwind_on_malloc=0 ./vw
// Not part of the build.
#include <QApplication>
#include <QTimer>
#include <QVideoWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    {
        QWidget top;
        top.resize(180, 150);
        auto* video = new QVideoWidget(&top);
        video->setGeometry(0, 0, 180, 150);
        top.show();
        QTimer::singleShot(300, &app, &QApplication::quit);
        app.exec();
    }
    return 0;
}

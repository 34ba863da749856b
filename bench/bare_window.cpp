// SPDX-License-Identifier: GPL-3.0-or-later
// The floors for the start-up figures: a Qt Widgets program that shows one
// empty window of the main window's size and does nothing else; with a
// third argument "label", the same window showing one line of text, which
// is the least any window with text pays (the font configuration is read
// and a font loaded before the first paint).
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    QLabel label;
    QWidget plain;
    QWidget& window = args.value(3) == QStringLiteral("label") ? label : plain;
    if (&window == &label)
        label.setText(QStringLiteral("Tavorin"));
    window.setWindowTitle(QStringLiteral("bare-qt-window"));
    window.resize(args.value(1, QStringLiteral("640")).toInt(),
                  args.value(2, QStringLiteral("480")).toInt());
    window.show();
    return QApplication::exec();
}

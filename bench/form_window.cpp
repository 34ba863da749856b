// SPDX-License-Identifier: GPL-3.0-or-later
// A second floor for the start-up figures: the program's own main window,
// built and shown as start-up builds it, but without its table, pictures
// or theme. What it costs beyond the bare window is the form itself.
#include "app/AppStyle.h"
#include "app/FrmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(new AppStyle);
    FrmMain window;
    window.show();
    return QApplication::exec();
}

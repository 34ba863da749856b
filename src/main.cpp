// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppStyle.h"
#include "app/FrmMain.h"
#include "app/Startup.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(Platform::applicationTitle());
    QGuiApplication::setDesktopFileName(QStringLiteral(TAVORIN_APP_ID));
    QApplication::setStyle(new AppStyle);
    std::unique_ptr<FrmMain> window = loadMainWindow();
    if (!window)
        return 1;
    window->show();
    return QApplication::exec();
}

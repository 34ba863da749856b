// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a sample application folder, a 460-row table with simple pictures
// and all of the program's art, for a first run before the full content is
// built.
#include "fixture/AppFolder.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // drawing needs no screen
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "uso: tavorin-sample CARTELLA [RIGHE]\n";
        return 2;
    }
    try {
        Fixture::writeAppFolder(args[1],
                                Fixture::sampleRows(args.size() > 2 ? args[2].toInt() : 460));
    } catch (const std::exception& error) {
        QTextStream(stderr) << "tavorin-sample: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

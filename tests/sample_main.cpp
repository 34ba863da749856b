// Writes a sample application folder: a 460-row table with simple pictures
// and all of the program's art, for a first run before the full content is
// built.
#include "fixture/AppFolder.h"

#include <QGuiApplication>
#include <QTextStream>

#include <exception>

int main(int argc, char* argv[]) {
    // Drawing needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "uso: tavorin-sample CARTELLA [RIGHE]\n";
        return 2;
    }
    const int rows = args.size() > 2 ? args[2].toInt() : 460;
    try {
        Fixture::writeAppFolder(args[1], Fixture::sampleRows(rows));
    } catch (const std::exception& error) {
        QTextStream(stderr) << "tavorin-sample: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

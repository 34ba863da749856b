// SPDX-License-Identifier: GPL-3.0-or-later
// tavorin-content: builds a complete application folder from the character
// table.
#include "Art.h"
#include "Builder.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    // Fonts and painting need a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName("tavorin-content");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Builds a Tavorin application folder: database, character pictures, sounds, "
        "stroke-order films, theme pictures and dragon art.");
    parser.addHelpOption();
    const QCommandLineOption table("table", "Character table (TSV).", "file");
    const QCommandLineOption out("out", "Application folder to write.", "dir");
    const QCommandLineOption jobs("jobs", "Parallel jobs (default: number of cores).", "n");
    const QCommandLineOption strokes("stroke-data", "hanzi-writer-data package folder.", "dir",
                                     TAVORIN_HANZI_DATA_DIR);
    const QCommandLineOption programArt(
        "program-art",
        "Also write the program's start.gif (and start@2x.gif) and icon.png into this folder.",
        "dir");
    const QCommandLineOption icons(
        "icons", "Write the program's desktop icons (all sizes and SVG) into this hicolor folder.",
        "dir");
    const QCommandLineOption sheet("contact-sheet",
                                   "After building, draw the folder's art into this PNG.", "png");
    const QCommandLineOption quiet("quiet", "No progress bar.");
    parser.addOptions({table, out, jobs, strokes, programArt, icons, sheet, quiet});
    parser.process(app);

    // The icons need only the font, so they can be written without a folder.
    if (parser.isSet(icons)) {
        QFont kai;
        QByteArray fingerprint;
        QString error;
        if (!loadKaiFont(&kai, &fingerprint, &error) ||
            !writeDesktopIcons(parser.value(icons), kai, &error)) {
            std::fprintf(stderr, "tavorin-content: %s\n", qPrintable(error));
            return 1;
        }
        if (!parser.isSet(table) && !parser.isSet(out))
            return 0;
    }
    if (!parser.isSet(table) || !parser.isSet(out)) {
        std::fprintf(stderr, "tavorin-content: --table and --out are required (see --help)\n");
        return 2;
    }
    BuildOptions options;
    options.table = parser.value(table);
    options.out = parser.value(out);
    options.strokeData = parser.value(strokes);
    options.programArt = parser.value(programArt);
    options.progress = !parser.isSet(quiet);
    options.jobs = QThread::idealThreadCount();
    if (parser.isSet(jobs)) {
        bool ok = false;
        options.jobs = parser.value(jobs).toInt(&ok);
        if (!ok || options.jobs < 1) {
            std::fprintf(stderr, "tavorin-content: --jobs wants a positive number\n");
            return 2;
        }
    }

    BuildReport report;
    QString error;
    if (!buildContent(options, &report, &error)) {
        std::fprintf(stderr, "tavorin-content: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("tavorin-content: %d files, %d built, %d up to date, %d removed\n", report.total,
                report.built, report.upToDate, report.removed);
    for (const QString& line : report.toneFigures)
        std::printf("  %s\n", qPrintable(line));
    if (parser.isSet(sheet) && !writeContactSheet(options.out, parser.value(sheet), &error)) {
        std::fprintf(stderr, "tavorin-content: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

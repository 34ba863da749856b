// SPDX-License-Identifier: GPL-3.0-or-later
#include "Builder.h"

#include "Art.h"
#include "Tools.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>

namespace {

QImage readImage(const QString& path) {
    QImageReader reader(path);
    return reader.read();
}

// One frame of a film (a negative index counts from the end), decoded back
// by ffmpeg so that the sheet shows what the player will show.
QImage filmFrame(const QString& film, int frame) {
    QByteArray png;
    QString ignored;
    QStringList arguments = {"-v", "error"};
    if (frame < 0)
        arguments << "-sseof"
                  << "-0.3";
    arguments << "-i" << film;
    if (frame >= 0)
        arguments << "-vf" << QStringLiteral("select=eq(n\\,%1)").arg(frame);
    arguments << "-frames:v"
              << "1"
              << "-f"
              << "image2pipe"
              << "-c:v"
              << "png"
              << "-";
    if (!runTool("ffmpeg", arguments, {}, &png, &ignored))
        return {};
    return QImage::fromData(png, "PNG");
}

} // namespace

bool writeContactSheet(const QString& appFolder, const QString& png, QString* error) {
    const QDir dir(appFolder);
    const int left = 90;
    QImage sheet(1120, 1190, QImage::Format_RGB32);
    sheet.fill(QColor(120, 120, 120));
    QPainter p(&sheet);
    p.setPen(Qt::white);
    int y = 6;
    // Icons on the button grey, one theme a row, at their size and at double
    // density.
    for (const Theme& theme : themes()) {
        p.fillRect(QRect(left - 4, y, 7 * 38 + 4, 68), kButtonGrey);
        p.drawText(QRect(4, y, left - 8, 68), Qt::AlignVCenter, theme.folder);
        for (int i = 0; i < themeIconNames().size(); ++i) {
            const QImage icon = readImage(
                dir.filePath("Grafica/Temi/" + theme.folder + "/" + themeIconNames()[i] + ".gif"));
            p.drawImage(left + i * 38, y + 18, icon);
            p.fillRect(QRect(left + 7 * 38 + 10 + i * 70, y, 68, 68), kButtonGrey);
            p.drawImage(QRect(left + 7 * 38 + 12 + i * 70, y + 2, 64, 64),
                        readImage(dir.filePath("Grafica/Temi/" + theme.folder + "/" +
                                               themeIconNames()[i] + "@2x.gif")));
        }
        y += 72;
    }
    y += 6;
    for (int i = 1; i <= kDragonFrames; ++i)
        p.drawImage(4 + ((i - 1) % 7) * 88, y + ((i - 1) / 7) * 88,
                    readImage(dir.filePath(QStringLiteral("Grafica/Frames/DF_%1.gif").arg(i))));
    p.drawImage(4 + 6 * 88, y + 88, readImage(dir.filePath("Grafica/dragon.gif")));
    y += 180;
    p.drawImage(4, y, readImage(dir.filePath("Grafica/DragonPoster.jpg")));
    const QStringList grafemi = QDir(dir.filePath("Grafemi"))
                                    .entryList({"*.jpg"}, QDir::Files, QDir::Name)
                                    .filter(QRegularExpression("(?<!@2x)\\.jpg$"));
    for (int i = 0; i < std::min<qsizetype>(grafemi.size(), 12); ++i)
        p.drawImage(550 + (i % 6) * 88, y + (i / 6) * 88,
                    readImage(dir.filePath("Grafemi/" + grafemi[i])));
    const QStringList films =
        QDir(dir.filePath("Filmati")).entryList({"*.wmv"}, QDir::Files, QDir::Name);
    int x = 550;
    int row = y + 180;
    for (int f = 0; f < std::min<qsizetype>(films.size(), 2); ++f) {
        for (int frame : {5, 12, -1}) {
            p.drawImage(x, row, filmFrame(dir.filePath("Filmati/" + films[f]), frame));
            x += 184;
        }
        x = 550;
        row += 154;
    }
    p.end();
    if (!sheet.save(png)) {
        *error = QStringLiteral("cannot write %1").arg(png);
        return false;
    }
    return true;
}

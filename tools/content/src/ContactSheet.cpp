#include "Builder.h"

#include "Art.h"
#include "Tools.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>

namespace {

QImage readImage(const QString& path) {
    QImageReader reader(path);
    return reader.read();
}

// One frame of a film, decoded back by ffmpeg so that the sheet shows what
// the player will show.
QImage filmFrame(const QString& film, int frame) {
    QByteArray png;
    QString ignored;
    if (!runTool("ffmpeg",
                 {"-v", "error", "-i", film, "-vf", QStringLiteral("select=eq(n\\,%1)").arg(frame),
                  "-frames:v", "1", "-f", "image2pipe", "-c:v", "png", "-"},
                 {}, &png, &ignored))
        return {};
    return QImage::fromData(png, "PNG");
}

} // namespace

bool writeContactSheet(const QString& appFolder, const QString& png, QString* error) {
    const QDir dir(appFolder);
    const int cell = 40;
    const int left = 90;
    QImage sheet(1100, 1040, QImage::Format_RGB32);
    sheet.fill(QColor(150, 150, 150));
    QPainter p(&sheet);
    p.setPen(Qt::black);
    int y = 8;
    // Icons on a button-grey strip, one theme a row.
    for (const Theme& theme : themes()) {
        p.fillRect(QRect(left - 4, y - 4, cell * 7 + 4, cell), kButtonGrey);
        p.drawText(QRect(4, y, left - 8, 32), Qt::AlignVCenter, theme.folder);
        int x = left;
        for (const QString& icon : themeIconNames()) {
            p.drawImage(
                x, y,
                readImage(dir.filePath("Grafica/Temi/" + theme.folder + "/" + icon + ".gif")));
            x += cell;
        }
        // The same icons at double size to judge the drawing.
        x += 16;
        for (const QString& icon : themeIconNames()) {
            const QImage image =
                readImage(dir.filePath("Grafica/Temi/" + theme.folder + "/" + icon + ".gif"));
            p.fillRect(QRect(x, y - 4, 72, 40), kButtonGrey);
            p.drawImage(QRect(x + 4, y - 4, 64, 64).adjusted(0, 0, 0, -24),
                        image.scaled(64, 64).copy(0, 0, 64, 40));
            x += 76;
        }
        y += cell + 4;
    }
    y += 10;
    for (int i = 1; i <= kDragonFrames; ++i)
        p.drawImage(4 + (i - 1) * 88, y,
                    readImage(dir.filePath(QStringLiteral("Grafica/Frames/DF_%1.gif").arg(i))));
    y += 92;
    p.drawImage(4, y, readImage(dir.filePath("Grafica/DragonPoster.jpg")));
    p.drawImage(550, y, readImage(dir.filePath("Grafica/dragon.gif")));
    const QStringList pictures = dir.entryList({"*.jpg"}, QDir::Files, QDir::Name);
    const QStringList grafemi =
        QDir(dir.filePath("Grafemi")).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    int x = 640;
    int row = y;
    for (int i = 0; i < std::min<qsizetype>(grafemi.size(), 12); ++i) {
        p.drawImage(x, row, readImage(dir.filePath("Grafemi/" + grafemi[i])));
        x += 88;
        if (x > 1010) {
            x = 640;
            row += 88;
        }
    }
    y += 362;
    const QStringList films =
        QDir(dir.filePath("Filmati")).entryList({"*.wmv"}, QDir::Files, QDir::Name);
    x = 4;
    for (int f = 0; f < std::min<qsizetype>(films.size(), 2); ++f)
        for (int frame : {4, 9, 15, 60}) {
            p.drawImage(x, y, filmFrame(dir.filePath("Filmati/" + films[f]), frame));
            x += 184;
        }
    p.end();
    if (!sheet.save(png)) {
        *error = QStringLiteral("cannot write %1").arg(png);
        return false;
    }
    return true;
}

// Drawing: stroke paths and films, theme icons, dragon frames, pictures.
#include "Art.h"
#include "StrokeFilm.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

namespace {

int countPixels(const QImage& image, const std::function<bool(QColor)>& wanted) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += wanted(image.pixelColor(x, y));
    return count;
}

// Mean difference per channel (0..255) of two pictures of the same size.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    return sum / (4.0 * x.width() * x.height());
}

bool reddish(QColor c) {
    return c.red() > 150 && c.green() < 90 && c.blue() < 90;
}
bool inky(QColor c) {
    return c.red() < 60 && c.green() < 60 && c.blue() < 60;
}

// Two strokes: a bar across the top and a post down the middle.
const QByteArray kTwoStrokes = R"({"strokes": [
    "M 100 800 L 900 800 L 900 700 L 100 700 Z",
    "M 450 700 L 550 700 L 550 0 L 450 0 Z"],
  "medians": [[[120, 750], [880, 750]], [[500, 690], [500, 20]]]})";

} // namespace

class TstContentArt : public QObject {
    Q_OBJECT

private slots:
    void svgPath_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QRectF>("bounds");
        QTest::newRow("square") << "M 0 0 L 10 0 L 10 10 L 0 10 Z" << true << QRectF(0, 0, 10, 10);
        QTest::newRow("quad") << "M 0 0 Q 5 10 10 0 Z" << true << QRectF(0, 0, 10, 5);
        QTest::newRow("cubic") << "M 0 0 C 0 8 10 8 10 0 Z" << true << QRectF(0, 0, 10, 6);
        QTest::newRow("negative") << "M -5 -5 L 5 -5 L 5 5 Z" << true << QRectF(-5, -5, 10, 10);
        QTest::newRow("repeated pairs") << "M 0 0 L 4 0 4 4 Z" << true << QRectF(0, 0, 4, 4);
        QTest::newRow("odd number") << "M 0 0 L 10" << false << QRectF();
        QTest::newRow("unknown command") << "M 0 0 A 1 1 0 0 1 5 5" << false << QRectF();
        QTest::newRow("text in number") << "M 0 0 L 1x 2" << false << QRectF();
        QTest::newRow("empty") << "" << false << QRectF();
        QTest::newRow("numbers on Z") << "M 0 0 L 1 1 Z 3" << false << QRectF();
    }
    void svgPath() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QRectF, bounds);
        QPainterPath path;
        QString error;
        QCOMPARE(parseSvgPath(text, &path, &error), valid);
        if (valid) {
            const QRectF got = path.boundingRect();
            QVERIFY2(std::abs(got.left() - bounds.left()) < 0.01 &&
                         std::abs(got.top() - bounds.top()) < 0.01 &&
                         std::abs(got.width() - bounds.width()) < 0.01 &&
                         std::abs(got.height() - bounds.height()) < 0.01,
                     qPrintable(QString("%1 %2 %3 %4")
                                    .arg(got.left())
                                    .arg(got.top())
                                    .arg(got.width())
                                    .arg(got.height())));
        } else {
            QVERIFY(!error.isEmpty());
        }
    }

    void strokeDataIsFlipped() {
        StrokeData data;
        QString error;
        QVERIFY2(parseStrokeData(kTwoStrokes, &data, &error), qPrintable(error));
        QCOMPARE(data.outlines.size(), 2);
        // y' = 900 - y: the top bar lies near the top of the box.
        QCOMPARE(data.outlines[0].boundingRect(), QRectF(100, 100, 800, 100));
        QCOMPARE(data.medians[1].first(), QPointF(500, 210));
        QVERIFY(
            !parseStrokeData(R"({"strokes": ["M 0 0 L 1 1 Z"], "medians": []})", &data, &error));
        QVERIFY(!parseStrokeData("not json", &data, &error));
    }

    void filmRevealsStrokesInOrder() {
        StrokeData data;
        QString error;
        QVERIFY(parseStrokeData(kTwoStrokes, &data, &error));
        const QList<QImage> film = renderStrokeFilm(data);
        QVERIFY(film.size() >= 3 + 2 + 10 && film.size() <= 3 + 10 + 10);
        for (const QImage& frame : film)
            QCOMPARE(frame.size(), QSize(kFilmWidth, kFilmHeight));
        // Shadow only at first: no ink, no colour.
        QCOMPARE(countPixels(film.first(), reddish), 0);
        QCOMPARE(countPixels(film.first(), inky), 0);
        // The coloured part grows while the first stroke is drawn, and the
        // post (below the bar) stays untouched until its turn.
        const QRect post(85, 40, 10, 90);
        int previous = 0;
        int frame = 3;
        for (; countPixels(film[frame], inky) == 0; ++frame) {
            const int red = countPixels(film[frame], reddish);
            QVERIFY(red > previous);
            previous = red;
            QCOMPARE(countPixels(film[frame].copy(post), reddish), 0);
        }
        QVERIFY(frame > 4); // more than one frame for the bar
        // The end holds the whole character in ink.
        const QImage last = film.last();
        QCOMPARE(countPixels(last, reddish), 0);
        QVERIFY(countPixels(last.copy(post), inky) > 400);
        QCOMPARE(film[film.size() - 10], last);
    }

    void themeIconsAreDistinct() {
        QSet<QByteArray> seen;
        for (const Theme& theme : themes()) {
            for (const QString& icon : themeIconNames()) {
                const QImage image = renderThemeIcon(theme.folder, icon);
                QCOMPARE(image.size(), QSize(kIconSide, kIconSide));
                // GIF-ready: no partial transparency.
                QCOMPARE(
                    countPixels(image, [](QColor c) { return c.alpha() != 0 && c.alpha() != 255; }),
                    0);
                // Each theme shows its accent colour.
                const QColor accent = theme.accent;
                QVERIFY2(countPixels(image,
                                     [accent](QColor c) {
                                         return c.alpha() == 255 &&
                                                std::abs(c.red() - accent.red()) +
                                                        std::abs(c.green() - accent.green()) +
                                                        std::abs(c.blue() - accent.blue()) <
                                                    60;
                                     }) > 8,
                         qPrintable(theme.folder + "/" + icon));
                const QByteArray bytes(reinterpret_cast<const char*>(image.constBits()),
                                       image.sizeInBytes());
                QVERIFY2(!seen.contains(bytes), qPrintable(theme.folder + "/" + icon));
                seen.insert(bytes);
            }
        }
    }

    void dragonMoves() {
        QImage previous = renderDragonFrame(1);
        QCOMPARE(previous.size(), QSize(kPictureSide, kPictureSide));
        QCOMPARE(previous.pixelColor(0, 83), kButtonGrey);
        for (int i = 2; i <= kDragonFrames; ++i) {
            const QImage frame = renderDragonFrame(i);
            QVERIFY(frame != previous);
            // Smooth: neighbouring frames share most of their pixels.
            int changed = 0;
            for (int y = 0; y < kPictureSide; ++y)
                for (int x = 0; x < kPictureSide; ++x)
                    changed += frame.pixel(x, y) != previous.pixel(x, y);
            QVERIFY2(changed < kPictureSide * kPictureSide / 3, qPrintable(QString::number(i)));
            previous = frame;
        }
    }

    void paletteKeepsFlatAreasExact() {
        // A grey field with a smooth ramp of 1024 colours across its middle.
        QImage image(64, 64, QImage::Format_ARGB32);
        image.fill(kButtonGrey);
        for (int y = 16; y < 32; ++y)
            for (int x = 0; x < 64; ++x)
                image.setPixel(x, y, qRgb(x * 4, (y - 16) * 16, 255 - x * 4));
        image.setPixel(0, 63, qRgba(0, 0, 0, 0));
        const QImage reduced = reducePalette(image, 64);
        QSet<QRgb> colours;
        int moved = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                colours.insert(reduced.pixel(x, y));
                const QRgb before = image.pixel(x, y);
                const QRgb after = reduced.pixel(x, y);
                if (y < 16 || y >= 32) // the flat field stays exactly grey
                    QVERIFY(x == 0 && y == 63 ? qAlpha(after) == 0 : after == before);
                else
                    moved += after != before;
                // Nothing far from where it was.
                QVERIFY(std::abs(qRed(after) - qRed(before)) +
                            std::abs(qGreen(after) - qGreen(before)) +
                            std::abs(qBlue(after) - qBlue(before)) <
                        160);
            }
        QVERIFY(colours.size() <= 64);
        QVERIFY(moved > 0);
        // Few colours: left as they are.
        const QImage icon = renderThemeIcon("Vista", "Trash");
        QCOMPARE(reducePalette(icon, 256), icon.convertToFormat(QImage::Format_ARGB32));
    }

    void characterPictureIsCentred_data() {
        QTest::addColumn<QString>("character");
        for (const char* c : {"一", "我", "的", "小", "口", "龙"})
            QTest::newRow(c) << QString::fromUtf8(c);
    }
    void characterPictureIsCentred() {
        QFETCH(QString, character);
        QFont kai;
        QByteArray print;
        QString error;
        QVERIFY2(loadKaiFont(&kai, &print, &error), qPrintable(error));
        QVERIFY(kaiHasCharacter(kai, character));
        const QImage picture = renderCharacterPicture(character, kai);
        QCOMPARE(picture.size(), QSize(kPictureSide, kPictureSide));
        QRect ink;
        for (int y = 0; y < kPictureSide; ++y)
            for (int x = 0; x < kPictureSide; ++x)
                if (qGray(picture.pixel(x, y)) < 128)
                    ink |= QRect(x, y, 1, 1);
        QVERIFY(!ink.isEmpty());
        QVERIFY(ink.left() >= 4 && ink.top() >= 4 && ink.right() <= 79 && ink.bottom() <= 79);
        QVERIFY(std::abs(ink.center().x() - 42) <= 2 && std::abs(ink.center().y() - 42) <= 2);
        QVERIFY(qGray(picture.pixel(0, 0)) > 240); // light paper
    }

    // Every desktop size and the SVG are the window icon's drawing, scaled.
    void desktopIconsAreTheWindowIcon() {
        QFont kai;
        QByteArray print;
        QString error;
        QVERIFY2(loadKaiFont(&kai, &print, &error), qPrintable(error));
        QTemporaryDir dir;
        QVERIFY2(writeDesktopIcons(dir.path(), kai, &error), qPrintable(error));
        const QImage window = renderProgramIcon(kai);
        for (const int side : kDesktopIconSizes) {
            const QImage icon(dir.filePath(QStringLiteral("%1x%1/apps/tavorin.png").arg(side)));
            QCOMPARE(icon.size(), QSize(side, side));
            if (side >= kIconSide) {
                const QImage down =
                    icon.scaled(window.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                QVERIFY2(meanDifference(down, window) < 10, qPrintable(QString::number(side)));
            }
        }
        QSvgRenderer svg(dir.filePath("scalable/apps/tavorin.svg"));
        QVERIFY(svg.isValid());
        QImage drawn(256, 256, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        {
            QPainter p(&drawn);
            svg.render(&p);
        }
        QVERIFY(meanDifference(drawn, QImage(dir.filePath("256x256/apps/tavorin.png"))) < 4);
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TstContentArt test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_content_art.moc"

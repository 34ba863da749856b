// Drawing: the stroke-order film and the theme icons.
#include "Art.h"
#include "StrokeFilm.h"

#include <QGuiApplication>
#include <QSet>
#include <QTest>

namespace {

int countPixels(const QImage& image, const std::function<bool(QColor)>& wanted) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += wanted(image.pixelColor(x, y));
    return count;
}
bool reddish(QColor c) {
    return c.red() > 150 && c.green() < 90 && c.blue() < 90;
}
bool inky(QColor c) {
    return c.red() < 60 && c.green() < 60 && c.blue() < 60;
}

} // namespace

class TstContentArt : public QObject {
    Q_OBJECT

private slots:
    // A bar across the top, then a post down the middle: flipped into the
    // picture's coordinates, and drawn stroke after stroke.
    void strokeFilm() {
        StrokeData data;
        QString error;
        QVERIFY(parseStrokeData(R"({"strokes": ["M 100 800 L 900 800 L 900 700 L 100 700 Z",
            "M 450 700 L 550 700 L 550 0 L 450 0 Z"],
            "medians": [[[120, 750], [880, 750]], [[500, 690], [500, 20]]]})",
                                &data, &error));
        QCOMPARE(data.outlines[0].boundingRect(), QRectF(100, 100, 800, 100)); // y' = 900 - y
        QCOMPARE(data.medians[1].first(), QPointF(500, 210));
        QVERIFY(
            !parseStrokeData(R"({"strokes": ["M 0 0 L 1 1 Z"], "medians": []})", &data, &error));
        const QList<QImage> film = renderStrokeFilm(data);
        QVERIFY(film.size() >= 15 && film.size() <= 23);
        QCOMPARE(film.first().size(), QSize(kFilmWidth, kFilmHeight));
        QCOMPARE(countPixels(film.first(), reddish) + countPixels(film.first(), inky), 0);
        // The bar grows in colour while the post stays untouched, then all
        // ends in ink.
        const QRect post(85, 40, 10, 90);
        int previous = 0, frame = 3;
        for (; countPixels(film[frame], inky) == 0; ++frame) {
            QVERIFY(countPixels(film[frame], reddish) > previous);
            previous = countPixels(film[frame], reddish);
            QCOMPARE(countPixels(film[frame].copy(post), reddish), 0);
        }
        QVERIFY(frame > 4);
        QCOMPARE(countPixels(film.last(), reddish), 0);
        QVERIFY(countPixels(film.last().copy(post), inky) > 400);
    }

    // Each theme's icons are its own, in its accent colour, ready for GIF.
    void themeIcons() {
        QStringList named; // the program's nine folders and accents
        for (const Theme& theme : themes())
            named << theme.folder + " " + theme.accent.name();
        QCOMPARE(named, QStringList({"SquareRed #ce0000", "LightGrey #404040", "LightBlue #0000ff",
                                     "CyanJoy #00cfce", "RedDanger #ff0000", "ModernBlue #00aece",
                                     "Vista #007d00", "HappyDay #ff7100", "Comix #8c00ce"}));
        QSet<QByteArray> seen;
        for (const Theme& theme : themes()) {
            for (const QString& icon : themeIconNames()) {
                const QImage image = renderThemeIcon(theme.folder, icon);
                QCOMPARE(image.size(), QSize(kIconSide, kIconSide));
                QCOMPARE(countPixels(image, [](QColor c) { return c.alpha() % 255 != 0; }), 0);
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
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TstContentArt test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_content_art.moc"

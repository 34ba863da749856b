// SPDX-License-Identifier: GPL-3.0-or-later
// The theme icons: the program's nine folders and accents, and each icon in
// its theme's accent; the desktop icons, the window icon's drawing scaled.
#include "Art.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Mean difference per channel (0..255) of two pictures of the same size.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    for (int i = 0; i < x.width() * x.height(); ++i)
        for (int bits = 0; bits < 32; bits += 8)
            sum += std::abs(int(x.pixel(i % x.width(), i / x.width()) >> bits & 0xff) -
                            int(y.pixel(i % x.width(), i / x.width()) >> bits & 0xff));
    return sum / (4.0 * x.width() * x.height());
}

} // namespace

class TstContentArt : public QObject {
    Q_OBJECT

private slots:
    void themeIcons() {
        QStringList named;
        for (const Theme& theme : themes()) {
            named << theme.folder + " " + theme.accent.name();
            for (const QString& icon : themeIconNames()) {
                const QImage image = renderThemeIcon(theme.folder, icon);
                int accent = 0;
                for (int i = 0; i < image.width() * image.height(); ++i) {
                    const QColor p = image.pixelColor(i % image.width(), i / image.width());
                    const QColor& a = theme.accent;
                    accent += p.alpha() == 255 && std::abs(p.red() - a.red()) +
                                                          std::abs(p.green() - a.green()) +
                                                          std::abs(p.blue() - a.blue()) <
                                                      60;
                }
                QVERIFY2(accent > 8, qPrintable(theme.folder + "/" + icon));
            }
        }
        QCOMPARE(named, QStringList({"SquareRed #ce0000", "LightGrey #404040", "LightBlue #0000ff",
                                     "CyanJoy #00cfce", "RedDanger #ff0000", "ModernBlue #00aece",
                                     "Vista #007d00", "HappyDay #ff7100", "Comix #8c00ce"}));
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
            if (side >= kIconSide)
                QVERIFY2(meanDifference(icon.scaled(window.size(), Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation),
                                        window) < 10,
                         qPrintable(QString::number(side)));
        }
        QSvgRenderer svg(dir.filePath("scalable/apps/tavorin.svg"));
        QVERIFY(svg.isValid());
        QImage drawn(256, 256, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        svg.render(&painter);
        painter.end();
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

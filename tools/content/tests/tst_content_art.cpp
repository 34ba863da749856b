// The theme icons: the program's nine folders, each icon its own and in its
// theme's accent colour, ready for GIF.
#include "Art.h"

#include <QGuiApplication>
#include <QSet>
#include <QTest>

class TstContentArt : public QObject {
    Q_OBJECT

private slots:
    void themeIcons() {
        QStringList named;
        for (const Theme& theme : themes())
            named << theme.folder + " " + theme.accent.name();
        QCOMPARE(named, QStringList({"SquareRed #ce0000", "LightGrey #404040", "LightBlue #0000ff",
                                     "CyanJoy #00cfce", "RedDanger #ff0000", "ModernBlue #00aece",
                                     "Vista #007d00", "HappyDay #ff7100", "Comix #8c00ce"}));
        QSet<QByteArray> seen;
        for (const Theme& theme : themes()) {
            for (const QString& icon : themeIconNames()) {
                const QImage image = renderThemeIcon(theme.folder, icon);
                int accent = 0;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x) {
                        const QColor c = image.pixelColor(x, y);
                        QVERIFY(c.alpha() == 0 || c.alpha() == 255);
                        accent +=
                            c.alpha() == 255 && std::abs(c.red() - theme.accent.red()) +
                                                        std::abs(c.green() - theme.accent.green()) +
                                                        std::abs(c.blue() - theme.accent.blue()) <
                                                    60;
                    }
                QVERIFY2(accent > 8, qPrintable(theme.folder + "/" + icon));
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

// The theme icons: the program's nine folders and accents, and each icon in
// its theme's accent.
#include "Art.h"

#include <QGuiApplication>
#include <QTest>

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
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x) {
                        const QRgb p = image.pixel(x, y);
                        const QColor a = theme.accent;
                        accent += qAlpha(p) == 255 && std::abs(qRed(p) - a.red()) +
                                                              std::abs(qGreen(p) - a.green()) +
                                                              std::abs(qBlue(p) - a.blue()) <
                                                          60;
                    }
                QVERIFY2(accent > 8, qPrintable(theme.folder + "/" + icon));
            }
        }
        QCOMPARE(named, QStringList({"SquareRed #ce0000", "LightGrey #404040", "LightBlue #0000ff",
                                     "CyanJoy #00cfce", "RedDanger #ff0000", "ModernBlue #00aece",
                                     "Vista #007d00", "HappyDay #ff7100", "Comix #8c00ce"}));
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TstContentArt test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_content_art.moc"

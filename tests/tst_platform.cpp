// The small platform layers: file lookup, colour text, random numbers and
// the program's style.
#include "app/AppStyle.h"
#include "app/FrmMain.h"
#include "platform/FileSystemObject.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QtTest>

class TestPlatform : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QTemporaryDir m_outside;

private slots:
    void initTestCase() {
        for (const char* file : {"/Grafica/Temi/SquareRed/Wizard.gif", "/Suoni/ma1.mp3",
                                 "/Grafemi/g001.jpg", "/Grafemi/.jpg"}) {
            QDir().mkpath(QFileInfo(m_dir.path() + file).path());
            QFile touched(m_dir.path() + file);
            QVERIFY(touched.open(QIODevice::WriteOnly));
        }
        QDir().mkpath(m_dir.path() + "/Filmati");
        QFile outside(m_outside.path() + "/secret.jpg");
        QVERIFY(outside.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(outside.fileName(), m_dir.path() + "/Grafemi/link.jpg"));
    }

    void resolver_data() {
        QTest::addColumn<QString>("sub");
        QTest::addColumn<QString>("expected"); // relative real path; empty: refused
        QTest::newRow("exact") << "\\Grafica\\Temi\\SquareRed\\Wizard.gif"
                               << "Grafica/Temi/SquareRed/Wizard.gif";
        QTest::newRow("folder in lower case") << "\\grafica\\temi\\squarered\\wizard.GIF"
                                              << "Grafica/Temi/SquareRed/Wizard.gif";
        QTest::newRow("upper-case extension") << "\\Suoni\\ma1.MP3"
                                              << "Suoni/ma1.mp3";
        QTest::newRow("forward slashes") << "/Grafemi/g001.jpg"
                                         << "Grafemi/g001.jpg";
        QTest::newRow("empty field value") << "\\Grafemi\\.jpg"
                                           << "Grafemi/.jpg";
        QTest::newRow("missing file") << "\\Grafemi\\g002.jpg"
                                      << "";
        QTest::newRow("folder is not a file") << "\\Filmati"
                                              << "";
        QTest::newRow("parent folder") << "\\Grafemi\\..\\Grafemi\\g001.jpg"
                                       << "";
        QTest::newRow("absolute value") << "\\Grafemi\\/etc/passwd"
                                        << "";
        QTest::newRow("drive letter") << "\\Grafemi\\C:\\x.jpg"
                                      << "";
        QTest::newRow("no separator after folder") << "x\\Grafemi\\g001.jpg"
                                                   << "";
        QTest::newRow("link out of the folder") << "\\Grafemi\\link.jpg"
                                                << "";
    }
    void resolver() {
        QFETCH(QString, sub);
        QFETCH(QString, expected);
        const FileSystemObject fso(m_dir.path());
        QCOMPARE(fso.resolveFile(m_dir.path() + sub).value_or(QString()),
                 expected.isEmpty() ? QString() : m_dir.path() + u'/' + expected);
        QCOMPARE(fso.FileExists(m_dir.path() + sub), !expected.isEmpty());
    }

    void colorText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color"); // invalid: refused
        QTest::newRow("square red") << "&H0000CE" << QColor(206, 0, 0);
        QTest::newRow("short red") << "&HFF" << QColor(255, 0, 0);
        QTest::newRow("blue, not red") << "&HFF0000" << QColor(0, 0, 255);
        QTest::newRow("six digits") << "&HCECF00" << QColor(0, 207, 206);
        QTest::newRow("lower case") << "&hff00" << QColor(0, 255, 0);
        QTest::newRow("no digits") << "&H" << QColor();
        QTest::newRow("seven digits") << "&H1000000" << QColor();
        QTest::newRow("not hex") << "&HXYZ" << QColor();
        QTest::newRow("no prefix") << "FF0000" << QColor();
        QTest::newRow("signed") << "&H-1" << QColor();
        QTest::newRow("NUL after digits") << QString("&hff") + QChar(0) << QColor();
        QTest::newRow("0x inside") << "&H0xff" << QColor();
    }
    void colorText() {
        QFETCH(QString, text);
        QFETCH(QColor, color);
        QCOMPARE(FrmMain::colorFromText(text).value_or(QColor()), color);
    }

    void randomStaysBelowOne() {
        Platform::randomize();
        float lowest = 1, highest = 0;
        for (int i = 0; i < 200000; ++i) {
            const float r = Platform::rnd();
            QVERIFY(r >= 0.0f && r < 1.0f);
            lowest = std::min(lowest, r);
            highest = std::max(highest, r);
        }
        QVERIFY(lowest < 0.001f && highest > 0.999f); // spread over the whole interval
    }

    // The toolbar's overflow arrow, read without asking every image plugin,
    // is still the base style's own, in both directions.
    void overflowIconIsTheBaseStyles() {
        AppStyle mine;
        for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
            QStyleOption option;
            option.direction = direction;
            QGuiApplication::setLayoutDirection(direction);
            for (const QStyleOption* given : {static_cast<const QStyleOption*>(nullptr),
                                              static_cast<const QStyleOption*>(&option)}) {
                const auto icon = [&](const QStyle& style) {
                    return style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton, given);
                };
                QVERIFY(!icon(mine).isNull());
                for (const int size : {8, 16, 32})
                    QCOMPARE(icon(mine).pixmap(size).toImage(),
                             icon(*QApplication::style()).pixmap(size).toImage());
            }
        }
        QGuiApplication::setLayoutDirection(Qt::LeftToRight);
        const QIcon critical =
            static_cast<QStyle&>(mine).standardIcon(QStyle::SP_MessageBoxCritical);
        QCOMPARE(critical.pixmap(32).toImage(), QApplication::style()
                                                    ->standardIcon(QStyle::SP_MessageBoxCritical)
                                                    .pixmap(32)
                                                    .toImage());
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"

// The small platform layers: file lookup, colour text, random numbers and
// the shared character check.
#include "app/FrmMain.h"
#include "platform/FileSystemObject.h"
#include "platform/Platform.h"
#include "quiz/Module1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void resolver_data();
    void resolver();
    void resolverRejectsLinksOut();
    void colorText_data();
    void colorText();
    void randomStaysBelowOne();
    void verificaCaratteri_data();
    void verificaCaratteri();

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_outside;
};

static void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

void TestPlatform::initTestCase() {
    touch(m_dir.path() + "/Grafica/Temi/SquareRed/Wizard.gif");
    touch(m_dir.path() + "/Suoni/ma1.mp3");
    touch(m_dir.path() + "/Grafemi/g001.jpg");
    touch(m_dir.path() + "/Grafemi/.jpg");
    touch(m_outside.path() + "/secret.jpg");
    QDir().mkpath(m_dir.path() + "/Filmati");
}

void TestPlatform::resolver_data() {
    QTest::addColumn<QString>("sub");
    QTest::addColumn<QString>("expected"); // relative real path; empty: missing

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
    QTest::newRow("escape upwards") << "\\Grafemi\\..\\..\\x.jpg"
                                    << "";
    QTest::newRow("absolute value") << "\\Grafemi\\/etc/passwd"
                                    << "";
    QTest::newRow("drive letter") << "\\Grafemi\\C:\\x.jpg"
                                  << "";
    QTest::newRow("no separator after folder") << "x\\Grafemi\\g001.jpg"
                                               << "";
}

void TestPlatform::resolver() {
    QFETCH(QString, sub);
    QFETCH(QString, expected);
    const FileSystemObject fso(m_dir.path());
    const std::optional<QString> found = fso.resolveFile(m_dir.path() + sub);
    if (expected.isEmpty()) {
        QVERIFY2(!found, qPrintable(found.value_or(QString())));
        QVERIFY(!fso.FileExists(m_dir.path() + sub));
    } else {
        QVERIFY(found);
        QCOMPARE(*found, m_dir.path() + u'/' + expected);
        QVERIFY(fso.FileExists(m_dir.path() + sub));
    }
}

void TestPlatform::resolverRejectsLinksOut() {
    QVERIFY(QFile::link(m_outside.path() + "/secret.jpg", m_dir.path() + "/Grafemi/link.jpg"));
    const FileSystemObject fso(m_dir.path());
    QVERIFY(!fso.FileExists(m_dir.path() + "\\Grafemi\\link.jpg"));
}

void TestPlatform::colorText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QColor>("color");

    QTest::newRow("square red") << "&H0000CE" << true << QColor(206, 0, 0);
    QTest::newRow("short red") << "&HFF" << true << QColor(255, 0, 0);
    QTest::newRow("blue, not red") << "&HFF0000" << true << QColor(0, 0, 255);
    QTest::newRow("cyan joy") << "&HCECF00" << true << QColor(0, 207, 206);
    QTest::newRow("happy day") << "&H0071FF" << true << QColor(255, 113, 0);
    QTest::newRow("one digit") << "&H1" << true << QColor(1, 0, 0);
    QTest::newRow("lower case") << "&hff00" << true << QColor(0, 255, 0);
    QTest::newRow("no digits") << "&H" << false << QColor();
    QTest::newRow("seven digits") << "&H1000000" << false << QColor();
    QTest::newRow("not hex") << "&HXYZ" << false << QColor();
    QTest::newRow("no prefix") << "FF0000" << false << QColor();
    QTest::newRow("signed") << "&H-1" << false << QColor();
}

void TestPlatform::colorText() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QColor, color);
    const std::optional<QColor> converted = FrmMain::colorFromText(text);
    QCOMPARE(converted.has_value(), valid);
    if (valid)
        QCOMPARE(*converted, color);
}

void TestPlatform::randomStaysBelowOne() {
    Platform::randomize();
    float lowest = 1, highest = 0;
    for (int i = 0; i < 200000; ++i) {
        const float r = Platform::rnd();
        QVERIFY(r >= 0.0f && r < 1.0f);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    // The draws spread over the whole interval.
    QVERIFY(lowest < 0.001f);
    QVERIFY(highest > 0.999f);
}

void TestPlatform::verificaCaratteri_data() {
    QTest::addColumn<QString>("allowed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("result");

    QTest::newRow("empty text") << "12345"
                                << "" << true;
    QTest::newRow("empty allowed, empty text") << ""
                                               << "" << true;
    QTest::newRow("empty allowed") << ""
                                   << "1" << false;
    QTest::newRow("repeated digits") << "12345"
                                     << "335" << true;
    QTest::newRow("one bad") << "12345"
                             << "136" << false;
    QTest::newRow("letter") << "1234567890"
                            << "1a" << false;
    QTest::newRow("minus") << "1234567890"
                           << "-1" << false;
    QTest::newRow("space") << "12345"
                           << " 3" << false;
    QTest::newRow("case-sensitive") << "abc"
                                    << "A" << false;
}

void TestPlatform::verificaCaratteri() {
    QFETCH(QString, allowed);
    QFETCH(QString, text);
    QFETCH(bool, result);
    QCOMPARE(VerificaCaratteri(allowed, text), result);
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"

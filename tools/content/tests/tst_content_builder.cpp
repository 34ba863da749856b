// SPDX-License-Identifier: GPL-3.0-or-later
// The builder end to end: a five-row table into a temporary application
// folder and again into another, with the same bytes; and the five tones of
// one syllable as heard.
#include "Tones.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSample = QStringLiteral(TAVORIN_CONTENT_TEST_DATA "/sample.tsv");
const QString kTones = QStringLiteral(TAVORIN_CONTENT_TEST_DATA "/tones.tsv"); // ma1..ma5

// Exit code (-1 if it did not end), standard output and error.
struct Run {
    int exitCode = -1;
    QString out, err;
};
Run runBuilder(const QStringList& arguments) {
    QProcess process;
    process.start(TAVORIN_CONTENT_BUILDER, arguments + QStringList{"--quiet"});
    const bool ended =
        process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList filesUnder(const QString& folder) {
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Mean squared difference per channel between `a` and `b` moved left by
// `shift`, over every `step`-th column.
double meanSquare(const QImage& a, const QImage& b, int shift = 0, int step = 1) {
    double sum = 0, count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x + shift < a.width(); x += step, count += 4) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x + shift, y);
            for (int bits = 0; bits < 32; bits += 8)
                sum += std::pow(int(p >> bits & 0xff) - int(q >> bits & 0xff), 2);
        }
    return sum / count;
}

} // namespace

class TstContentBuilder : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_app;
    QList<ContourFigures> m_ma; // ma1..ma5 as built

private slots:
    void initTestCase() {
        m_app = m_dir.filePath("app");
        const Run run = runBuilder({"--table", kSample, "--out", m_app, "--jobs", "2"});
        QVERIFY2(run.exitCode == 0 && run.out.contains("0 up to date"), qPrintable(run.err));
        const QString tones = m_dir.filePath("tones");
        QVERIFY(runBuilder({"--table", kTones, "--out", tones, "--jobs", "2"}).exitCode == 0);
        QStringList sounds;
        for (int tone = 1; tone <= 5; ++tone)
            sounds << QString("%1/Suoni/ma%2.MP3").arg(tones).arg(tone);
        QList<PitchTrack> tracks;
        QString error;
        QVERIFY2(trackPitch(sounds, 2, &tracks, &error), qPrintable(error));
        for (const PitchTrack& track : std::as_const(tracks))
            m_ma << contourFigures(track);
    }

    // Measured as the builder measures them, each tone does what a learner
    // must hear.
    void soundsCarryTheirTone_data() {
        QTest::addColumn<int>("tone");
        for (int tone = 1; tone <= 5; ++tone)
            QTest::addRow("ma%d", tone) << tone;
    }
    void soundsCarryTheirTone() {
        QFETCH(int, tone);
        const ContourFigures& ma = m_ma[tone - 1];
        const bool heard[] = {ma.wobble <= 1, ma.rise >= 5, ma.fall >= 3 && ma.rise >= 4,
                              ma.drop >= 8, // and the neutral tone is the shortest
                              ma.seconds < std::min({m_ma[0].seconds, m_ma[1].seconds,
                                                     m_ma[2].seconds, m_ma[3].seconds})};
        QVERIFY2(heard[tone - 1], figuresText(ma).toUtf8());
    }

    // Every picture also at double density: twice the size; the same drawing
    // (reduced, nearer the plain one than that is to itself moved a pixel); sharper
    // than the plain one enlarged, which spreads an edge over a column pair or repeats one.
    void highDensityPictures_data() {
        QTest::addColumn<QString>("path");
        for (const char* path :
             {"Grafemi/c005.jpg", "Grafica/Temi/Comix/Sound.gif", "Grafica/Frames/DF_7.gif",
              "Grafica/dragon.gif", "Grafica/DragonPoster.jpg"})
            QTest::newRow(path) << QString(path);
    }
    void highDensityPictures() {
        QFETCH(QString, path);
        const QImage plain(m_app + '/' + path), dense(m_app + '/' + path.replace(".", "@2x."));
        QCOMPARE(dense.size(), plain.size() * 2);
        QVERIFY(meanSquare(dense.scaledToWidth(plain.width(), Qt::SmoothTransformation), plain) <
                meanSquare(plain, plain, 1));
        const QImage enlarged = plain.scaledToWidth(dense.width(), Qt::SmoothTransformation);
        QVERIFY(meanSquare(dense, dense, 1, 2) > 2 * meanSquare(enlarged, enlarged, 1, 2));
    }

    void sameInputSameBytes() {
        const QString again = m_dir.filePath("again");
        QCOMPARE(runBuilder({"--table", kSample, "--out", again, "--jobs", "1"}).exitCode, 0);
        const QStringList files = filesUnder(m_app);
        QCOMPARE(filesUnder(again), files);
        for (const QString& file : files)
            QVERIFY2(contents(QDir(m_app).filePath(file)) == contents(QDir(again).filePath(file)),
                     qPrintable(file));
        // Nothing changed, nothing made again.
        const Run unchanged = runBuilder({"--table", kSample, "--out", again});
        QVERIFY2(unchanged.out.contains(", 0 built,"), qPrintable(unchanged.out));
        // A half-made database that a killed run left does not stop the next.
        QVERIFY(QFile::rename(again + "/DBGrafemi1.sqlite", again + "/DBGrafemi1.sqlite.part"));
        QVERIFY(runBuilder({"--table", kSample, "--out", again}).exitCode == 0 &&
                filesUnder(again).filter(".part").isEmpty());
        // The films are what the media window shows at their own size.
        const QString film = m_app + '/' + filesUnder(m_app).filter(".wmv").value(0);
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,width,height",
                                "-of", "default=nw=1:nk=1", film});
        QVERIFY(probe.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()).simplified(),
                 QStringLiteral("wmv2 180 150"));
    }
};

QTEST_GUILESS_MAIN(TstContentBuilder)
#include "tst_content_builder.moc"

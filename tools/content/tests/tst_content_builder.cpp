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
Run runBuilder(const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(TAVORIN_CONTENT_BUILDER, arguments + QStringList{"--quiet"});
    Run run;
    if (process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
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
        const QByteArray figures = figuresText(ma).toUtf8();
        switch (tone) {
        case 1:
            QVERIFY2(ma.wobble <= 1, figures);
            break;
        case 2:
            QVERIFY2(ma.rise >= 5, figures);
            break;
        case 3:
            QVERIFY2(ma.fall >= 3 && ma.rise >= 4, figures);
            break;
        case 4:
            QVERIFY2(ma.drop >= 8, figures);
            break;
        default:
            for (int full = 0; full < 4; ++full)
                QVERIFY2(ma.seconds < m_ma[full].seconds, figures);
        }
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

// The builder end to end: a five-row table into a temporary application
// folder, then again unchanged, then with one row changed; and the five
// tones of one syllable.
#include "Tones.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSample = QStringLiteral(TAVORIN_CONTENT_TEST_DATA "/sample.tsv");
const QString kTones = QStringLiteral(TAVORIN_CONTENT_TEST_DATA "/tones.tsv"); // ma1..ma5
const QDateTime kOld = QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runBuilder(const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TAVORIN_CONTENT_BUILDER), arguments + QStringList{"--quiet"});
    Run run;
    if (!process.waitForFinished(240000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QStringList filesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

void ageAll(const QString& folder) {
    for (const QString& file : filesUnder(folder)) {
        QFile f(QDir(folder).filePath(file));
        if (f.open(QIODevice::ReadWrite))
            f.setFileTime(kOld, QFileDevice::FileModificationTime);
    }
}

QStringList touchedSince(const QString& folder) {
    QStringList touched;
    for (const QString& file : filesUnder(folder))
        if (QFileInfo(QDir(folder).filePath(file)).lastModified() > kOld.addSecs(60) &&
            file != ".tavorin-content")
            touched << file;
    return touched;
}

QString probe(const QString& file, const QString& entries) {
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-show_entries", entries, "-of",
                              "default=noprint_wrappers=1:nokey=1", file});
    ffprobe.waitForFinished(30000);
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).simplified();
}

// A full decode; ffmpeg prints nothing at level "error" for a sound file.
bool decodesCleanly(const QString& file, QString* why) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-i", file, "-f", "null", "-"});
    ffmpeg.waitForFinished(30000);
    *why = QString::fromUtf8(ffmpeg.readAllStandardError());
    return ffmpeg.exitCode() == 0 && why->trimmed().isEmpty();
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeTable(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

class TstContentBuilder : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_app;
    QList<ContourFigures> m_ma; // ma1..ma5 as built

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_app = m_dir.filePath("app");
        const Run run = runBuilder({"--table", kSample, "--out", m_app, "--jobs", "2"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains("0 up to date"), qPrintable(run.out));

        const QString tones = m_dir.filePath("tones");
        const Run toneRun = runBuilder({"--table", kTones, "--out", tones, "--jobs", "2"});
        QVERIFY2(toneRun.exitCode == 0, qPrintable(toneRun.err));
        QStringList sounds;
        for (int tone = 1; tone <= 5; ++tone)
            sounds << QStringLiteral("%1/Suoni/ma%2.MP3").arg(tones).arg(tone);
        QList<PitchTrack> tracks;
        QString error;
        QVERIFY2(trackPitch(sounds, 2, &tracks, &error), qPrintable(error));
        for (const PitchTrack& track : std::as_const(tracks))
            m_ma << contourFigures(track);
    }

    void everyRowHasDecodableFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sound");
        for (const auto& [name, sound] : {std::pair{"c001", "de5"},
                                          {"c002", "wo3"},
                                          {"c003", "nv3"},
                                          {"c004", "lv4"},
                                          {"c005", "long2"}})
            QTest::newRow(name) << QString(name) << QString(sound);
    }
    void everyRowHasDecodableFiles() {
        QFETCH(QString, name);
        QFETCH(QString, sound);
        const QDir app(m_app);
        QImageReader picture(app.filePath("Grafemi/" + name + ".jpg"));
        QCOMPARE(picture.format(), QByteArray("jpeg"));
        QCOMPARE(picture.read().size(), QSize(84, 84));

        QString why;
        const QString mp3 = app.filePath("Suoni/" + sound + ".MP3");
        QVERIFY2(decodesCleanly(mp3, &why), qPrintable(why));
        QCOMPARE(probe(mp3, "stream=codec_name"), QStringLiteral("mp3"));
        const double said = probe(mp3, "format=duration").toDouble();
        QVERIFY2(said > 0.15 && said < 1.5, qPrintable(QString::number(said)));

        const QString wmv = app.filePath("Filmati/" + name + ".wmv");
        QVERIFY2(decodesCleanly(wmv, &why), qPrintable(why));
        QCOMPARE(probe(wmv, "stream=codec_name,width,height"), QStringLiteral("wmv2 180 150"));
        const double shown = probe(wmv, "format=duration").toDouble();
        QVERIFY2(shown > 1.5 && shown < 8, qPrintable(QString::number(shown)));
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

    void artDecodes() {
        const QDir app(m_app);
        const QStringList themes = {"SquareRed",  "LightGrey", "LightBlue", "CyanJoy", "RedDanger",
                                    "ModernBlue", "Vista",     "HappyDay",  "Comix"};
        const QStringList icons = {"Refresh", "Wizard", "Trash", "Close",
                                   "Write",   "Match",  "Sound"};
        for (const QString& theme : themes)
            for (const QString& icon : icons) {
                QImageReader reader(app.filePath("Grafica/Temi/" + theme + "/" + icon + ".gif"));
                QCOMPARE(reader.format(), QByteArray("gif"));
                const QImage image = reader.read();
                QCOMPARE(image.size(), QSize(32, 32));
                // Transparent around the picture, so the button's grey shows.
                for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31)})
                    QCOMPARE(qAlpha(image.pixel(corner)), 0);
                int opaque = 0;
                for (int y = 0; y < 32; ++y)
                    for (int x = 0; x < 32; ++x)
                        opaque += qAlpha(image.pixel(x, y)) == 255;
                QVERIFY2(opaque > 150, qPrintable(theme + "/" + icon));
            }
        for (int i = 1; i <= 13; ++i) {
            const QImage frame(app.filePath(QStringLiteral("Grafica/Frames/DF_%1.gif").arg(i)));
            QCOMPARE(frame.size(), QSize(84, 84));
        }
        QCOMPARE(QImage(app.filePath("Grafica/dragon.gif")).size(), QSize(84, 84));
        QCOMPARE(QImage(app.filePath("Grafica/DragonPoster.jpg")).size(), QSize(538, 358));
        QVERIFY(QFile::exists(app.filePath("LICENSES/ARPHICPL.TXT")));
    }

    void databaseHasRowsInOrder() {
        const QString connection = "builder-test";
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection);
            db.setDatabaseName(QDir(m_app).filePath("DBGrafemi1.sqlite"));
            QVERIFY(db.open());
            QSqlQuery columns("PRAGMA table_info(Tabella)", db);
            QStringList names;
            while (columns.next()) {
                names << columns.value(1).toString();
                QCOMPARE(columns.value(2).toString(), QStringLiteral("TEXT"));
            }
            QCOMPARE(names, (QStringList{"Nome file grafema", "Suoni", "Filmati", "Significato",
                                         "Sillaba", "Tono", "Note"}));
            QSqlQuery rows("SELECT * FROM Tabella ORDER BY rowid", db);
            QStringList seen;
            while (rows.next()) {
                QStringList cells;
                for (int i = 0; i < 7; ++i)
                    cells << rows.value(i).toString();
                seen << cells.join('|');
            }
            QCOMPARE(seen.size(), 5);
            QCOMPARE(seen[0], QString::fromUtf8("c001|de5|c001|particella possessiva|de|5|"
                                                "HSK 1 · 8 tratti"));
            QCOMPARE(seen[2], QString::fromUtf8("c003|nv3|c003|donna|nü|3|HSK 1 · 3 tratti"));
            QCOMPARE(seen[4], QString::fromUtf8("c005|long2|c005|drago|long|2|HSK 4 · 5 tratti"));
        }
        QSqlDatabase::removeDatabase(connection);
    }

    void sameInputSameBytes() {
        const QString again = m_dir.filePath("again");
        const Run run = runBuilder({"--table", kSample, "--out", again, "--jobs", "1"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QStringList files = filesUnder(m_app);
        QCOMPARE(filesUnder(again), files);
        for (const QString& file : files)
            QVERIFY2(contents(QDir(m_app).filePath(file)) == contents(QDir(again).filePath(file)),
                     qPrintable(file));
    }

    void secondRunRebuildsNothing() {
        ageAll(m_app);
        const Run run = runBuilder({"--table", kSample, "--out", m_app});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(" 0 built"), qPrintable(run.out));
        QCOMPARE(touchedSince(m_app), QStringList());
    }

    void changedRowRebuildsOnlyItsFiles() {
        const QString table = m_dir.filePath("changed.tsv");
        QString text = QString::fromUtf8(contents(kSample));
        // Row 3 shows another character; row 5 takes another tone and sound.
        text.replace(QString::fromUtf8("3\t女\tnü\t3\tdonna"),
                     QString::fromUtf8("3\t好\tnü\t3\tbuono"));
        text.replace("5\t龙\tlong\t2\tdrago\tHSK 4 · 5 tratti\tc005\tlong2",
                     "5\t龙\tlong\t3\tdrago\tHSK 4 · 5 tratti\tc005\tlong3");
        QVERIFY(writeTable(table, text));
        const QByteArray oldPicture = contents(QDir(m_app).filePath("Grafemi/c003.jpg"));
        ageAll(m_app);
        const Run run = runBuilder({"--table", table, "--out", m_app});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(touchedSince(m_app), (QStringList{"DBGrafemi1.sqlite", "Filmati/c003.wmv",
                                                   "Grafemi/c003.jpg", "Suoni/long3.MP3"}));
        QVERIFY(contents(QDir(m_app).filePath("Grafemi/c003.jpg")) != oldPicture);
        QVERIFY(!QFile::exists(QDir(m_app).filePath("Suoni/long2.MP3")));
    }

    void failsOnMissingInputs() {
        const Run noTable =
            runBuilder({"--table", m_dir.filePath("absent.tsv"), "--out", m_dir.filePath("x")});
        QVERIFY(noTable.exitCode != 0);
        QVERIFY2(noTable.err.contains("absent.tsv"), qPrintable(noTable.err));

        // Stroke data without the entry for 绿 (row 4).
        QDir strokes(m_dir.filePath("strokes"));
        QVERIFY(strokes.mkpath("."));
        const QDir real(TAVORIN_HANZI_DATA_DIR);
        for (const char* name : {"ARPHICPL.TXT", "的.json", "我.json", "女.json", "龙.json"})
            QVERIFY(QFile::copy(real.filePath(QString::fromUtf8(name)),
                                strokes.filePath(QString::fromUtf8(name))));
        const Run noStrokes = runBuilder(
            {"--table", kSample, "--out", m_dir.filePath("y"), "--stroke-data", strokes.path()});
        QVERIFY(noStrokes.exitCode != 0);
        QVERIFY2(noStrokes.err.contains(QString::fromUtf8("no entry for 绿")),
                 qPrintable(noStrokes.err));
    }

    void failsWithoutTools() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", m_dir.filePath("empty-path"));
        const Run run = runBuilder({"--table", kSample, "--out", m_dir.filePath("z")}, environment);
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.err.contains("espeak-ng"), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TstContentBuilder)
#include "tst_content_builder.moc"

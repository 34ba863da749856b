// The builder end to end: a five-row table into a temporary application
// folder, again into another (the same bytes), again unchanged, then with
// rows changed; and the five tones of one syllable as heard.
#include "Tones.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSample = QStringLiteral(TAVORIN_CONTENT_TEST_DATA "/sample.tsv");
const QString kTones = QStringLiteral(TAVORIN_CONTENT_TEST_DATA "/tones.tsv"); // ma1..ma5
const QDateTime kOld = QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

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

// Runs the builder over a folder whose files all look old, and names the
// files it wrote.
QStringList rebuilt(const QString& folder, const QString& table) {
    for (const QString& file : filesUnder(folder)) {
        QFile f(QDir(folder).filePath(file));
        if (f.open(QIODevice::ReadWrite))
            f.setFileTime(kOld, QFileDevice::FileModificationTime);
    }
    const Run run = runBuilder({"--table", table, "--out", folder});
    if (run.exitCode != 0)
        return {run.err};
    QStringList touched;
    for (const QString& file : filesUnder(folder))
        if (QFileInfo(QDir(folder).filePath(file)).lastModified() > kOld.addSecs(60) &&
            file != ".tavorin-content")
            touched << file;
    return touched;
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

    void databaseHasRowsInOrder() {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "built");
            db.setDatabaseName(QDir(m_app).filePath("DBGrafemi1.sqlite"));
            QVERIFY(db.open());
            QSqlQuery columns("SELECT name || ' ' || type FROM pragma_table_info('Tabella')", db);
            QStringList names;
            while (columns.next())
                names << columns.value(0).toString();
            QCOMPARE(names,
                     (QStringList{"Nome file grafema TEXT", "Suoni TEXT", "Filmati TEXT",
                                  "Significato TEXT", "Sillaba TEXT", "Tono TEXT", "Note TEXT"}));
            QSqlQuery rows("SELECT * FROM Tabella ORDER BY rowid", db);
            QStringList seen;
            while (rows.next()) {
                QStringList cells;
                for (int i = 0; i < 7; ++i)
                    cells << rows.value(i).toString();
                seen << cells.join('|');
            }
            QCOMPARE(seen.size(), 5);
            QCOMPARE(seen[0], QString("c001|de5|c001|particella possessiva|de|5|HSK 1 · 8 tratti"));
            QCOMPARE(seen[2], QString("c003|nv3|c003|donna|nü|3|HSK 1 · 3 tratti"));
            QCOMPARE(seen[4], QString("c005|long2|c005|drago|long|2|HSK 4 · 5 tratti"));
        }
        QSqlDatabase::removeDatabase("built");
    }

    void sameInputSameBytes() {
        const QString again = m_dir.filePath("again");
        QCOMPARE(runBuilder({"--table", kSample, "--out", again, "--jobs", "1"}).exitCode, 0);
        const QStringList files = filesUnder(m_app);
        QCOMPARE(filesUnder(again), files);
        for (const QString& file : files)
            QVERIFY2(contents(QDir(m_app).filePath(file)) == contents(QDir(again).filePath(file)),
                     qPrintable(file));
    }

    // Unchanged, nothing is built again; with row 3 showing another
    // character and row 5 another tone, only their files, and the old sound
    // goes.
    void rebuildsOnlyWhatChanged() {
        QCOMPARE(rebuilt(m_app, kSample), QStringList());
        QString text = QString::fromUtf8(contents(kSample));
        text.replace("3\t女\tnü\t3\tdonna", "3\t好\tnü\t3\tbuono");
        text.replace("2\tdrago\tHSK 4 · 5 tratti\tc005\tlong2",
                     "3\tdrago\tHSK 4 · 5 tratti\tc005\tlong3");
        const QString changed = m_dir.filePath("changed.tsv");
        QFile file(changed);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0);
        file.close();
        QCOMPARE(rebuilt(m_app, changed), (QStringList{"DBGrafemi1.sqlite", "Filmati/c003.wmv",
                                                       "Grafemi/c003.jpg", "Suoni/long3.MP3"}));
        QVERIFY(!QFile::exists(QDir(m_app).filePath("Suoni/long2.MP3")));
    }

    void failsOnMissingInputs() {
        const Run noTable =
            runBuilder({"--table", m_dir.filePath("absent.tsv"), "--out", m_dir.filePath("x")});
        QVERIFY2(noTable.exitCode > 0 && noTable.err.contains("absent.tsv"),
                 qPrintable(noTable.err));
        QProcessEnvironment noTools = QProcessEnvironment::systemEnvironment();
        noTools.insert("PATH", m_dir.filePath("empty-path"));
        const Run run = runBuilder({"--table", kSample, "--out", m_dir.filePath("z")}, noTools);
        QVERIFY2(run.exitCode > 0 && run.err.contains("espeak-ng"), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TstContentBuilder)
#include "tst_content_builder.moc"

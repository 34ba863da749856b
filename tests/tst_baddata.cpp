// The data folder and the platform layers over it: a session writes nothing
// there, names are found whatever their letter case, field values cannot
// lead out of it and any folder name will do; and the colour text and the
// random numbers.
#include "fixture/TestApp.h"
#include "media/FrmPlay.h"
#include "media/TestMedia.h"
#include "platform/FileSystemObject.h"
#include "ui_FrmMain.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryFile>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

const QString Access = QStringLiteral(TAVORIN_SHARED_DIR "/fixtures/mdb/DBGrafemi1.mdb");

} // namespace

class TestBadData : public QObject {
    Q_OBJECT

    QTemporaryDir m_media;
    bool m_haveMedia = false;

private slots:
    void initTestCase() {
        m_haveMedia =
            TestMedia::makeSound(m_media.filePath("s001.MP3"), "ma1").isEmpty() &&
            TestMedia::makeFilm(m_media.filePath("f001.wmv"), QSize(84, 84), 1.0).isEmpty();
    }

    // Every step of a session, sound and film too, over a folder of
    // writable files watched by the kernel: a file opened for writing (even
    // with nothing written), a change of content or attributes, an entry
    // made, removed or renamed would all show. Permission bits stop no one
    // who runs as root; this does.
    void sessionWritesNothing_data() {
        QTest::addColumn<QString>("database");
        QTest::addColumn<bool>("wal");
        QTest::newRow("sqlite") << "DBGrafemi1.sqlite" << false;
        // Another program's SQLite file may be in write-ahead-log mode, where
        // even a read-only reader makes files of its own beside it.
        QTest::newRow("sqlite in WAL mode") << "DBGrafemi1.sqlite" << true;
        QTest::newRow("mdb") << "DBGrafemi1.mdb" << false;
    }
    void sessionWritesNothing() {
        QFETCH(QString, database);
        QFETCH(bool, wal);
        TestApp app(12);
        if (wal) {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "wal");
                db.setDatabaseName(app.path(database));
                QVERIFY(db.open());
                QVERIFY(QSqlQuery(db).exec("PRAGMA journal_mode=WAL"));
            }
            QSqlDatabase::removeDatabase("wal");
            QFile file(app.path(database));
            QVERIFY(file.open(QIODevice::ReadOnly) && file.read(20).endsWith("\2\2"));
            QVERIFY(!QFile::exists(app.path(database + "-wal")));
        }
        if (database.endsWith(".mdb")) {
            QVERIFY(QFile::remove(app.path("DBGrafemi1.sqlite")));
            QVERIFY(QFile::copy(Access, app.path(database)));
        }
        QVERIFY(m_haveMedia);
        QVERIFY(QDir().mkpath(app.path("Suoni")) && QDir().mkpath(app.path("Filmati")));
        QVERIFY(QFile::copy(m_media.filePath("s001.MP3"), app.path("Suoni/s001.MP3")));
        QVERIFY(QFile::copy(m_media.filePath("f001.wmv"), app.path("Filmati/f001.wmv")));
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        const auto closeWatch = qScopeGuard([&] { ::close(watch); });
        QStringList dirs{app.dir.path()};
        for (QDirIterator it(app.dir.path(), QDir::Dirs | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            dirs << it.next();
        for (const QString& dir : dirs) {
            for (QDirIterator it(dir, QDir::Files); it.hasNext();)
                QFile::setPermissions(it.next(), QFile::ReadOwner | QFile::WriteOwner);
            QVERIFY(inotify_add_watch(watch, QFile::encodeName(dir).constData(),
                                      IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE |
                                          IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO) >= 0);
        }

        QVERIFY(app.load());
        FrmMain& w = *app.window;
        w.show();
        Ui::FrmMain& ui = app.ui();
        app.useTableOrder();
        ui.MnuVS->trigger();
        ui.MnuSR->trigger();
        app.newCharacter();
        ui.TxtImmSill->setText("ma");
        QTest::mouseClick(ui.CmdMatch, Qt::LeftButton);
        QTest::mouseClick(ui.CmdSnd, Qt::LeftButton);
        QTest::mouseClick(ui.CmdFlm, Qt::LeftButton);
        QTest::qWait(400);
        QTest::mouseClick(ui.CmdCanc, Qt::LeftButton);
        ui.MnuRnd->trigger();
        ui.MnuSfd->trigger();
        ui.MnuSfd->trigger();
        ui.CmdExit->click();
        app.window.reset();
        char buffer[4096];
        const ssize_t got = ::read(watch, buffer, sizeof buffer);
        QVERIFY2(got <= 0, reinterpret_cast<const inotify_event*>(buffer)->name);
        QVERIFY2(app.platform.boxes.empty(), qPrintable(app.platform.texts().join(u'\n')));
    }

    void resolver_data() {
        QTest::addColumn<QString>("sub");
        QTest::addColumn<QString>("expected"); // relative real path; empty: refused
        QTest::newRow("exact") << "\\Grafica\\Temi\\SquareRed\\Wizard.gif"
                               << "Grafica/Temi/SquareRed/Wizard.gif";
        QTest::newRow("any letter case") << "\\grafica\\temi\\squarered\\wizard.GIF"
                                         << "Grafica/Temi/SquareRed/Wizard.gif";
        QTest::newRow("forward slashes") << "/Grafemi/g001.jpg"
                                         << "Grafemi/g001.jpg";
        QTest::newRow("empty field value") << "\\Grafemi\\.jpg"
                                           << "Grafemi/.jpg";
        QTest::newRow("missing file") << "\\Grafemi\\g002.jpg"
                                      << "";
        QTest::newRow("folder is not a file") << "\\Grafemi"
                                              << "";
        QTest::newRow("parent folder") << "\\Grafemi\\..\\Grafemi\\g001.jpg"
                                       << "";
        QTest::newRow("absolute value") << "\\Grafemi\\/etc/passwd"
                                        << "";
        QTest::newRow("drive letter") << "\\Grafemi\\C:\\x.jpg"
                                      << "";
        QTest::newRow("no separator after folder") << "x\\Grafemi\\g001.jpg"
                                                   << "";
    }
    void resolver() {
        QFETCH(QString, sub);
        QFETCH(QString, expected);
        static QTemporaryDir dir;
        for (const char* file :
             {"/Grafica/Temi/SquareRed/Wizard.gif", "/Grafemi/g001.jpg", "/Grafemi/.jpg"}) {
            QDir().mkpath(QFileInfo(dir.path() + file).path());
            QFile(dir.path() + file).open(QIODevice::WriteOnly);
        }
        const FileSystemObject fso(dir.path());
        QCOMPARE(fso.resolveFile(dir.path() + sub).value_or(QString()),
                 expected.isEmpty() ? QString() : dir.path() + u'/' + expected);
        QCOMPARE(fso.FileExists(dir.path() + sub), !expected.isEmpty());
    }

    // A field value that climbs out of the folder, or a picture that is a
    // link out of it, finds nothing there.
    void fieldValuesStayInFolder_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("picture, backslashes up")
            << "picture"
            << "..\\..\\%OUT%"
            << "Errore  53\nFile non trovato: \\Grafemi\\..\\..\\%OUT%.jpg";
        QTest::newRow("picture, link out") << "link"
                                           << "g001"
                                           << "Errore  53\nFile non trovato: \\Grafemi\\g001.jpg";
        QTest::newRow("sound, slashes up") << "sound"
                                           << "../../%OUT%"
                                           << "Audio non disponibile";
    }
    void fieldValuesStayInFolder() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        // Real files outside the folder, where the value would lead.
        QTemporaryFile outside(QDir::tempPath() + "/tavorin-outside-XXXXXX.jpg");
        QVERIFY(outside.open());
        Fixture::writeJpeg(outside.fileName(), Qt::red, 84, 84);
        const QString out = QFileInfo(outside.fileName()).completeBaseName();
        const QString base = QDir::tempPath() + u'/' + out;
        const auto cleanUp = qScopeGuard([&] {
            QFile::remove(base + ".MP3");
            QFile::remove(base + ".wmv");
        });
        QVERIFY(QFile::copy(outside.fileName(), base + ".MP3") &&
                QFile::copy(outside.fileName(), base + ".wmv"));
        for (QString* text : {&value, &message})
            text->replace("%OUT%", out).replace("%TMP%", QDir::tempPath());
        TestApp app(3);
        auto rows = Fixture::sampleRows(3);
        (field == "sound"  ? rows[0].sound
         : field == "film" ? rows[0].film
                           : rows[0].picture) = value;
        QVERIFY(QFile::remove(app.path("DBGrafemi1.sqlite")));
        Fixture::writeSqlite(app.path("DBGrafemi1.sqlite"), rows);
        if (field == "link") {
            QVERIFY(QFile::remove(app.path("Grafemi/g001.jpg")));
            QVERIFY(QFile::link(outside.fileName(), app.path("Grafemi/g001.jpg")));
        }
        QVERIFY(app.load());
        app.useTableOrder();
        app.newCharacter();
        if (field == "sound")
            QTest::mouseClick(app.ui().CmdSnd, Qt::LeftButton);
        if (field == "film")
            QTest::mouseClick(app.ui().CmdFlm, Qt::LeftButton);
        QCOMPARE(app.platform.texts(), QStringList{message});
        QVERIFY(app.ui().PctGrafema->pixmap().toImage().pixelColor(42, 42) != QColor(Qt::red));
        QVERIFY(!app.window->loadedFrmPlay());
    }

    // A school's folder may be called anything; its path travels to SQLite
    // as a URI.
    void oddFolderName() {
        QTemporaryDir base;
        const QString dir = base.path() + "/Cinese 100% #1 è?";
        Fixture::writeAppFolder(dir, Fixture::sampleRows(3));
        RecordingPlatform platform(dir);
        FrmMain w;
        QVERIFY(w.Form_Load());
        QVERIFY2(platform.boxes.empty(), qPrintable(platform.texts().join(u'\n')));
        QCOMPARE(w.CountRec, 3);
    }

    void colorText() {
        const std::pair<QString, QColor> cases[] = {{"&H0000CE", QColor(206, 0, 0)},
                                                    {"&HFF", QColor(255, 0, 0)},
                                                    {"&HFF0000", QColor(0, 0, 255)},
                                                    {"&hff00", QColor(0, 255, 0)},
                                                    {"&H", QColor()},
                                                    {"&H1000000", QColor()},
                                                    {"&HXYZ", QColor()},
                                                    {"FF0000", QColor()},
                                                    {"&H-1", QColor()},
                                                    {QString("&hff") + QChar(0), QColor()},
                                                    {"&H0xff", QColor()}};
        for (const auto& [text, color] : cases)
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
};

QTEST_MAIN(TestBadData)
#include "tst_baddata.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The data folder and the platform layers over it: a session writes nothing
// there, names are found whatever their letter case and field values cannot
// lead out of it; and the colour text and the random numbers.
#include "fixture/TestApp.h"
#include "media/TestMedia.h"
#include "platform/FileSystemObject.h"
#include "ui_FrmMain.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QScopeGuard>

#include <sqlite3.h>
#include <sys/inotify.h>
#include <unistd.h>

const QString Access = QStringLiteral(TAVORIN_SHARED_DIR "/fixtures/mdb/DBGrafemi1.mdb");

class TestBadData : public QObject {
    Q_OBJECT

    QTemporaryDir m_media;

private slots:
    void initTestCase() {
        QVERIFY(TestMedia::makeSound(m_media.filePath("s001.MP3"), "ma1").isEmpty() &&
                TestMedia::makeFilm(m_media.filePath("f001.wmv"), QSize(84, 84), 1.0).isEmpty());
    }

    // Every step of a session, sound and film too, over a folder of
    // writable files watched by the kernel: a file opened for writing (even
    // with nothing written), a change of content or attributes, an entry
    // made, removed or renamed would all show. Permission bits stop no one
    // who runs as root; this does.
    void sessionWritesNothing_data() {
        QTest::addColumn<QString>("database");
        QTest::newRow("sqlite") << "DBGrafemi1.sqlite";
        // Another program's SQLite file may be in write-ahead-log mode, where
        // even a read-only reader makes files of its own beside it.
        QTest::newRow("sqlite in WAL mode") << "DBGrafemi1.sqlite";
        QTest::newRow("mdb") << "DBGrafemi1.mdb";
    }
    void sessionWritesNothing() {
        QFETCH(QString, database);
        TestApp app(12);
        if (QTest::currentDataTag() == QByteArray("sqlite in WAL mode")) {
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(qPrintable(app.path(database)), &db), SQLITE_OK);
            sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            QFile file(app.path(database));
            QVERIFY(file.open(QIODevice::ReadOnly) && file.read(20).endsWith("\2\2"));
        }
        if (database.endsWith(".mdb")) {
            QVERIFY(QFile::remove(app.path("DBGrafemi1.sqlite")));
            QVERIFY(QFile::copy(Access, app.path(database)));
        }
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
        app.window->show();
        Ui::FrmMain& ui = app.ui();
        app.useTableOrder();
        ui.MnuVS->trigger();
        ui.MnuSR->trigger();
        app.newCharacter();
        ui.TxtImmSill->setText("ma");
        QTest::mouseClick(ui.CmdMatch, Qt::LeftButton);
        QCOMPARE(ui.TxtSolSill->text() + ui.TxtSolTn->text(), QString("ma1")); // either table
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
        QVERIFY2(app.platform.boxes.empty(), qPrintable(app.platform.shown().join(u'\n')));
    }

    void resolver_data() {
        QTest::addColumn<QString>("sub");
        QTest::addColumn<QString>("expected"); // relative real path; empty: refused
        auto row = [](const char* name, const char* sub, const char* expected) {
            QTest::newRow(name) << QString(sub) << QString(expected);
        };
        row("any letter case", "\\grafica\\temi\\squarered\\wizard.GIF",
            "Grafica/Temi/SquareRed/Wizard.gif");
        row("forward slashes", "/Grafemi/g001.jpg", "Grafemi/g001.jpg");
        row("empty field value", "\\Grafemi\\.jpg", "Grafemi/.jpg");
        row("folder is not a file", "\\Grafemi", "");
        row("parent folder", "\\Grafemi\\..\\Grafemi\\g001.jpg", "");
        row("absolute value", "\\Grafemi\\/etc/passwd", "");
        row("drive letter", "\\Grafemi\\C:\\x.jpg", "");
        row("link out of the folder", "\\Grafemi\\link.jpg", "");
        row("linked folder out of the folder", "\\etc\\passwd", "");
        row("linked folder out, named in a field", "\\Grafemi\\Etc\\passwd", "");
        row("linked folder inside the folder", "\\suoni\\G001.JPG", "Suoni/g001.jpg");
        row("no separator after folder", "xGrafemi\\g001.jpg", "");
    }
    void resolver() {
        QFETCH(QString, sub);
        QFETCH(QString, expected);
        static QTemporaryDir top;
        static const QDir dir(top.filePath("data"));
        for (const char* file : {"/Grafica/Temi/SquareRed/Wizard.gif", "/Grafemi/g001.jpg",
                                 "/Grafemi/.jpg", "/../outside/x.jpg", "/../outside/passwd"}) {
            QDir().mkpath(QFileInfo(dir.path() + file).path());
            QFile(dir.path() + file).open(QIODevice::WriteOnly);
        }
        QFile::link(dir.path() + "/../outside/x.jpg", dir.filePath("Grafemi/link.jpg"));
        QFile::link(dir.path() + "/../outside", dir.filePath("Etc"));
        QFile::link(dir.path() + "/../outside", dir.filePath("Grafemi/Etc"));
        QFile::link("Grafemi", dir.filePath("Suoni"));
        const FileSystemObject fso(dir.path());
        QCOMPARE(fso.resolveFile(dir.path() + sub).value_or(QString()),
                 expected.isEmpty() ? QString() : dir.path() + u'/' + expected);
    }

    // Colour text in blue-green-red order, digits only, at most six.
    void colorText() {
        for (const auto& [text, color] : {std::pair<QString, QColor>{"&HFF0000", Qt::blue},
                                          {"&hff", Qt::red},
                                          {"&H1000000", {}},
                                          {"&H-1", {}},
                                          {"&H0xff", {}},
                                          {"FF", {}}})
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

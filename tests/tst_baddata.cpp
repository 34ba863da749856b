// What a damaged or foreign data folder does to the program. Each kind of
// file is removed or broken in turn and a whole session is driven over the
// folder; then: a session writes nothing, field values cannot leave the
// folder, and a long session neither grows nor leaks handles.
#include "fixture/TestApp.h"
#include "media/FrmPlay.h"
#include "media/TestMedia.h"
#include "ui_FrmMain.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QtTest>

#include <sys/inotify.h>
#include <unistd.h>

#include <map>

namespace {

enum Damage { Missing, Empty, Truncated, WrongFormat, Directory };

const char* const DamageNames[] = {"missing", "zero-length", "truncated", "wrong format",
                                   "directory"};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool overwrite(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// `foreign` is a whole file of another kind, for WrongFormat.
bool damage(const QString& path, Damage how, const QByteArray& foreign) {
    const QByteArray original = contents(path);
    switch (how) {
    case Missing:
        return QFile::remove(path);
    case Empty:
        return overwrite(path, {});
    case Truncated:
        // A copy cut off just after the header: the kind is recognisable,
        // the content is gone.
        return overwrite(path, original.left(24));
    case WrongFormat:
        return overwrite(path, foreign);
    case Directory:
        return QFile::remove(path) && QDir().mkdir(path);
    }
    return false;
}

void useTableOrder(FrmMain& w) {
    w.form().MnuSeq->setChecked(true);
    w.form().MnuRnd->setChecked(false);
}

void useRandomOrder(FrmMain& w) {
    w.form().MnuSeq->setChecked(false);
    w.form().MnuRnd->setChecked(true);
}

void newCharacter(FrmMain& w) {
    QTest::mouseClick(w.form().CmdNewGraf, Qt::LeftButton);
}

void answer(FrmMain& w, const QString& syllable, const QString& tone) {
    Ui::FrmMain& ui = w.form();
    ui.TxtImmSill->setText(syllable);
    ui.TxtImmTn->setEditText(tone);
    QTest::mouseClick(ui.CmdMatch, Qt::LeftButton);
}

// Start-up; a theme change and back in table order; two new characters in
// table order; a check; clearing; a new character in random order (with the
// dragon animation); a check; the poster asked for twice. False when
// start-up failed.
bool runSession(TestApp& app) {
    if (!app.load())
        return false;
    FrmMain& w = *app.window;
    w.show();
    useTableOrder(w);
    w.form().MnuVS->trigger();
    w.form().MnuSR->trigger();
    newCharacter(w);
    newCharacter(w);
    answer(w, "lü", "4");
    QTest::mouseClick(w.form().CmdCanc, Qt::LeftButton);
    useRandomOrder(w);
    app.platform.randoms = {0.0f};
    newCharacter(w);
    answer(w, "ma", "1");
    w.form().MnuSfd->trigger();
    w.form().MnuSfd->trigger();
    return true;
}

// After any damage but the database's, record 2 is still shown and checked.
void stillUsable(TestApp& app) {
    FrmMain& w = *app.window;
    const size_t boxes = app.platform.boxes.size();
    useTableOrder(w);
    w.NumRec = 1;
    newCharacter(w);
    QCOMPARE(w.form().LblPos->text(), QString("N.  2/225"));
    QVERIFY(w.form().CmdMatch->isEnabled());
    answer(w, "lü", "4");
    QVERIFY(!w.form().TxtSolSill->isHidden());
    QVERIFY(!w.form().TxtSolSill->text().isEmpty());
    QCOMPARE(app.platform.boxes.size(), boxes);
}

QStringList pictureError(const QString& shown, Damage how) {
    const bool missing = how == Missing || how == Directory;
    return {missing ? "Errore  53\nFile non trovato: " + shown
                    : "Errore  481\nImmagine non valida: " + shown};
}

// Every file and folder under `root` with its size, time and content hash.
std::map<QString, QString> snapshot(const QString& root) {
    std::map<QString, QString> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QString entry = QString::number(info.size()) + u' ' +
                        QString::number(info.lastModified().toMSecsSinceEpoch()) + u' ' +
                        QString::number(info.metadataChangeTime().toMSecsSinceEpoch());
        if (info.isFile())
            entry +=
                u' ' + QCryptographicHash::hash(contents(path), QCryptographicHash::Sha256).toHex();
        tree[path.mid(root.size())] = entry;
    }
    return tree;
}

// Watches a folder tree for anything a writer leaves behind: a file opened
// for writing (reported when it is closed, even with nothing written), a
// change of content or attributes, an entry created, removed or renamed.
// Permission bits stop no one who runs as root; this does.
class WriteWatch {
public:
    explicit WriteWatch(const QString& root) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        QStringList dirs{root};
        QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            dirs << it.next();
        for (const QString& dir : dirs) {
            const int wd =
                inotify_add_watch(m_fd, QFile::encodeName(dir).constData(),
                                  IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_MODIFY | IN_ATTRIB |
                                      IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO);
            m_dirs[wd] = dir;
        }
    }
    ~WriteWatch() { ::close(m_fd); }
    bool valid() const { return m_fd >= 0 && !m_dirs.count(-1); }

    // The writes seen so far, and the names of files read.
    void collect(QStringList& writes, QStringList& reads) const {
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got <= 0)
                return;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                const QString name =
                    m_dirs.at(event->wd) + u'/' + QFile::decodeName(event->len ? event->name : "");
                if (event->mask & IN_CLOSE_NOWRITE)
                    reads << name;
                else if (!(event->mask & IN_IGNORED))
                    writes << QString("%1 (0x%2)").arg(name).arg(event->mask, 0, 16);
                at += qsizetype(sizeof(inotify_event)) + event->len;
            }
        }
    }

private:
    int m_fd;
    std::map<int, QString> m_dirs;
};

qint64 residentKiB() {
    const QStringList lines = QString::fromLatin1(contents("/proc/self/status")).split(u'\n');
    for (const QString& line : lines)
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(u' ').first().toLongLong();
    return -1;
}

int openHandles() {
    return int(QDir("/proc/self/fd")
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

QString mdbFixture(const QString& name) {
    return QStringLiteral(TAVORIN_SHARED_DIR) + "/fixtures/mdb/" + name;
}

} // namespace

class TestBadData : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void damagedFile_data();
    void damagedFile();
    void damagedMedia_data();
    void damagedMedia();
    void damagedDatabase_data();
    void damagedDatabase();
    void sessionWritesNothing_data();
    void sessionWritesNothing();
    void fieldValuesStayInFolder_data();
    void fieldValuesStayInFolder();
    void oddFolderName();
    void longSessionIsStable();
    void repeatedStartUpsKeepNoHandles();

private:
    // Real media for record 1 in `app`'s folder; false when they could not
    // be made here.
    bool addMedia(TestApp& app);

    QTemporaryDir m_media;
    QString m_mediaError;
};

void TestBadData::initTestCase() {
    QVERIFY(m_media.isValid());
    m_mediaError = TestMedia::makeSound(m_media.filePath("s001.MP3"), "ma1");
    if (m_mediaError.isEmpty())
        m_mediaError = TestMedia::makeFilm(m_media.filePath("f001.wmv"), QSize(84, 84), 1.0);
}

bool TestBadData::addMedia(TestApp& app) {
    return m_mediaError.isEmpty() && QDir().mkpath(app.path("Suoni")) &&
           QDir().mkpath(app.path("Filmati")) &&
           QFile::copy(m_media.filePath("s001.MP3"), app.path("Suoni/s001.MP3")) &&
           QFile::copy(m_media.filePath("f001.wmv"), app.path("Filmati/f001.wmv"));
}

void TestBadData::damagedFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("how");
    QTest::addColumn<QStringList>("messages");

    const QString theme = "Grafica/Temi/SquareRed/";
    for (int how = Missing; how <= Directory; ++how) {
        const auto d = Damage(how);
        auto row = [&](const QString& file, const QStringList& messages) {
            QTest::addRow("%s %s", qPrintable(file), DamageNames[how]) << file << how << messages;
        };
        // Start-up shows the random-order button, the way back to the
        // start theme in table order the other one; both the rest.
        const QString missingWizard =
            "Immagine non trovata:\n\\Grafica\\Temi\\SquareRed\\Wizard.gif";
        row(theme + "Wizard.gif", {missingWizard});
        row(theme + "Refresh.gif",
            {"Immagine non trovata:\n\\Grafica\\Temi\\SquareRed\\Refresh.gif"});
        for (const char* name : {"Trash", "Close", "Write", "Match", "Sound"}) {
            const QString shown =
                QString("Immagine non trovata:\n\\Grafica\\Temi\\SquareRed\\%1.gif").arg(name);
            row(theme + name + ".gif", {shown, shown});
        }
        // Record 1 is shown twice: first in table order, then drawn at random.
        row("Grafemi/g001.jpg",
            pictureError("\\Grafemi\\g001.jpg", d) + pictureError("\\Grafemi\\g001.jpg", d));
        row("Grafica/Frames/DF_5.gif", pictureError("\\Grafica\\Frames\\DF_5.gif", d));
        row("Grafica/dragon.gif", {"Immagine non trovata:\n\\grafica\\dragon.gif"});
        const QString poster = "Immagine non trovata:\n\\Grafica\\DragonPoster.jpg";
        row("Grafica/DragonPoster.jpg", {poster, poster});
    }
}

void TestBadData::damagedFile() {
    QFETCH(QString, file);
    QFETCH(int, how);
    QFETCH(QStringList, messages);
    TestApp app(3);
    QVERIFY(damage(app.path(file), Damage(how), contents(app.path("DBGrafemi1.sqlite"))));
    QVERIFY(runSession(app));
    QCOMPARE(app.platform.texts(), messages);
    for (const auto& box : app.platform.boxes)
        QCOMPARE(box.style, 16);
    stillUsable(app);
}

void TestBadData::damagedMedia_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("how");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("intact") << "" << -1 << QStringList();
    for (int how = Missing; how <= Directory; ++how) {
        // A file that is there but cannot be played stays silent.
        const bool gone = how == Missing || how == Directory;
        QTest::addRow("sound %s", DamageNames[how])
            << "Suoni/s001.MP3" << how
            << (gone ? QStringList{"Audio non disponibile"} : QStringList());
        QTest::addRow("film %s", DamageNames[how])
            << "Filmati/f001.wmv" << how
            << (gone ? QStringList{"Video non disponibile"} : QStringList());
    }
}

void TestBadData::damagedMedia() {
    QFETCH(QString, file);
    QFETCH(int, how);
    QFETCH(QStringList, messages);
    TestApp app(3);
    if (!addMedia(app))
        QSKIP(qPrintable("no media files: " + m_mediaError));
    if (how >= 0)
        QVERIFY(damage(app.path(file), Damage(how), contents(app.path("Grafemi/g001.jpg"))));
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.show();
    useTableOrder(w);
    newCharacter(w);
    QTest::mouseClick(w.form().CmdSnd, Qt::LeftButton);
    QTest::mouseClick(w.form().CmdFlm, Qt::LeftButton);
    QTest::qWait(400); // the player gets to open (and refuse) the files
    QCOMPARE(app.platform.texts(), messages);
    for (const auto& box : app.platform.boxes)
        QCOMPARE(box.style, 64);
    const bool soundGone = file.startsWith("Suoni") && !messages.isEmpty();
    const bool filmGone = file.startsWith("Filmati") && !messages.isEmpty();
    QCOMPARE(w.loadedFrmPlay() && w.loadedFrmPlay()->isVisible(), !filmGone);
    // Again, then on with the quiz.
    QTest::mouseClick(w.form().CmdSnd, Qt::LeftButton);
    QTest::qWait(100);
    QCOMPARE(app.platform.boxes.size(), size_t(messages.size()) + (soundGone ? 1 : 0));
    app.platform.boxes.clear();
    stillUsable(app);
}

void TestBadData::damagedDatabase_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("source"); // an Access fixture to put there first
    QTest::addColumn<QString>("message");

    const QString prefix = "Impossibile aprire il database:\n%DIR%/";
    const QString absent = prefix + "DBGrafemi1.mdb\n\nIl file non esiste (né la sua copia "
                                    "\"DBGrafemi1.sqlite\").";
    const QString notSqlite =
        prefix + "DBGrafemi1.sqlite\n\nIl file non è un database riconosciuto.";
    QTest::newRow("sqlite missing") << "DBGrafemi1.sqlite" << int(Missing) << "" << absent;
    QTest::newRow("sqlite zero-length") << "DBGrafemi1.sqlite" << int(Empty) << "" << notSqlite;
    QTest::newRow("sqlite truncated") << "DBGrafemi1.sqlite" << int(Truncated) << "" << notSqlite;
    QTest::newRow("sqlite wrong format")
        << "DBGrafemi1.sqlite" << int(WrongFormat) << "" << notSqlite;
    QTest::newRow("sqlite directory") << "DBGrafemi1.sqlite" << int(Directory) << "" << absent;

    const QString mdb = prefix + "DBGrafemi1.mdb\n\n";
    const QString grafemi = "DBGrafemi1.mdb";
    QTest::newRow("mdb zero-length") << "DBGrafemi1.mdb" << int(Empty) << grafemi
                                     << mdb + "Il file è vuoto: non è un database di Access.";
    QTest::newRow("mdb truncated")
        << "DBGrafemi1.mdb" << int(Truncated) << grafemi
        << mdb + "Formato di database non riconosciuto: il file è troncato.";
    QTest::newRow("mdb wrong format")
        << "DBGrafemi1.mdb" << int(WrongFormat) << grafemi
        << mdb + "Formato di database non riconosciuto: il file non è un database di Access.";
    QTest::newRow("mdb of another program") << "DBGrafemi1.mdb" << -1 << "jackcess_emptyJet4.mdb"
                                            << mdb + "Tabella \"Tabella\" non trovata.";
    QTest::newRow("mdb with another password")
        << "DBGrafemi1.mdb" << -1 << "mdbreader_password_V2000_with-password.mdb"
        << mdb + "Password non valida.";
    // A folder by the Access name is no database: the SQLite copy serves.
    QTest::newRow("mdb directory") << "DBGrafemi1.mdb" << int(Directory) << ""
                                   << "";
}

void TestBadData::damagedDatabase() {
    QFETCH(QString, file);
    QFETCH(int, how);
    QFETCH(QString, source);
    QFETCH(QString, message);
    TestApp app(3);
    const QByteArray jpeg = contents(app.path("Grafemi/g001.jpg"));
    if (!source.isEmpty()) {
        if (!QFile::exists(mdbFixture(source)))
            QSKIP("the Access fixtures (../shared/fixtures/mdb) are not here");
        QVERIFY(QFile::copy(mdbFixture(source), app.path(file)));
        QFile::setPermissions(app.path(file), QFile::ReadOwner | QFile::WriteOwner);
        if (how >= 0)
            QVERIFY(damage(app.path(file), Damage(how), jpeg));
    } else if (QFile::exists(app.path(file))) {
        QVERIFY(damage(app.path(file), Damage(how), jpeg));
    } else {
        QCOMPARE(how, int(Directory));
        QVERIFY(QDir().mkdir(app.path(file)));
    }

    const bool started = runSession(app);
    if (message.isEmpty()) {
        QVERIFY(started);
        QVERIFY(app.platform.boxes.empty());
        stillUsable(app);
        return;
    }
    QVERIFY(!started);
    QCOMPARE(app.platform.texts(), QStringList{QString(message).replace("%DIR%", app.dir.path())});
    QCOMPARE(app.platform.boxes[0].style, 16);
    for (QWidget* top : QApplication::topLevelWidgets())
        QVERIFY(!top->isVisible());
    QCOMPARE(app.platform.ends, 0);
}

void TestBadData::sessionWritesNothing_data() {
    QTest::addColumn<QString>("database");
    QTest::addColumn<bool>("wal");
    QTest::newRow("sqlite") << "DBGrafemi1.sqlite" << false;
    // Another program's SQLite file may be in write-ahead-log mode, where
    // even a read-only reader makes files of its own beside it.
    QTest::newRow("sqlite in WAL mode") << "DBGrafemi1.sqlite" << true;
    QTest::newRow("mdb") << "DBGrafemi1.mdb" << false;
}

void TestBadData::sessionWritesNothing() {
    QFETCH(QString, database);
    QFETCH(bool, wal);
    TestApp app(12);
    if (wal) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "wal");
            db.setDatabaseName(app.path(database));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("PRAGMA journal_mode=WAL"));
            q.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase("wal");
        QCOMPARE(contents(app.path(database)).mid(18, 2), QByteArray("\2\2"));
        QVERIFY(!QFile::exists(app.path(database + "-wal")));
    }
    if (database.endsWith(".mdb")) {
        if (!QFile::exists(mdbFixture(database)))
            QSKIP("the Access fixtures (../shared/fixtures/mdb) are not here");
        QVERIFY(QFile::remove(app.path("DBGrafemi1.sqlite")));
        QVERIFY(QFile::copy(mdbFixture(database), app.path(database)));
    }
    const bool withMedia = addMedia(app);
    // Writable files, so that a writer would not be stopped by the bits.
    QDirIterator files(app.dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        QFile::setPermissions(files.next(), QFile::ReadOwner | QFile::WriteOwner);

    const auto before = snapshot(app.dir.path());
    WriteWatch watch(app.dir.path());
    QVERIFY(watch.valid());
    QVERIFY(runSession(app));
    stillUsable(app);
    if (withMedia) {
        app.window->NumRec = 0;
        newCharacter(*app.window);
        QTest::mouseClick(app.window->form().CmdSnd, Qt::LeftButton);
        QTest::mouseClick(app.window->form().CmdFlm, Qt::LeftButton);
        QTest::qWait(400);
    }
    app.window->form().CmdExit->click();
    app.window.reset();
    QStringList writes, reads;
    watch.collect(writes, reads);
    QVERIFY2(writes.isEmpty(), qPrintable(writes.join(u'\n')));
    QVERIFY2(reads.contains(app.path(database)), qPrintable(reads.join(u'\n')));
    QVERIFY(app.platform.boxes.empty());
    QVERIFY(snapshot(app.dir.path()) == before);
}

void TestBadData::fieldValuesStayInFolder_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("link"); // Grafemi/<value>.jpg a link to the outside picture
    QTest::addColumn<QString>("message");

    const QList<std::pair<const char*, const char*>> values{
        {"backslashes up", "..\\..\\%OUT%"},
        {"slashes up", "../../%OUT%"},
        {"up inside a name", "g002\\..\\..\\..\\%OUT%"},
        {"absolute", "%TMP%/%OUT%"}};
    for (const auto& [name, value] : values) {
        QTest::addRow("picture %s", name)
            << "picture" << value << false
            << QString("Errore  53\nFile non trovato: \\Grafemi\\%1.jpg").arg(value);
        QTest::addRow("sound %s", name) << "sound" << value << false << "Audio non disponibile";
        QTest::addRow("film %s", name) << "film" << value << false << "Video non disponibile";
    }
    QTest::newRow("picture link out")
        << "picture"
        << "g001" << true << "Errore  53\nFile non trovato: \\Grafemi\\g001.jpg";
}

void TestBadData::fieldValuesStayInFolder() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(bool, link);
    QFETCH(QString, message);
    // Real files outside the folder, where the value would lead.
    QTemporaryFile outside(QDir::tempPath() + "/tavorin-outside-XXXXXX.jpg");
    QVERIFY(outside.open());
    outside.close();
    Fixture::writeJpeg(outside.fileName(), Qt::red, 84, 84);
    const QString out = QFileInfo(outside.fileName()).completeBaseName();
    const QString base = QDir::tempPath() + u'/' + out;
    const auto cleanUp = qScopeGuard([&] {
        QFile::remove(base + ".MP3");
        QFile::remove(base + ".wmv");
    });
    QVERIFY(overwrite(base + ".MP3", "ID3") && overwrite(base + ".wmv", "0&\xb2u"));
    value.replace("%OUT%", out).replace("%TMP%", QDir::tempPath());
    message.replace("%OUT%", out).replace("%TMP%", QDir::tempPath());

    TestApp app(3);
    QVERIFY(QFileInfo(app.dir.path()).dir() == QDir(QDir::tempPath()));
    auto rows = Fixture::sampleRows(3);
    (field == "picture" ? rows[0].picture
     : field == "sound" ? rows[0].sound
                        : rows[0].film) = value;
    QVERIFY(QFile::remove(app.path("DBGrafemi1.sqlite")));
    Fixture::writeSqlite(app.path("DBGrafemi1.sqlite"), rows);
    if (link) {
        QVERIFY(QFile::remove(app.path("Grafemi/" + value + ".jpg")));
        QVERIFY(QFile::link(outside.fileName(), app.path("Grafemi/" + value + ".jpg")));
    }
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    useTableOrder(w);
    newCharacter(w);
    if (field == "sound")
        QTest::mouseClick(w.form().CmdSnd, Qt::LeftButton);
    if (field == "film")
        QTest::mouseClick(w.form().CmdFlm, Qt::LeftButton);
    QCOMPARE(app.platform.texts(), QStringList{message});
    QVERIFY(w.form().PctGrafema->pixmap().toImage().pixelColor(42, 42) != QColor(Qt::red));
    QVERIFY(!w.loadedFrmPlay() || !w.loadedFrmPlay()->isVisible());
    stillUsable(app);
}

void TestBadData::oddFolderName() {
    // A school's folder may be called anything; the database is still found
    // and opened (its path travels to SQLite as a URI).
    QTemporaryDir base;
    const QString dir = base.path() + "/Cinese 100% #1 è?";
    Fixture::writeAppFolder(dir, Fixture::sampleRows(3));
    RecordingPlatform platform(dir);
    FrmMain w;
    QVERIFY(w.Form_Load());
    QVERIFY2(platform.boxes.empty(), qPrintable(platform.texts().join(u'\n')));
    QCOMPARE(w.CountRec, 3);
    QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"DBGrafemi1.sqlite"});
}

void TestBadData::longSessionIsStable() {
    TestApp app(30);
    QVERIFY(app.load());
    FrmMain& w = *app.window;
    w.show();
    // Every tenth character in random order, with the dragon animation.
    auto round = [&](int n) {
        if (n % 10 == 0) {
            useRandomOrder(w);
            app.platform.randoms = {float(n % 30) / 30.0f};
        } else {
            useTableOrder(w);
        }
        newCharacter(w);
        answer(w, "ma", "1");
    };
    for (int n = 0; n < 100; ++n)
        round(n);
    QCoreApplication::processEvents();
    const qint64 rssBefore = residentKiB();
    const int handlesBefore = openHandles();
    app.platform.sleeps.clear();
    for (int n = 0; n < 1000; ++n)
        round(n);
    QCoreApplication::processEvents();
    const qint64 rssAfter = residentKiB();
    qInfo("VmRSS %lld KiB -> %lld KiB over 1000 rounds", rssBefore, rssAfter);
    QCOMPARE(app.platform.sleeps, std::vector<int>(100 * 13, 50));
    QVERIFY2(app.platform.boxes.empty(), qPrintable(app.platform.texts().join(u'\n')));
    // Fewer is fine: the media players of earlier tests close theirs late.
    QVERIFY2(openHandles() <= handlesBefore,
             qPrintable(QString("%1 -> %2").arg(handlesBefore).arg(openHandles())));
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer keeps freed memory in quarantine; the leak
    // checker of that build watches memory instead.
    Q_UNUSED(rssBefore);
    Q_UNUSED(rssAfter);
#else
    QVERIFY2(rssAfter - rssBefore < 8 * 1024,
             qPrintable(QString("VmRSS %1 KiB -> %2 KiB").arg(rssBefore).arg(rssAfter)));
#endif
}

void TestBadData::repeatedStartUpsKeepNoHandles() {
    // Each start-up opens the database, reads it whole and lets it go.
    TestApp sqlite(12);
    TestApp access(12);
    const bool withAccess = QFile::exists(mdbFixture("DBGrafemi1.mdb"));
    if (withAccess) {
        QVERIFY(QFile::remove(access.path("DBGrafemi1.sqlite")));
        QVERIFY(QFile::copy(mdbFixture("DBGrafemi1.mdb"), access.path("DBGrafemi1.mdb")));
    }
    auto startUp = [&](TestApp& app) {
        Platform::setServices(&app.platform);
        const bool ok = app.load();
        app.window.reset();
        return ok;
    };
    QVERIFY(startUp(sqlite));
    if (withAccess)
        QVERIFY(startUp(access));
    const int handlesBefore = openHandles();
    for (int n = 0; n < 50; ++n) {
        QVERIFY(startUp(sqlite));
        if (withAccess)
            QVERIFY(startUp(access));
    }
    QCOMPARE(openHandles(), handlesBefore);
    QVERIFY(sqlite.platform.boxes.empty() && access.platform.boxes.empty());
}

QTEST_MAIN(TestBadData)
#include "tst_baddata.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The real player: GStreamer's playbin in the media module, playing tiny
// real MP3 and WMV files on a machine that may have no sound card.
#include "fixture/TestApp.h"
#include "media/FrmPlay.h"
#include "media/MediaEngine.h"
#include "media/PlaybinPlayer.h"
#include "media/TestMedia.h"
#include "ui_FrmMain.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

namespace {

// A started quiz in table order whose record 1 has the sound and film
// given (names in another letter case than the program writes them).
struct Quiz : LoadedApp {
    Quiz(const QString& sound, const QString& film) : LoadedApp(3) {
        QDir(dir.path()).mkpath("Suoni"), QDir(dir.path()).mkpath("Filmati");
        QFile::copy(sound, path("Suoni/s001.mp3")), QFile::copy(film, path("Filmati/F001.WMV"));
        useTableOrder(), window->show(), show(0);
    }
    void show(int record) { window->NumRec = record, window->CmdNewGraf_Click(); }
    void pressSound() { ui().CmdSnd->click(); }
    void pressFilm() { ui().CmdFlm->click(); }
    MediaPlayer& player() { return window->loadedFrmPlay()->WMPlayer(); }
};
// GStreamer in this process: -1 while its library is not even loaded, else
// whether it has been started.
int gstreamer() {
    void* library = dlopen("libgstreamer-1.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return -1;
    auto isInitialized = reinterpret_cast<int (*)()>(dlsym(library, "gst_is_initialized"));
    const int started = isInitialized && isInitialized();
    dlclose(library);
    return started;
}
// Threads of this process, but for the toolkit's pooled workers, which its
// image conversions may start at any time.
int threadCount() {
    int count = 0;
    for (const QString& task :
         QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        count += name.open(QIODevice::ReadOnly) && !name.readAll().startsWith("Thread (pooled)");
    }
    return count;
}

MediaEngine::Watch watch(MediaPlayer& player) {
    return static_cast<PlaybinPlayer&>(player).engine()->watch();
}

#define VERIFY_NO_PLAYER_ERROR(player)                                                             \
    QVERIFY2(watch(player).errors.isEmpty(), qPrintable(watch(player).errors.join(u'\n')))

// A player on a shown surface of the control's size.
struct Rig {
    Rig() { surface.resize(180, 150), surface.show(); }
    MediaEngine::Watch now() { return watch(player); }
    QWidget surface;
    PlaybinPlayer player{&surface};
};

// Distinct colours in a picture, a few samples across it: the test pattern
// has many, a black or empty frame one.
int colourCount(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

} // namespace

class TstMediaPlayer : public QObject {
    Q_OBJECT

    QString file(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        for (const QString& error : {TestMedia::makeSound(file("long.mp3"), "ma1,ma2,ma3,ma4,ma1"),
                                     TestMedia::makeSound(file("short.mp3"), "ma1"),
                                     TestMedia::makeFilm(file("film.wmv"), QSize(180, 150), 2.0),
                                     TestMedia::makeFilm(file("small.wmv"), QSize(120, 90), 0.5),
                                     TestMedia::makeFilm(file("large.wmv"), QSize(360, 200), 0.5)})
            QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    // First: nothing of GStreamer may be in the process before it.
    void startsOnFirstPress() {
        const int threadsBefore = threadCount();
        Quiz quiz(file("short.mp3"), file("small.wmv"));
        QCoreApplication::processEvents();
        // Start-up and a character on show: no GStreamer, no thread of the player.
        QCOMPARE(gstreamer(), -1);
        QCOMPARE(threadCount(), threadsBefore);
        // Files that are not there are answered at once, and load nothing.
        quiz.show(1);
        quiz.pressSound();
        quiz.pressFilm();
        QCOMPARE(quiz.platform.shown(),
                 QStringList({"64 - Audio non disponibile", "64 - Video non disponibile"}));
        QVERIFY(!quiz.window->loadedFrmPlay() && gstreamer() == -1);
        quiz.platform.boxes.clear();
        quiz.show(0);
        quiz.pressSound();
        QVERIFY(gstreamer() >= 0);
        QTRY_COMPARE_WITH_TIMEOUT(gstreamer(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(quiz.player().playState(), int(MediaPlayer::wmppsPlaying), 10000);
        QVERIFY(quiz.platform.boxes.empty());
    }

    void playsPausesResumesAndEnds_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("sound") << "long.mp3";
        QTest::newRow("film") << "film.wmv";
    }

    // loaded → playing → position advances → pause holds it → resume → end.
    void playsPausesResumesAndEnds() {
        QFETCH(QString, name);
        Rig rig;
        MediaPlayer& player = rig.player;
        QCOMPARE(player.playState(), int(MediaPlayer::wmppsUndefined));
        QElapsedTimer clock;
        clock.start();
        player.setURL(file(name));
        QCOMPARE(player.URL(), file(name));
        QCOMPARE(player.playState(), int(MediaPlayer::wmppsTransitioning));
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsPlaying), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(rig.now().durationMs > 1000, 5000);
        const qint64 duration = rig.now().durationMs;
        QTRY_VERIFY_WITH_TIMEOUT(rig.now().positionMs > 300, 5000);

        player.pause();
        QCOMPARE(player.playState(), int(MediaPlayer::wmppsPaused));
        QTest::qWait(150); // what was already on its way to the output arrives
        const MediaEngine::Watch held = rig.now();
        QTest::qWait(600);
        QCOMPARE(rig.now().positionMs, held.positionMs);
        QCOMPARE(rig.now().frames + rig.now().audioBuffers, held.frames + held.audioBuffers);
        QCOMPARE(player.playState(), int(MediaPlayer::wmppsPaused));
        QVERIFY(held.positionMs < duration - 300);

        player.play();
        QCOMPARE(player.playState(), int(MediaPlayer::wmppsPlaying));
        QTRY_VERIFY_WITH_TIMEOUT(rig.now().positionMs > held.positionMs + 100, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsStopped),
                                  duration + 5000);
        // Played in real time: at least the length of the file plus the pause.
        QVERIFY2(clock.elapsed() >= duration + 750 - 150,
                 qPrintable(QString::number(clock.elapsed())));
        VERIFY_NO_PLAYER_ERROR(player);

        const MediaEngine::Watch end = rig.now();
        if (name.endsWith(QStringLiteral(".mp3"))) {
            // The sound reached the output; no picture stands.
            QVERIFY(end.audioBuffers > 10);
            QCOMPARE(end.frames, 0);
            QVERIFY(end.picture->isHidden());
        } else {
            // Twenty frames of a moving pattern; a loaded machine may drop some.
            QVERIFY2(end.frames >= 5, qPrintable(QString::number(end.frames)));
            QCOMPARE(end.lastFrame.size(), QSize(180, 150));
            QVERIFY(colourCount(end.lastFrame) > 5);
            QCOMPARE(end.picture->geometry(), QRect(0, 0, 180, 150));
            QVERIFY(end.picture->isVisible());
        }
    }

    void filmKeepsItsOwnSize_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("picture");
        // Smaller: its own size, centred. Larger: shrunk to fit, keeping shape.
        QTest::newRow("smaller") << "small.wmv" << QRect(30, 30, 120, 90);
        QTest::newRow("larger") << "large.wmv" << QRect(0, 25, 180, 100);
    }

    void filmKeepsItsOwnSize() {
        QFETCH(QString, name);
        QFETCH(QRect, picture);
        Rig rig;
        rig.player.setURL(file(name));
        QTRY_VERIFY_WITH_TIMEOUT(rig.now().frames > 0, 5000);
        QCOMPARE(rig.now().picture->geometry(), picture);
        // Drawn into that rectangle: it shows the pattern, the border the
        // surface's own background.
        const QImage shown = rig.surface.grab().toImage();
        QVERIFY(colourCount(shown.copy(picture)) > 5);
        if (picture.left() > 0)
            QCOMPARE(shown.pixelColor(picture.left() / 2, 75),
                     rig.surface.palette().window().color());
        VERIFY_NO_PLAYER_ERROR(rig.player);
    }

    // The same film again starts from its start, its last picture standing
    // until the first one replaces it; closing stops and unloads it.
    void sameFilmAgainThenClose() {
        Rig rig;
        rig.player.setURL(file("film.wmv"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.now().positionMs > 800, 5000);
        rig.player.setURL(file("film.wmv"));
        QVERIFY(rig.now().positionMs < 200 && rig.now().picture->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(rig.now().frames > 3, 3000);
        QVERIFY(rig.now().positionMs < 1000);
        VERIFY_NO_PLAYER_ERROR(rig.player);
        rig.player.close();
        QVERIFY(rig.player.URL().isEmpty() && rig.now().picture->isHidden());
        rig.player.play();
        QTest::qWait(300);
        QCOMPARE(rig.player.playState(), int(MediaPlayer::wmppsUndefined));
        QCOMPARE(rig.now().frames, 0);
    }

    void endedFilePlaysAgain() {
        Rig rig;
        rig.player.setURL(file("short.mp3"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.player.playState(), int(MediaPlayer::wmppsPlaying), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(rig.player.playState(), int(MediaPlayer::wmppsStopped), 8000);
        QVERIFY(rig.now().audioBuffers > 3);
        // Played to its end, it plays again from its start.
        rig.player.play();
        QTRY_COMPARE_WITH_TIMEOUT(rig.player.playState(), int(MediaPlayer::wmppsPlaying), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(rig.now().audioBuffers > 3, 3000);
        VERIFY_NO_PLAYER_ERROR(rig.player);
    }

    void quizWindowPlaysSoundAndFilm() {
        Quiz quiz(file("long.mp3"), file("film.wmv"));
        QFile::copy(file("small.wmv"), quiz.path("Filmati/f002.wmv"));
        quiz.pressSound();
        QPointer<FrmPlay> window = quiz.window->loadedFrmPlay();
        QVERIFY(window && !window->isVisible());
        MediaPlayer& player = window->WMPlayer();
        QTRY_VERIFY_WITH_TIMEOUT(watch(player).audioBuffers > 3, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsStopped), 8000);
        QVERIFY(!window->isVisible());

        quiz.pressFilm();
        QCOMPARE(quiz.window->loadedFrmPlay(), window);
        QVERIFY(window->isVisible() && !window->parentWidget() && !window->isModal());
        QCOMPARE(window->windowTitle(), QStringLiteral("significato 1"));
        // Beside the quiz, not over its sound and film buttons.
        QVERIFY(!window->frameGeometry().intersects(quiz.window->frameGeometry()));
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsPlaying), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(watch(player).positionMs > 300, 5000);
        // A click on the picture pauses the film where it is, a second resumes
        // it; a press dragged off the picture and released there is no click.
        QWidget* surface = ctl(window, "WMPlayer");
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(90, 75));
        QCOMPARE(player.playState(), int(MediaPlayer::wmppsPaused));
        QTest::qWait(150);
        const qint64 held = watch(player).positionMs;
        QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(90, 75));
        QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(400, 75));
        QTest::qWait(400);
        QCOMPARE(watch(player).positionMs, held);
        QCOMPARE(player.playState(), int(MediaPlayer::wmppsPaused));
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(90, 75));
        QTRY_VERIFY_WITH_TIMEOUT(watch(player).positionMs > held + 100, 3000);
        QVERIFY(watch(player).picture->isVisible());

        // A sound while the film is on screen plays in its place, under the
        // film's caption, without the film's last picture.
        quiz.pressSound();
        QVERIFY(quiz.window->loadedFrmPlay() == window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("significato 1"));
        QCOMPARE(QFileInfo(player.URL()).fileName(), QStringLiteral("s001.mp3"));
        QVERIFY(watch(player).picture->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(watch(player).audioBuffers > 3, 5000);
        QVERIFY(watch(player).picture->isHidden() && watch(player).frames == 0);

        // Closing the window stops the film at once; the next film loads it afresh.
        QVERIFY(window->close());
        QCOMPARE(player.playState(), int(MediaPlayer::wmppsUndefined));
        QTRY_VERIFY(!window);
        quiz.show(1);
        quiz.pressFilm();
        QCOMPARE(quiz.window->loadedFrmPlay()->windowTitle(), QStringLiteral("significato 2"));
        QTRY_VERIFY_WITH_TIMEOUT(watch(quiz.player()).frames > 2, 5000);
        QVERIFY(quiz.platform.boxes.empty());

        // Shutdown in mid-film unloads the window and stops its pipeline.
        window = quiz.window->loadedFrmPlay();
        quiz.window->close();
        QVERIFY(quiz.platform.ends == 1 && !quiz.window->loadedFrmPlay() && !window);
    }

    void damagedFileIsAnswered_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("bytes");
        QTest::newRow("film, 1200 bytes") << "Filmati/f002.wmv" << 1200;
        QTest::newRow("film, 3000 bytes") << "Filmati/f002.wmv" << 3000;
        QTest::newRow("sound, its tag alone") << "Suoni/s002.mp3" << 100;
    }

    // A cut-off file is answered as a missing one, in time, once; then the
    // next press plays, whichever file it is for.
    void damagedFileIsAnswered() {
        QFETCH(QString, name);
        QFETCH(int, bytes);
        const bool film = name.startsWith("Filmati");
        Quiz quiz(file("short.mp3"), file("film.wmv"));
        QFile whole(file(film ? "film.wmv" : "short.mp3")), cut(quiz.path(name));
        QVERIFY(whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly));
        QCOMPARE(cut.write(whole.read(bytes)), bytes);
        cut.close();
        quiz.show(1);
        film ? quiz.pressFilm() : quiz.pressSound();
        QTRY_VERIFY_WITH_TIMEOUT(!quiz.platform.boxes.empty(), 6000);
        QTest::qWait(300);
        QCOMPARE(quiz.platform.shown(),
                 QStringList{film ? "64 - Video non disponibile" : "64 - Audio non disponibile"});
        quiz.show(0);
        film ? quiz.pressSound() : quiz.pressFilm();
        QTRY_COMPARE_WITH_TIMEOUT(quiz.player().playState(), int(MediaPlayer::wmppsPlaying), 5000);
        QCOMPARE(quiz.platform.boxes.size(), size_t(1));
    }

    // A library beside a copy of the program is never opened: a copy of
    // this test, with one beside it that ends any process loading it,
    // still plays.
    void moduleBesideCopiedProgramIsIgnored() {
        QTemporaryDir copy;
        const QString program = copy.filePath("tst_media_player");
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
        QVERIFY(QFile::copy(TAVORIN_PLANTED_MODULE, copy.filePath("tavorin-media.so")));
        QProcess child;
        child.start(program, {"startsOnFirstPress"});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
    }

    // Like any platform part that fails: one message naming what is missing,
    // then the program ends.
    void missingModuleIsReported() {
        Quiz quiz(file("short.mp3"), file("small.wmv"));
        PlaybinPlayer::setModuleCandidates({quiz.path("tavorin-media.so")});
        quiz.pressSound();
        PlaybinPlayer::setModuleCandidates({});
        QCOMPARE(quiz.platform.shown(),
                 QStringList{"16 - Impossibile avviare il lettore multimediale:\nIl modulo "
                             "tavorin-media.so non si trova in:\n" +
                             quiz.path("tavorin-media.so")});
        QCOMPARE(quiz.platform.ends, 1);
        QCOMPARE(quiz.player().playState(), int(MediaPlayer::wmppsUndefined));
    }
};

QTEST_MAIN(TstMediaPlayer)
#include "tst_media_player.moc"

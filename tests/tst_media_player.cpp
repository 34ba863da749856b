// The real player: GStreamer's playbin in the media module, playing tiny
// real MP3 and WMV files on a machine that may have no sound card.
#include "fixture/TestApp.h"
#include "media/FrmPlay.h"
#include "media/MediaEngine.h"
#include "media/PlaybinPlayer.h"
#include "media/TestMedia.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

namespace {

// The main window over a test folder, in table order so that a record can
// be chosen by number.
std::unique_ptr<FrmMain> loadQuizWindow() {
    auto window = std::make_unique<FrmMain>();
    if (!window->Form_Load())
        return nullptr;
    ctl<QAction>(window.get(), "MnuSeq")->trigger();
    return window;
}
// Shows record `number` (0-based) as the new-character command does.
void showRecord(FrmMain& window, int number) {
    window.NumRec = number;
    window.CmdNewGraf_Click();
}
void pressSound(FrmMain& window) {
    ctl<QToolButton>(&window, "CmdSnd")->click();
}
void pressFilm(FrmMain& window) {
    ctl<QToolButton>(&window, "CmdFlm")->click();
}
QWidget* playerSurface(FrmPlay& window) {
    return ctl(&window, "WMPlayer");
}
// Media windows alive, not counting those waiting for deletion.
int mediaWindowCount() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<FrmPlay*>(widget) != nullptr;
    return count;
}

// GStreamer as this process has it: null while its library is not even
// loaded.
void* gstreamerLibrary() {
    return dlopen("libgstreamer-1.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
}
bool gstreamerStarted() {
    void* library = gstreamerLibrary();
    if (!library)
        return false;
    auto isInitialized = reinterpret_cast<int (*)()>(dlsym(library, "gst_is_initialized"));
    const bool started = isInitialized && isInitialized();
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
    Rig() {
        surface.resize(180, 150);
        surface.show();
    }
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

private slots:
    void initTestCase();

    // First: nothing of GStreamer may be in the process before it.
    void startsOnFirstPress();
    void playsPausesResumesAndEnds_data();
    void playsPausesResumesAndEnds();
    void filmKeepsItsOwnSize_data();
    void filmKeepsItsOwnSize();
    void sameFilmAgainRestartsInSight();
    void unplayableFileThenGoodFile();
    void closeStopsAndUnloads();
    void quizWindowPlaysSoundAndFilm();
    void missingModuleIsReported();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void TstMediaPlayer::initTestCase() {
    QVERIFY(m_dir.isValid());
    for (const QString& error :
         {TestMedia::makeSound(file(QStringLiteral("long.mp3")),
                               QStringLiteral("ma1,ma2,ma3,ma4,ma1")),
          TestMedia::makeSound(file(QStringLiteral("short.mp3")), QStringLiteral("ma1")),
          TestMedia::makeFilm(file(QStringLiteral("film.wmv")), QSize(180, 150), 2.0),
          TestMedia::makeFilm(file(QStringLiteral("small.wmv")), QSize(120, 90), 0.5),
          TestMedia::makeFilm(file(QStringLiteral("large.wmv")), QSize(360, 200), 0.5)})
        QVERIFY2(error.isEmpty(), qPrintable(error));
    QFile broken(file(QStringLiteral("broken.MP3")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    for (int i = 0; i < 4096; ++i)
        broken.putChar(char((i * 7919) % 251));
}

void TstMediaPlayer::startsOnFirstPress() {
    QTemporaryDir app;
    Fixture::writeAppFolder(app.path(), Fixture::sampleRows(2));
    QVERIFY(QDir(app.path()).mkpath(QStringLiteral("Suoni")));
    QVERIFY(QFile::copy(file(QStringLiteral("short.mp3")), app.filePath("Suoni/s001.MP3")));
    RecordingPlatform platform(app.path());
    const int threadsBefore = threadCount();
    std::unique_ptr<FrmMain> quiz = loadQuizWindow();
    QVERIFY(quiz);
    quiz->show();
    showRecord(*quiz, 0);
    QCoreApplication::processEvents();
    // Start-up and a character on show: no GStreamer, no thread of the player.
    QVERIFY(!gstreamerLibrary());
    QVERIFY(!gstreamerStarted());
    QCOMPARE(threadCount(), threadsBefore);
    // Files that are not there are answered at once, and load nothing.
    showRecord(*quiz, 1);
    pressSound(*quiz);
    pressFilm(*quiz);
    QCOMPARE(platform.shown(),
             QStringList({"64 - Audio non disponibile", "64 - Video non disponibile"}));
    QVERIFY(!quiz->loadedFrmPlay() && !gstreamerLibrary());
    platform.boxes.clear();
    showRecord(*quiz, 0);

    pressSound(*quiz);
    QVERIFY(gstreamerLibrary());
    QTRY_VERIFY_WITH_TIMEOUT(gstreamerStarted(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(quiz->loadedFrmPlay()->WMPlayer().playState(),
                              int(MediaPlayer::wmppsPlaying), 10000);
    QVERIFY(platform.boxes.empty());
}

void TstMediaPlayer::playsPausesResumesAndEnds_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("sound") << "long.mp3";
    QTest::newRow("film") << "film.wmv";
}

// loaded → playing → position advances → pause holds it → resume → end.
void TstMediaPlayer::playsPausesResumesAndEnds() {
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
    QCOMPARE(rig.now().frames, held.frames);
    QCOMPARE(rig.now().audioBuffers, held.audioBuffers);
    QCOMPARE(player.playState(), int(MediaPlayer::wmppsPaused));
    QVERIFY(held.positionMs < duration - 300);

    player.play();
    QCOMPARE(player.playState(), int(MediaPlayer::wmppsPlaying));
    QTRY_VERIFY_WITH_TIMEOUT(rig.now().positionMs > held.positionMs + 100, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsStopped), duration + 5000);
    // Played in real time: at least the length of the file plus the pause.
    QVERIFY2(clock.elapsed() >= duration + 750 - 150, qPrintable(QString::number(clock.elapsed())));
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

void TstMediaPlayer::filmKeepsItsOwnSize_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("picture");
    // Smaller: its own size, centred. Larger: shrunk to fit, keeping shape.
    QTest::newRow("smaller") << "small.wmv" << QRect(30, 30, 120, 90);
    QTest::newRow("larger") << "large.wmv" << QRect(0, 25, 180, 100);
}

void TstMediaPlayer::filmKeepsItsOwnSize() {
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
        QCOMPARE(shown.pixelColor(picture.left() / 2, 75), rig.surface.palette().window().color());
    VERIFY_NO_PLAYER_ERROR(rig.player);
}

void TstMediaPlayer::sameFilmAgainRestartsInSight() {
    Rig rig;
    rig.player.setURL(file(QStringLiteral("film.wmv")));
    QTRY_VERIFY_WITH_TIMEOUT(rig.now().positionMs > 800, 5000);
    rig.player.setURL(file(QStringLiteral("film.wmv")));
    QVERIFY(rig.now().positionMs < 200);
    // The last picture stays until the film's first one replaces it.
    QVERIFY(rig.now().picture->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(rig.now().frames > 3, 3000);
    QVERIFY(rig.now().positionMs < 1000);
    VERIFY_NO_PLAYER_ERROR(rig.player);
}

void TstMediaPlayer::unplayableFileThenGoodFile() {
    Rig rig;
    rig.player.setURL(file(QStringLiteral("broken.MP3")));
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.playState(), int(MediaPlayer::wmppsReady), 8000);
    QVERIFY(!rig.now().errors.isEmpty());
    // No dialog of its own: nothing modal is open.
    QVERIFY(!QApplication::activeModalWidget());
    rig.player.play();
    QVERIFY(rig.player.playState() != MediaPlayer::wmppsPlaying);
    rig.player.setURL(file(QStringLiteral("short.mp3")));
    QTRY_VERIFY_WITH_TIMEOUT(
        rig.player.playState() == MediaPlayer::wmppsPlaying || !rig.now().errors.isEmpty(), 5000);
    VERIFY_NO_PLAYER_ERROR(rig.player);
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.playState(), int(MediaPlayer::wmppsStopped), 8000);
    QVERIFY(rig.now().audioBuffers > 3);
    // Played to its end, it plays again from its start.
    rig.player.play();
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.playState(), int(MediaPlayer::wmppsPlaying), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(rig.now().audioBuffers > 3, 3000);
    VERIFY_NO_PLAYER_ERROR(rig.player);
}

void TstMediaPlayer::closeStopsAndUnloads() {
    Rig rig;
    rig.player.setURL(file(QStringLiteral("film.wmv")));
    QTRY_VERIFY_WITH_TIMEOUT(rig.now().positionMs > 200, 5000);
    rig.player.close();
    QVERIFY(rig.player.URL().isEmpty());
    QCOMPARE(rig.player.playState(), int(MediaPlayer::wmppsUndefined));
    QVERIFY(rig.now().picture->isHidden());
    rig.player.play();
    QTest::qWait(300);
    QCOMPARE(rig.player.playState(), int(MediaPlayer::wmppsUndefined));
    QCOMPARE(rig.now().frames, 0);
}

void TstMediaPlayer::quizWindowPlaysSoundAndFilm() {
    QTemporaryDir app;
    QVERIFY(app.isValid());
    Fixture::writeAppFolder(app.path(), Fixture::sampleRows(3));
    QVERIFY(QDir(app.path()).mkpath(QStringLiteral("Suoni")));
    QVERIFY(QDir(app.path()).mkpath(QStringLiteral("Filmati")));
    // Names in another letter case than the program writes them.
    QVERIFY(QFile::copy(file(QStringLiteral("long.mp3")), app.filePath("Suoni/s001.mp3")));
    QVERIFY(QFile::copy(file(QStringLiteral("film.wmv")), app.filePath("Filmati/F001.WMV")));
    QVERIFY(QFile::copy(file(QStringLiteral("small.wmv")), app.filePath("Filmati/f002.wmv")));
    RecordingPlatform platform(app.path());
    std::unique_ptr<FrmMain> quiz = loadQuizWindow();
    QVERIFY(quiz);
    quiz->show();
    showRecord(*quiz, 0);

    pressSound(*quiz);
    FrmPlay* window = quiz->loadedFrmPlay();
    QVERIFY(window);
    QVERIFY(!window->isVisible());
    MediaPlayer& player = window->WMPlayer();
    QTRY_VERIFY_WITH_TIMEOUT(watch(player).audioBuffers > 3, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsStopped), 8000);
    QVERIFY(!window->isVisible());

    pressFilm(*quiz);
    QCOMPARE(quiz->loadedFrmPlay(), window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("significato 1"));
    QVERIFY(!window->parentWidget() && !window->isModal());
    // Beside the quiz, not over its sound and film buttons.
    QVERIFY(!window->frameGeometry().intersects(quiz->frameGeometry()));
    QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsPlaying), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(watch(player).positionMs > 300, 5000);
    // A click on the picture pauses the film where it is, a second resumes it.
    QWidget* surface = playerSurface(*window);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(90, 75));
    QCOMPARE(player.playState(), int(MediaPlayer::wmppsPaused));
    QTest::qWait(150);
    const qint64 held = watch(player).positionMs;
    QTest::qWait(400);
    QCOMPARE(watch(player).positionMs, held);
    // A press dragged off the picture and released there is no click.
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(90, 75));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(400, 75));
    QCOMPARE(player.playState(), int(MediaPlayer::wmppsPaused));
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(90, 75));
    QTRY_VERIFY_WITH_TIMEOUT(watch(player).positionMs > held + 100, 3000);
    QVERIFY(watch(player).picture->isVisible());

    // A sound while the film is on screen plays in its place, under the
    // film's caption, without the film's last picture.
    pressSound(*quiz);
    QCOMPARE(quiz->loadedFrmPlay(), window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("significato 1"));
    QCOMPARE(QFileInfo(player.URL()).fileName(), QStringLiteral("s001.mp3"));
    QVERIFY(watch(player).picture->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(watch(player).audioBuffers > 3, 5000);
    QVERIFY(watch(player).picture->isHidden());
    QCOMPARE(watch(player).frames, 0);

    // Closing the window stops the film; the next film loads it afresh.
    QVERIFY(window->close());
    QCOMPARE(player.playState(), int(MediaPlayer::wmppsUndefined)); // at once
    QCOMPARE(mediaWindowCount(), 0);
    QVERIFY(!quiz->loadedFrmPlay());
    showRecord(*quiz, 1);
    pressFilm(*quiz);
    QVERIFY(quiz->loadedFrmPlay());
    QCOMPARE(quiz->loadedFrmPlay()->windowTitle(), QStringLiteral("significato 2"));
    QTRY_VERIFY_WITH_TIMEOUT(watch(quiz->loadedFrmPlay()->WMPlayer()).frames > 2, 5000);
    QVERIFY(platform.boxes.empty());

    // Shutdown in mid-film unloads the window and stops its pipeline.
    quiz->close();
    QCOMPARE(platform.ends, 1);
    QVERIFY(!quiz->loadedFrmPlay());
    QCOMPARE(mediaWindowCount(), 0);
    QTest::qWait(300);
}

void TstMediaPlayer::missingModuleIsReported() {
    QTemporaryDir app;
    Fixture::writeAppFolder(app.path(), Fixture::sampleRows(1));
    QVERIFY(QDir(app.path()).mkpath(QStringLiteral("Suoni")));
    QVERIFY(QFile::copy(file(QStringLiteral("short.mp3")), app.filePath("Suoni/s001.MP3")));
    RecordingPlatform platform(app.path());
    PlaybinPlayer::setModuleCandidates({app.filePath(QStringLiteral("tavorin-media.so"))});
    std::unique_ptr<FrmMain> quiz = loadQuizWindow();
    showRecord(*quiz, 0);
    pressSound(*quiz);
    PlaybinPlayer::setModuleCandidates({});
    // Like any platform part that fails: one message naming what is
    // missing, then the program ends.
    QCOMPARE(platform.boxes.size(), size_t(1));
    QCOMPARE(platform.boxes[0].style, Platform::vbCritical);
    QVERIFY(platform.boxes[0].text.startsWith(
        QStringLiteral("Impossibile avviare il lettore multimediale:\n")));
    QVERIFY(platform.boxes[0].text.contains(app.filePath(QStringLiteral("tavorin-media.so"))));
    QCOMPARE(platform.ends, 1);
    QCOMPARE(quiz->loadedFrmPlay()->WMPlayer().playState(), int(MediaPlayer::wmppsUndefined));
}

QTEST_MAIN(TstMediaPlayer)
#include "tst_media_player.moc"

// The real player over Qt Multimedia: tiny real MP3 and WMV files played
// through the default backend, on a machine that may have no sound card.
#include "media/MediaWindowHarness.h"
#include "media/QtMediaPlayer.h"
#include "media/TestMedia.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

namespace {

// Watches one player for errors and for the frames it shows.
struct Watch {
    explicit Watch(QtMediaPlayer& player) {
        QObject::connect(&player.backend(), &QMediaPlayer::errorOccurred, &context,
                         [this](QMediaPlayer::Error, const QString& text) { errors << text; });
        QObject::connect(player.videoWidget()->videoSink(), &QVideoSink::videoFrameChanged,
                         &context, [this](const QVideoFrame& frame) {
                             if (!frame.isValid())
                                 return;
                             ++frames;
                             lastFrame = frame.toImage();
                         });
    }
    QObject context;
    QStringList errors;
    int frames = 0;
    QImage lastFrame;
};

#define VERIFY_NO_PLAYER_ERROR(watch)                                                              \
    QVERIFY2((watch).errors.isEmpty(), qPrintable((watch).errors.join(u'\n')))

// A player on a shown surface of the control's size, watched.
struct Rig {
    Rig() {
        surface.resize(180, 150);
        surface.show();
    }
    const QMediaPlayer& backend() const { return player.backend(); }

    QWidget surface;
    QtMediaPlayer player{&surface};
    Watch watch{player};
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

    void backendIsGStreamer();
    void soundPlaysPausesResumesAndEnds();
    void filmPlaysPausesResumesAndEnds();
    void filmKeepsItsOwnSize_data();
    void filmKeepsItsOwnSize();
    void sameFilmAgainRestartsInSight();
    void playAfterEndPlaysAgain();
    void unplayableFileThenGoodFile();
    void closeStopsAndUnloads();
    void quizWindowPlaysSoundAndFilm();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // loaded → playing → position advances → pause holds it → resume → end.
    void playThrough(Rig& rig, const QString& path);

    QTemporaryDir m_dir;
};

void TstMediaPlayer::initTestCase() {
    QVERIFY(m_dir.isValid());
    QString error = TestMedia::makeSound(file(QStringLiteral("long.mp3")),
                                         QStringLiteral("ma1,ma2,ma3,ma4,ma1"));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    error = TestMedia::makeSound(file(QStringLiteral("short.mp3")), QStringLiteral("ma1"));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    error = TestMedia::makeFilm(file(QStringLiteral("film.wmv")), QSize(180, 150), 2.0);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    error = TestMedia::makeFilm(file(QStringLiteral("small.wmv")), QSize(120, 90), 0.5);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    error = TestMedia::makeFilm(file(QStringLiteral("large.wmv")), QSize(360, 200), 0.5);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QFile broken(file(QStringLiteral("broken.MP3")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    for (int i = 0; i < 4096; ++i)
        broken.putChar(char((i * 7919) % 251));
}

void TstMediaPlayer::backendIsGStreamer() {
    QWidget surface;
    QtMediaPlayer player(&surface);
    QCOMPARE(qgetenv("QT_MEDIA_BACKEND"), QByteArray("gstreamer"));
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray loaded = maps.readAll();
    QVERIFY(loaded.contains("libgstreamermediaplugin"));
    QVERIFY(!loaded.contains("libffmpegmediaplugin"));
}

void TstMediaPlayer::playThrough(Rig& rig, const QString& path) {
    QtMediaPlayer& player = rig.player;
    const QMediaPlayer& backend = rig.backend();
    QElapsedTimer clock;
    clock.start();
    player.setURL(path);
    QCOMPARE(player.URL(), path);
    QTRY_VERIFY_WITH_TIMEOUT(backend.mediaStatus() == QMediaPlayer::LoadedMedia ||
                                 backend.mediaStatus() == QMediaPlayer::BufferedMedia,
                             5000);
    const qint64 duration = backend.duration();
    QVERIFY2(duration > 1000, qPrintable(QString::number(duration)));
    QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsPlaying), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(backend.position() > 300, 5000);

    player.pause();
    QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsPaused), 2000);
    const qint64 held = backend.position();
    QTest::qWait(600);
    QVERIFY2(qAbs(backend.position() - held) < 50,
             qPrintable(QStringLiteral("%1 -> %2").arg(held).arg(backend.position())));
    QCOMPARE(player.playState(), int(MediaPlayer::wmppsPaused));
    QVERIFY(held < duration - 300);

    player.play();
    QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsPlaying), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(backend.position() > held + 100, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(backend.mediaStatus(), QMediaPlayer::EndOfMedia, duration + 5000);
    QVERIFY(player.playState() != MediaPlayer::wmppsPlaying);
    // Played in real time: at least the length of the file plus the pause.
    QVERIFY2(clock.elapsed() >= duration + 600 - 150, qPrintable(QString::number(clock.elapsed())));
    VERIFY_NO_PLAYER_ERROR(rig.watch);
}

void TstMediaPlayer::soundPlaysPausesResumesAndEnds() {
    Rig rig;
    QCOMPARE(rig.player.playState(), int(MediaPlayer::wmppsUndefined));
    playThrough(rig, file(QStringLiteral("long.mp3")));
    QCOMPARE(rig.watch.frames, 0);
}

void TstMediaPlayer::filmPlaysPausesResumesAndEnds() {
    Rig rig;
    playThrough(rig, file(QStringLiteral("film.wmv")));
    // Twenty frames of a moving pattern; a loaded machine may drop some.
    QVERIFY2(rig.watch.frames >= 5, qPrintable(QString::number(rig.watch.frames)));
    QCOMPARE(rig.watch.lastFrame.size(), QSize(180, 150));
    QVERIFY(colourCount(rig.watch.lastFrame) > 5);
    QCOMPARE(rig.player.videoWidget()->geometry(), QRect(0, 0, 180, 150));
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
    QTRY_VERIFY_WITH_TIMEOUT(rig.watch.frames > 0, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.videoWidget()->geometry(), picture, 2000);
    VERIFY_NO_PLAYER_ERROR(rig.watch);
}

void TstMediaPlayer::sameFilmAgainRestartsInSight() {
    Rig rig;
    rig.player.setURL(file(QStringLiteral("film.wmv")));
    QTRY_VERIFY_WITH_TIMEOUT(rig.backend().position() > 800, 5000);
    QVERIFY(rig.player.videoWidget()->isVisible());
    rig.player.setURL(file(QStringLiteral("film.wmv")));
    QVERIFY2(rig.backend().position() < 200, qPrintable(QString::number(rig.backend().position())));
    const int frames = rig.watch.frames;
    QTRY_VERIFY_WITH_TIMEOUT(rig.watch.frames > frames + 3, 3000);
    QVERIFY(rig.player.videoWidget()->isVisible());
    VERIFY_NO_PLAYER_ERROR(rig.watch);
}

void TstMediaPlayer::playAfterEndPlaysAgain() {
    Rig rig;
    rig.player.setURL(file(QStringLiteral("short.mp3")));
    QTRY_COMPARE_WITH_TIMEOUT(rig.backend().mediaStatus(), QMediaPlayer::EndOfMedia, 8000);
    QCOMPARE(rig.player.playState(), int(MediaPlayer::wmppsStopped));
    rig.player.play();
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.playState(), int(MediaPlayer::wmppsPlaying), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.backend().mediaStatus(), QMediaPlayer::EndOfMedia, 8000);
    VERIFY_NO_PLAYER_ERROR(rig.watch);
}

void TstMediaPlayer::unplayableFileThenGoodFile() {
    Rig rig;
    rig.player.setURL(file(QStringLiteral("broken.MP3")));
    QTRY_VERIFY_WITH_TIMEOUT(rig.backend().mediaStatus() == QMediaPlayer::InvalidMedia ||
                                 !rig.watch.errors.isEmpty(),
                             8000);
    QVERIFY(rig.player.playState() != MediaPlayer::wmppsPlaying);
    // No dialog of its own: nothing modal is open.
    QVERIFY(!QApplication::activeModalWidget());
    rig.player.play();
    QVERIFY(rig.player.playState() != MediaPlayer::wmppsPlaying);
    rig.watch.errors.clear();
    rig.player.setURL(file(QStringLiteral("short.mp3")));
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.playState(), int(MediaPlayer::wmppsPlaying), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.backend().mediaStatus(), QMediaPlayer::EndOfMedia, 8000);
    VERIFY_NO_PLAYER_ERROR(rig.watch);
}

void TstMediaPlayer::closeStopsAndUnloads() {
    Rig rig;
    rig.player.setURL(file(QStringLiteral("film.wmv")));
    QTRY_VERIFY_WITH_TIMEOUT(rig.backend().position() > 200, 5000);
    rig.player.close();
    QCOMPARE(rig.backend().playbackState(), QMediaPlayer::StoppedState);
    QVERIFY(rig.backend().source().isEmpty());
    QVERIFY(rig.player.URL().isEmpty());
    rig.player.play();
    QTest::qWait(300);
    QCOMPARE(rig.backend().playbackState(), QMediaPlayer::StoppedState);
    QCOMPARE(rig.player.playState(), int(MediaPlayer::wmppsUndefined));
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
    RecordingPlatform platform(app.path());
    std::unique_ptr<FrmMain> quiz = loadQuizWindow();
    QVERIFY(quiz);
    quiz->show();
    showRecord(*quiz, 0);

    pressSound(*quiz);
    FrmPlay* window = quiz->loadedFrmPlay();
    QVERIFY(window);
    QVERIFY(!window->isVisible());
    auto& player = static_cast<QtMediaPlayer&>(window->WMPlayer());
    Watch watch(player);
    const QMediaPlayer& backend = player.backend();
    QTRY_VERIFY_WITH_TIMEOUT(backend.position() > 300, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(backend.mediaStatus(), QMediaPlayer::EndOfMedia, 8000);
    QVERIFY(!window->isVisible());

    pressFilm(*quiz);
    QCOMPARE(quiz->loadedFrmPlay(), window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("significato 1"));
    QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(MediaPlayer::wmppsPlaying), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(backend.position() > 300, 5000);
    // A click on the picture pauses the film where it is, a second resumes it.
    QWidget* surface = playerSurface(*window);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(90, 75));
    QTRY_COMPARE_WITH_TIMEOUT(backend.playbackState(), QMediaPlayer::PausedState, 2000);
    const qint64 held = backend.position();
    QTest::qWait(400);
    QVERIFY(qAbs(backend.position() - held) < 50);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(90, 75));
    QTRY_VERIFY_WITH_TIMEOUT(backend.position() > held + 100, 3000);
    QVERIFY(watch.frames > 0);
    QVERIFY(player.videoWidget()->isVisible());

    // A sound while the film is on screen plays in its place, under the
    // film's caption, without the film's last picture.
    pressSound(*quiz);
    QCOMPARE(quiz->loadedFrmPlay(), window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("significato 1"));
    QCOMPARE(QFileInfo(player.URL()).fileName(), QStringLiteral("s001.mp3"));
    QTRY_VERIFY_WITH_TIMEOUT(backend.position() > 300, 5000);
    QVERIFY(!backend.hasVideo());
    QVERIFY(!player.videoWidget()->isVisible());

    // Closing the window stops the film; the next film loads it afresh.
    QVERIFY(window->close());
    QCOMPARE(mediaWindowCount(), 0);
    QVERIFY(!quiz->loadedFrmPlay());
    pressFilm(*quiz);
    QVERIFY(quiz->loadedFrmPlay());
    auto& again = static_cast<QtMediaPlayer&>(quiz->loadedFrmPlay()->WMPlayer());
    QTRY_VERIFY_WITH_TIMEOUT(again.backend().position() > 200, 5000);
    QVERIFY(platform.boxes.empty());
    VERIFY_NO_PLAYER_ERROR(watch);

    // Shutdown in mid-film unloads the window and its pipeline cleanly.
    quiz->close();
    QCOMPARE(platform.ends, 1);
    QVERIFY(!quiz->loadedFrmPlay());
    QCOMPARE(mediaWindowCount(), 0);
    QTest::qWait(300);
}

QTEST_MAIN(TstMediaPlayer)
#include "tst_media_player.moc"

// The sound and film buttons and the media window, over a player that
// records what it is asked to do.
#include "media/MediaWindowHarness.h"
#include "media/RecordingPlayer.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

void touch(const QString& path) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write("x");
}

} // namespace

class TstMediaCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startupLoadsNoMediaWindow();
    void missingFile_data();
    void missingFile();
    void windowLeftAsItWas_data();
    void windowLeftAsItWas();
    void soundPlaysWithoutShowingWindow();
    void filmShowsWindowWithMeaning();
    void secondFilmReplacesFilmAndCaption();
    void soundWhileFilmShownKeepsCaption();
    void clickOnPicture_data();
    void clickOnPicture();
    void pressReleasedOffPictureIsNoClick();
    void closingDuringFilmStopsIt();
    void shutdownClosesPlayer_data();
    void shutdownClosesPlayer();

private:
    FrmPlay& shownWindow();
    QString onDisk(const QString& relative) const { return m_dir.filePath(relative); }

    QTemporaryDir m_dir;
    std::unique_ptr<RecordingPlatform> m_platform;
    std::unique_ptr<RecordingPlayers> m_players;
    std::unique_ptr<FrmMain> m_window;
};

void TstMediaCommands::initTestCase() {
    QVERIFY(m_dir.isValid());
    std::vector<Fixture::Row> rows = Fixture::sampleRows(6);
    rows[3].sound = QString();
    rows[3].film = QString();
    rows[5].sound = std::nullopt;
    rows[5].film = std::nullopt;
    Fixture::writeAppFolder(m_dir.path(), rows);
    // The program writes "\Suoni\" and ".MP3"; the disk has other cases.
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("suoni/s005.MP3")));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("FILMATI/f005.wmv")));
    touch(onDisk(QStringLiteral("suoni/s001.mp3")));
    touch(onDisk(QStringLiteral("suoni/S002.Mp3")));
    touch(onDisk(QStringLiteral("FILMATI/f001.WMV")));
    touch(onDisk(QStringLiteral("FILMATI/f002.wmv")));
}

void TstMediaCommands::init() {
    m_platform = std::make_unique<RecordingPlatform>(m_dir.path());
    m_players = std::make_unique<RecordingPlayers>();
    m_window = loadQuizWindow();
    QVERIFY(m_window);
    m_platform->boxes.clear();
}

void TstMediaCommands::cleanup() {
    m_window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(mediaWindowCount(), 0);
    m_players.reset();
    m_platform.reset();
}

FrmPlay& TstMediaCommands::shownWindow() {
    showRecord(*m_window, 0);
    pressFilm(*m_window);
    return *m_window->loadedFrmPlay();
}

void TstMediaCommands::startupLoadsNoMediaWindow() {
    QVERIFY(!m_window->loadedFrmPlay());
    QVERIFY(m_players->logs.empty());
    QCOMPARE(mediaWindowCount(), 0);
}

void TstMediaCommands::missingFile_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<bool>("film");
    QTest::addColumn<QString>("message");
    const QString audio = QStringLiteral("Audio non disponibile");
    const QString video = QStringLiteral("Video non disponibile");
    QTest::newRow("sound file absent") << 2 << false << audio;
    QTest::newRow("film file absent") << 2 << true << video;
    QTest::newRow("sound field empty") << 3 << false << audio;
    QTest::newRow("film field empty") << 3 << true << video;
    QTest::newRow("sound name is a folder") << 4 << false << audio;
    QTest::newRow("film name is a folder") << 4 << true << video;
    QTest::newRow("sound field null") << 5 << false << audio;
    QTest::newRow("film field null") << 5 << true << video;
}

void TstMediaCommands::missingFile() {
    QFETCH(int, record);
    QFETCH(bool, film);
    QFETCH(QString, message);
    showRecord(*m_window, record);
    QVERIFY(m_platform->boxes.empty());
    film ? pressFilm(*m_window) : pressSound(*m_window);
    QCOMPARE(m_platform->boxes.size(), size_t(1));
    QCOMPARE(m_platform->boxes[0].text, message);
    QCOMPARE(m_platform->boxes[0].style, Platform::vbInformation);
    QVERIFY(!m_platform->boxes[0].title.has_value());
    // Nothing is loaded for a file that is not there.
    QVERIFY(!m_window->loadedFrmPlay());
    QVERIFY(m_players->logs.empty());
}

void TstMediaCommands::windowLeftAsItWas_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("messages");
    QTest::newRow("missing sound") << 2 << "CmdSnd" << 1;
    QTest::newRow("missing film") << 2 << "CmdFlm" << 1;
    QTest::newRow("next character") << 1 << "" << 0;
    QTest::newRow("clear all") << 1 << "MnuCanc" << 0;
}

void TstMediaCommands::windowLeftAsItWas() {
    QFETCH(int, record);
    QFETCH(QString, action);
    QFETCH(int, messages);
    FrmPlay& window = shownWindow();
    const QStringList callsBefore = m_players->logs[0]->calls;
    const QString urlBefore = m_players->players[0]->URL();
    showRecord(*m_window, record);
    if (auto* button = m_window->findChild<QToolButton*>(action))
        button->click();
    else if (auto* entry = m_window->findChild<QAction*>(action))
        entry->trigger();
    QCOMPARE(m_platform->boxes.size(), size_t(messages));
    QCOMPARE(m_window->loadedFrmPlay(), &window);
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("significato 1"));
    QCOMPARE(m_players->logs[0]->calls, callsBefore);
    QCOMPARE(m_players->players[0]->URL(), urlBefore);
    QCOMPARE(m_players->players[0]->playState(), int(MediaPlayer::wmppsPlaying));
    QCOMPARE(m_players->logs.size(), size_t(1));
}

void TstMediaCommands::soundPlaysWithoutShowingWindow() {
    showRecord(*m_window, 0);
    pressSound(*m_window);
    QVERIFY(m_platform->boxes.empty());
    FrmPlay* window = m_window->loadedFrmPlay();
    QVERIFY(window);
    QVERIFY(!window->isVisible());
    QCOMPARE(m_players->logs.size(), size_t(1));
    // Load (play with nothing loaded), then the file found on disk in its
    // own letter case, then play.
    const QString file = m_players->players[0]->URL();
    QCOMPARE(QFileInfo(file).fileName(), QStringLiteral("s001.mp3"));
    QCOMPARE(QFileInfo(file).canonicalFilePath(),
             QFileInfo(onDisk(QStringLiteral("suoni/s001.mp3"))).canonicalFilePath());
    QCOMPARE(m_players->logs[0]->calls,
             QStringList(
                 {QStringLiteral("play"), QStringLiteral("URL=") + file, QStringLiteral("play")}));
}

void TstMediaCommands::filmShowsWindowWithMeaning() {
    FrmPlay& window = shownWindow();
    QVERIFY(m_platform->boxes.empty());
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("significato 1"));
    // Modeless and owned by no window.
    QVERIFY(!window.parentWidget());
    QVERIFY(!window.isModal());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(window.size(), QSize(177, 152));
    // Beside the quiz, not over its sound and film buttons.
    QVERIFY(!window.frameGeometry().intersects(m_window->frameGeometry()));
    QVERIFY(!window.windowIcon().isNull());
    QWidget* surface = playerSurface(window);
    QVERIFY(surface);
    QCOMPARE(surface->geometry(), QRect(0, 0, 180, 150));
    QCOMPARE(surface->toolTip(), QStringLiteral("Click per pausa e play"));
    QCOMPARE(surface->contextMenuPolicy(), Qt::NoContextMenu);
    const QString file = m_players->players[0]->URL();
    QCOMPARE(QFileInfo(file).canonicalFilePath(),
             QFileInfo(onDisk(QStringLiteral("FILMATI/f001.WMV"))).canonicalFilePath());
    QCOMPARE(m_players->logs[0]->calls,
             QStringList(
                 {QStringLiteral("play"), QStringLiteral("URL=") + file, QStringLiteral("play")}));
}

void TstMediaCommands::secondFilmReplacesFilmAndCaption() {
    FrmPlay& window = shownWindow();
    showRecord(*m_window, 1);
    pressFilm(*m_window);
    QCOMPARE(m_window->loadedFrmPlay(), &window);
    QCOMPARE(mediaWindowCount(), 1);
    QCOMPARE(m_players->logs.size(), size_t(1));
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("significato 2"));
    QCOMPARE(QFileInfo(m_players->players[0]->URL()).fileName(), QStringLiteral("f002.wmv"));
}

void TstMediaCommands::soundWhileFilmShownKeepsCaption() {
    FrmPlay& window = shownWindow();
    showRecord(*m_window, 1);
    pressSound(*m_window);
    QCOMPARE(m_window->loadedFrmPlay(), &window);
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("significato 1"));
    QCOMPARE(QFileInfo(m_players->players[0]->URL()).fileName(), QStringLiteral("S002.Mp3"));
    QCOMPARE(m_players->logs.size(), size_t(1));
}

void TstMediaCommands::clickOnPicture_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QString>("call");
    QTest::newRow("playing") << int(MediaPlayer::wmppsPlaying) << Qt::LeftButton << "pause";
    QTest::newRow("paused") << int(MediaPlayer::wmppsPaused) << Qt::LeftButton << "play";
    QTest::newRow("stopped after the end")
        << int(MediaPlayer::wmppsStopped) << Qt::LeftButton << "play";
    QTest::newRow("still loading")
        << int(MediaPlayer::wmppsTransitioning) << Qt::LeftButton << "play";
    QTest::newRow("could not play") << int(MediaPlayer::wmppsReady) << Qt::LeftButton << "play";
    QTest::newRow("right button, playing")
        << int(MediaPlayer::wmppsPlaying) << Qt::RightButton << "pause";
}

void TstMediaCommands::clickOnPicture() {
    QFETCH(int, state);
    QFETCH(Qt::MouseButton, button);
    QFETCH(QString, call);
    FrmPlay& window = shownWindow();
    const qsizetype before = m_players->logs[0]->calls.size();
    m_players->players[0]->state = state;
    QTest::mouseClick(playerSurface(window), button, {}, QPoint(90, 75));
    QCOMPARE(m_players->logs[0]->calls.mid(before), QStringList{call});
}

void TstMediaCommands::pressReleasedOffPictureIsNoClick() {
    FrmPlay& window = shownWindow();
    const QStringList calls = m_players->logs[0]->calls;
    QWidget* surface = playerSurface(window);
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(90, 75));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(400, 75));
    QCOMPARE(m_players->logs[0]->calls, calls);
}

void TstMediaCommands::closingDuringFilmStopsIt() {
    FrmPlay& window = shownWindow();
    QVERIFY(window.close());
    QCOMPARE(m_players->logs[0]->calls.last(), QStringLiteral("close"));
    QCOMPARE(mediaWindowCount(), 0);
    QVERIFY(!m_window->loadedFrmPlay());
    QVERIFY(m_players->logs[0]->destroyed);
    // The next film loads the window afresh, running its load handler again.
    showRecord(*m_window, 1);
    pressFilm(*m_window);
    FrmPlay* again = m_window->loadedFrmPlay();
    QVERIFY(again);
    QVERIFY(again->isVisible());
    QCOMPARE(again->windowTitle(), QStringLiteral("significato 2"));
    QCOMPARE(m_players->logs.size(), size_t(2));
    QCOMPARE(m_players->logs[1]->calls.first(), QStringLiteral("play"));
    QCOMPARE(m_players->players[1]->playState(), int(MediaPlayer::wmppsPlaying));
}

void TstMediaCommands::shutdownClosesPlayer_data() {
    QTest::addColumn<bool>("film");
    QTest::newRow("film on screen") << true;
    QTest::newRow("sound, window hidden") << false;
}

void TstMediaCommands::shutdownClosesPlayer() {
    QFETCH(bool, film);
    showRecord(*m_window, 0);
    film ? pressFilm(*m_window) : pressSound(*m_window);
    m_window->close();
    QCOMPARE(m_players->logs[0]->calls.last(), QStringLiteral("close"));
    QCOMPARE(m_players->logs[0]->calls.count(QStringLiteral("close")), 1);
    QVERIFY(m_players->logs[0]->destroyed);
    QVERIFY(!m_window->loadedFrmPlay());
    QCOMPARE(mediaWindowCount(), 0);
    QCOMPARE(m_platform->ends, 1);
}

QTEST_MAIN(TstMediaCommands)
#include "tst_media_commands.moc"

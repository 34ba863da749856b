#include "media/QtMediaPlayer.h"

#include <QUrl>
#include <QVideoSink>
#include <QVideoWidget>

void QtMediaPlayer::chooseBackend() {
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

namespace {

// Runs before the members are built: the first QMediaPlayer fixes the backend.
QWidget* withBackendChosen(QWidget* surface) {
    QtMediaPlayer::chooseBackend();
    return surface;
}

} // namespace

QtMediaPlayer::QtMediaPlayer(QWidget* surface)
    : MediaPlayer(withBackendChosen(surface)), m_video(new QVideoWidget(surface)) {
    // The fixed settings of the control, applied once: half volume, normal
    // speed, each file once. Errors are not watched, so a file that cannot
    // be played stays silent; there are no buttons, position bar or menu,
    // only the picture, at the film's own size (placeVideo).
    m_player.setAudioOutput(&m_audio);
    m_player.setVideoOutput(m_video);
    m_audio.setVolume(0.5f);
    m_audio.setMuted(false);
    m_player.setPlaybackRate(1.0);
    m_player.setLoops(1);
    m_video->setObjectName(QStringLiteral("WMPlayerVideo"));
    m_video->setFullScreen(false);
    m_video->setAspectRatioMode(Qt::KeepAspectRatio);
    m_video->setContextMenuPolicy(Qt::NoContextMenu);
    // Clicks and the tooltip belong to the surface, beneath the picture.
    m_video->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_video->setGeometry(surface->rect());
    // Queued: the sink announces a new size while it still holds its lock.
    connect(m_video->videoSink(), &QVideoSink::videoSizeChanged, this, &QtMediaPlayer::placeVideo,
            Qt::QueuedConnection);
    connect(&m_player, &QMediaPlayer::hasVideoChanged, m_video, &QWidget::setVisible);
}

QtMediaPlayer::~QtMediaPlayer() {
    m_player.stop();
}

void QtMediaPlayer::placeVideo() {
    const QSize area = surface()->size();
    QSize own = m_video->videoSink()->videoSize();
    if (!own.isValid() || own.isEmpty())
        own = area;
    if (own.width() > area.width() || own.height() > area.height())
        own = own.scaled(area, Qt::KeepAspectRatio);
    m_video->setGeometry((area.width() - own.width()) / 2, (area.height() - own.height()) / 2,
                         own.width(), own.height());
}

void QtMediaPlayer::setURL(const QString& url) {
    m_url = url;
    if (url.isEmpty()) {
        m_player.stop();
        m_player.setSource(QUrl());
        return;
    }
    // Setting the source stops the player and rewinds it, even for the same
    // file, so a second press starts again from the beginning.
    m_player.setSource(QUrl::fromLocalFile(url));
    // A sound after a film must not leave the film's last picture standing;
    // the picture shows again once a new file turns out to have one (the
    // same file set again keeps what it had).
    m_video->setVisible(m_player.hasVideo());
    m_player.play();
}

void QtMediaPlayer::play() {
    if (m_url.isEmpty())
        return;
    m_player.play();
}

void QtMediaPlayer::pause() {
    if (m_player.playbackState() == QMediaPlayer::PlayingState)
        m_player.pause();
}

int QtMediaPlayer::playState() const {
    if (m_url.isEmpty())
        return wmppsUndefined;
    switch (m_player.mediaStatus()) {
    case QMediaPlayer::InvalidMedia:
        return wmppsReady;
    case QMediaPlayer::LoadingMedia:
        return wmppsTransitioning;
    default:
        break;
    }
    switch (m_player.playbackState()) {
    case QMediaPlayer::PlayingState:
        return wmppsPlaying;
    case QMediaPlayer::PausedState:
        return wmppsPaused;
    case QMediaPlayer::StoppedState:
        break;
    }
    return wmppsStopped;
}

void QtMediaPlayer::close() {
    m_url.clear();
    m_player.stop();
    m_player.setSource(QUrl());
}

#pragma once

#include "media/MediaPlayer.h"

#include <QAudioOutput>
#include <QMediaPlayer>

class QVideoWidget;

// The player over Qt Multimedia: sound through the default audio output,
// the film in a video widget inside the surface at the film's own size.
class QtMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit QtMediaPlayer(QWidget* surface);
    ~QtMediaPlayer() override;

    QString URL() const override { return m_url; }
    void setURL(const QString& url) override;
    void play() override;
    void pause() override;
    int playState() const override;
    void close() override;

    // What lies behind, for tests that watch the playback itself.
    const QMediaPlayer& backend() const { return m_player; }
    QVideoWidget* videoWidget() const { return m_video; }

    // Chooses the GStreamer backend unless the environment names one: the
    // FFmpeg one crashes on machines without a sound card. Must run before
    // the first media object of the process is made.
    static void chooseBackend();

private:
    // Shows the film at its own size, centred; one larger than the surface
    // is shrunk to fit, keeping its shape.
    void placeVideo();

    QString m_url;
    QMediaPlayer m_player;
    QAudioOutput m_audio;
    QVideoWidget* m_video;
};

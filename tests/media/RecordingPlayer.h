#pragma once

#include "media/MediaPlayer.h"

#include <QStringList>

#include <memory>
#include <vector>

// A player that plays nothing: it keeps the calls made on it and a play
// state that follows them as the real control's does (a set URL starts at
// once, pause holds only while playing, close unloads).
class RecordingPlayer : public MediaPlayer {
public:
    // What one player went through; outlives the player.
    struct Log {
        QStringList calls;
        bool destroyed = false;
    };

    RecordingPlayer(QWidget* surface, std::shared_ptr<Log> log)
        : MediaPlayer(surface), m_log(std::move(log)) {}
    ~RecordingPlayer() override { m_log->destroyed = true; }

    QString URL() const override { return m_url; }
    void setURL(const QString& url) override {
        m_log->calls << QStringLiteral("URL=") + url;
        m_url = url;
        state = url.isEmpty() ? wmppsUndefined : wmppsPlaying;
    }
    void play() override {
        m_log->calls << QStringLiteral("play");
        if (!m_url.isEmpty())
            state = wmppsPlaying;
    }
    void pause() override {
        m_log->calls << QStringLiteral("pause");
        if (state == wmppsPlaying)
            state = wmppsPaused;
    }
    int playState() const override { return state; }
    void close() override {
        m_log->calls << QStringLiteral("close");
        m_url.clear();
        state = wmppsUndefined;
    }

    // Settable, for cases the commands cannot reach (a film that ended).
    int state = wmppsUndefined;

private:
    std::shared_ptr<Log> m_log;
    QString m_url;
};

// Installs itself as the player factory for its lifetime and keeps every
// player made.
class RecordingPlayers {
public:
    RecordingPlayers() {
        MediaPlayer::setFactory([this](QWidget* surface) {
            auto log = std::make_shared<RecordingPlayer::Log>();
            auto player = std::make_unique<RecordingPlayer>(surface, log);
            logs.push_back(log);
            players.push_back(player.get());
            return player;
        });
    }
    ~RecordingPlayers() { MediaPlayer::setFactory({}); }
    RecordingPlayers(const RecordingPlayers&) = delete;
    RecordingPlayers& operator=(const RecordingPlayers&) = delete;

    std::vector<std::shared_ptr<RecordingPlayer::Log>> logs;
    // Valid only while the matching log is not destroyed.
    std::vector<RecordingPlayer*> players;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/MediaPlayer.h"

#include <QStringList>

#include <memory>

class MediaEngine;

// The real player: GStreamer's playbin, in the media module that the
// program opens when the first player is made (the first sound or film
// press). Sound goes to the default output, or to a silent one at real
// speed where there is none; the film is drawn inside the surface at its
// own size.
class PlaybinPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit PlaybinPlayer(QWidget* surface);
    ~PlaybinPlayer() override;

    QString URL() const override { return m_url; }
    void setURL(const QString& url) override;
    void play() override;
    void pause() override;
    int playState() const override;
    void close() override;

    // What lies behind, for tests; null when the module could not be opened.
    MediaEngine* engine() const { return m_engine.get(); }

    // Where the module is looked for, in order: where it was built, then
    // where it is installed; fixed when the program is built.
    static QStringList moduleCandidates();
    // Looks only at `paths` from now on; an empty list restores the
    // default places. For tests.
    static void setModuleCandidates(const QStringList& paths);

private:
    // The player cannot work here: the learner is told why and the
    // program ends, as for any other platform part that fails.
    void unavailable(const QString& why);

    QString m_url;
    std::unique_ptr<MediaEngine> m_engine;
};

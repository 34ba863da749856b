// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// What the media module offers the program: one player over a picture
// area. The module, with GStreamer behind it, is opened on the first sound
// or film press, so nothing of it costs anything at start-up. Only this
// header is shared between the two: no class of the program is used by the
// module, nor the other way round.
//
// Every call is made on the user-interface thread and returns at once; the
// work happens on the module's own threads, and what they find comes back
// as ordinary events of that thread.
class MediaEngine {
public:
    virtual ~MediaEngine() = default;

    // Loads `file` in place of any earlier one and plays it from its start.
    virtual void open(const QString& file) = 0;
    // Resumes a paused file; plays an ended or failed one again from its
    // start; nothing while loading, playing or with nothing loaded.
    virtual void play() = 0;
    // Holds playback where it is; nothing unless playing.
    virtual void pause() = 0;
    // Stops and releases the file.
    virtual void close() = 0;
    // The classic control's state numbers (0 nothing loaded, 1 stopped or
    // ended, 2 paused, 3 playing, 9 loading, 10 could not be played).
    virtual int playState() const = 0;

    // Called, on the user-interface thread, if the player cannot work on
    // this machine at all (GStreamer or its basic elements missing); the
    // text says why, in Italian.
    virtual void setUnavailableHandler(std::function<void(const QString&)> handler) = 0;
    // Called, on the user-interface thread, when the file loaded cannot be
    // played, or has not begun to play within `LoadLimitMs` of its load:
    // that attempt is over, and the next load or play starts afresh.
    virtual void setFailedHandler(std::function<void()> handler) = 0;
    static constexpr int LoadLimitMs = 5000;

    // What a test watches: all of it about the file now loaded.
    struct Watch {
        qint64 positionMs = 0;  // end of the latest sound or picture played
        qint64 durationMs = -1; // -1 until known
        int frames = 0;         // pictures shown
        int audioBuffers = 0;   // sound buffers handed to the output
        QStringList errors;     // what the player reported it could not do
        QImage lastFrame;
        QWidget* picture = nullptr; // where the film is drawn
    };
    virtual Watch watch() const = 0;
};

// The module's one entry point, by this name: makes a player drawing into
// `surface`. The version in the name changes whenever this header does, so
// that a module of another version is never taken for this one.
using MediaEngineFactory = MediaEngine* (*)(QWidget* surface);
inline constexpr char MediaEngineEntryPoint[] = "tavorinMediaEngine2";

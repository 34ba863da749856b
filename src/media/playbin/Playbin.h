// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The media module's inside: the user-interface thread asks, the control
// thread acts, and the control thread and GStreamer's streaming threads
// report back. The two directions never wait for each other: commands go
// into a queue that the control thread empties, reports are posted as
// events to the user-interface thread. Only the control thread changes a
// pipeline's state, so only it ever waits for a streaming thread to stop.

#include <QByteArray>
#include <QEvent>
#include <QImage>
#include <QString>

class QObject;

namespace Playbin {

// What the control thread and the streaming threads tell the user-interface
// thread about one player, as an event posted to the receiver.
struct Report : QEvent {
    enum Kind {
        Playing,     // the pipeline has reached the playing state
        Ended,       // end of the file
        Failed,      // the file cannot be played; `text` says why
        Frame,       // a picture of the film, shown now
        Sound,       // a buffer of sound handed to the output
        Duration,    // the file's length
        Unavailable, // no player can work on this machine; `text` says why
    };

    Report(int player, int generation, Kind kind)
        : QEvent(eventType()), player(player), generation(generation), kind(kind) {}
    static QEvent::Type eventType();

    int player;
    // Which load of the player's file this is about; the user-interface
    // side drops reports of loads it has since replaced.
    int generation;
    Kind kind;
    qint64 ms = 0; // Frame, Sound: the end of what was played; Duration
    QImage frame;
    QString text;
};

// What the user-interface thread asks of the control thread.
struct Command {
    enum Kind {
        Create,        // make the player's pipeline
        Open,          // load `uri` and play it from its start, as `generation`
        Play,          // resume
        Pause,         // hold
        Stop,          // after the end or a failure: release the file and the output
        Close,         // stop and release everything
        QueryDuration, // report the length of the file playing
        Dispose,       // the player is gone: stop and free its pipeline
    };
    Kind kind;
    int player;
    int generation;
    QByteArray uri;
};

// Sets the object that receives the reports (on the user-interface thread)
// and starts the control thread. Called once, before the first command.
void start(QObject* receiver);
// Queues a command. Any thread; never waits.
void send(const Command& command);

} // namespace Playbin

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

// The media player control of the media window: the few operations the
// sound and film commands use, over a picture area ("surface") that the
// window provides. Clicks on that area are raised as `Click`, whatever the
// player behind it.
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    // Play-state numbers as the classic player control reports them; only
    // "playing" is ever tested by the program.
    enum PlayState {
        wmppsUndefined = 0,
        wmppsStopped = 1,
        wmppsPaused = 2,
        wmppsPlaying = 3,
        wmppsTransitioning = 9,
        wmppsReady = 10,
    };

    explicit MediaPlayer(QWidget* surface);
    ~MediaPlayer() override;

    QWidget* surface() const { return m_surface; }

    // The file loaded, as set; empty until a command sets one.
    virtual QString URL() const = 0;
    // Loads `url` (a local file path) in place of any earlier file and,
    // since the player starts by itself, plays it from its beginning. An
    // empty URL unloads.
    virtual void setURL(const QString& url) = 0;
    // Starts or resumes the loaded file; nothing when nothing is loaded.
    virtual void play() = 0;
    // Holds playback at the current position; nothing unless playing.
    virtual void pause() = 0;
    virtual int playState() const = 0;
    // Stops playback and releases the file.
    virtual void close() = 0;

    // Makes the players of every media window loaded from now on; an empty
    // function restores the real one. For tests.
    using Factory = std::function<std::unique_ptr<MediaPlayer>(QWidget* surface)>;
    static void setFactory(Factory factory);
    // A player over `surface`, from the factory in force.
    static std::unique_ptr<MediaPlayer> create(QWidget* surface);

signals:
    // A click on the picture: button (1 left, 2 right, 4 middle), shift
    // state (1 Shift, 2 Ctrl, 4 Alt) and the position in pixels.
    void Click(short nButton, short nShiftState, int fX, int fY);
    // The file set cannot be played, or did not begin to play in time; the
    // attempt is over.
    void Unplayable();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_surface;
    Qt::MouseButton m_pressed = Qt::NoButton;
};

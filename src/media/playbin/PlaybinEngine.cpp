// SPDX-License-Identifier: GPL-3.0-or-later
// The user-interface side of the media module: the player's state as the
// program sees it, and the widget that shows the film.
#include "media/MediaEngine.h"
#include "media/playbin/Playbin.h"

#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <map>

namespace {

using Playbin::Command;
using Playbin::Report;

// The classic control's state numbers.
enum State { Undefined = 0, Stopped = 1, Paused = 2, Playing = 3, Loading = 9, Ready = 10 };

// The film's pictures, drawn at the film's own size and centred in the
// surface; a film larger than the surface is shrunk to fit, keeping its
// shape. Clicks pass through to the surface beneath.
class VideoPicture : public QWidget {
public:
    explicit VideoPicture(QWidget* surface) : QWidget(surface) {
        setObjectName(QStringLiteral("WMPlayerVideo"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
        hide();
    }

    void showFrame(const QImage& frame) {
        if (frame.size() != m_frame.size())
            place(frame.size());
        m_frame = frame;
        if (isHidden())
            setVisible(true);
        update();
    }
    void clear() {
        m_frame = QImage();
        hide();
    }
    const QImage& frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), m_frame);
    }

private:
    void place(QSize own) {
        const QSize area = parentWidget()->size();
        if (own.width() > area.width() || own.height() > area.height())
            own = own.scaled(area, Qt::KeepAspectRatio);
        setGeometry((area.width() - own.width()) / 2, (area.height() - own.height()) / 2,
                    own.width(), own.height());
    }

    QImage m_frame;
};

class PlaybinEngine;

// Receives the reports of every player on the user-interface thread and
// hands each to its player, if that player still exists. It lives as long
// as the process: the threads may report about a player that is gone.
class Hub : public QObject {
public:
    static Hub& instance() {
        static Hub* hub = [] {
            auto* made = new Hub;
            Playbin::start(made);
            return made;
        }();
        return *hub;
    }
    int add(PlaybinEngine* engine) {
        m_engines[++m_last] = engine;
        return m_last;
    }
    void remove(int player) { m_engines.erase(player); }

protected:
    bool event(QEvent* event) override;

private:
    std::map<int, PlaybinEngine*> m_engines;
    int m_last = 0;
};

class PlaybinEngine final : public MediaEngine {
public:
    explicit PlaybinEngine(QWidget* surface)
        : m_picture(new VideoPicture(surface)), m_player(Hub::instance().add(this)) {
        m_deadline.setSingleShot(true);
        m_deadline.setInterval(LoadLimitMs);
        // A file that neither plays nor fails (a cut-off film may wait for
        // the rest of itself for ever) is given up.
        m_deadline.callOnTimeout([this] {
            if (m_state == Loading)
                fail(QStringLiteral("il file non è pronto dopo %1 s").arg(LoadLimitMs / 1000));
        });
        send(Command::Create);
    }
    ~PlaybinEngine() override {
        Hub::instance().remove(m_player);
        send(Command::Dispose);
        delete m_picture.data();
    }

    void open(const QString& file) override {
        // A sound after a film must not leave the film's last picture
        // standing; the same film again keeps it until its first picture.
        if (file != m_file)
            m_picture->clear();
        m_file = file;
        m_uri = QUrl::fromLocalFile(file).toEncoded();
        load();
    }
    void play() override {
        if (m_state == Paused) {
            send(Command::Play);
            m_state = Playing;
        } else if (m_state == Stopped || m_state == Ready) {
            load();
        }
    }
    void pause() override {
        if (m_state != Playing)
            return;
        send(Command::Pause);
        m_state = Paused;
    }
    void close() override {
        newGeneration();
        m_file.clear();
        m_uri.clear();
        m_state = Undefined;
        m_deadline.stop();
        m_picture->clear();
        send(Command::Close);
    }
    int playState() const override { return m_state; }

    void setUnavailableHandler(std::function<void(const QString&)> handler) override {
        m_unavailable = std::move(handler);
    }
    void setFailedHandler(std::function<void()> handler) override { m_failed = std::move(handler); }

    Watch watch() const override {
        Watch watch = m_watch;
        watch.lastFrame = m_picture ? m_picture->frame() : QImage();
        watch.picture = m_picture;
        return watch;
    }

    void receive(const Report& report) {
        if (report.kind == Report::Unavailable) {
            if (m_unavailable)
                m_unavailable(report.text);
            return;
        }
        if (report.generation != m_generation)
            return;
        switch (report.kind) {
        case Report::Playing:
            m_deadline.stop();
            if (m_state == Loading)
                m_state = Playing;
            break;
        case Report::Ended:
            m_state = Stopped;
            send(Command::Stop);
            break;
        case Report::Failed:
            // Once: a broken file may be reported by several elements.
            if (m_state != Ready)
                fail(report.text);
            break;
        case Report::Frame:
            ++m_watch.frames;
            m_watch.positionMs = std::max(m_watch.positionMs, report.ms);
            if (m_picture)
                m_picture->showFrame(report.frame);
            break;
        case Report::Sound:
            ++m_watch.audioBuffers;
            m_watch.positionMs = std::max(m_watch.positionMs, report.ms);
            break;
        case Report::Duration:
            m_watch.durationMs = report.ms;
            break;
        case Report::Unavailable:
            break;
        }
    }

private:
    // Plays the file from its start, as a new generation: whatever the
    // threads still report about the previous one is dropped.
    void load() {
        newGeneration();
        m_state = Loading;
        m_deadline.start();
        send(Command::Open);
    }
    void fail(const QString& why) {
        m_deadline.stop();
        m_watch.errors << why;
        m_state = Ready;
        send(Command::Stop);
        if (m_failed)
            m_failed();
    }
    void newGeneration() {
        ++m_generation;
        m_watch = Watch();
    }
    void send(Command::Kind kind) { Playbin::send({kind, m_player, m_generation, m_uri}); }

    QPointer<VideoPicture> m_picture;
    int m_player;
    int m_generation = 0;
    int m_state = Undefined;
    QString m_file;
    QByteArray m_uri;
    Watch m_watch;
    std::function<void(const QString&)> m_unavailable;
    std::function<void()> m_failed;
    QTimer m_deadline;
};

bool Hub::event(QEvent* event) {
    if (event->type() != Report::eventType())
        return QObject::event(event);
    const auto& report = static_cast<const Report&>(*event);
    const auto found = m_engines.find(report.player);
    if (found != m_engines.end())
        found->second->receive(report);
    return true;
}

} // namespace

extern "C" Q_DECL_EXPORT MediaEngine* tavorinMediaEngine2(QWidget* surface) {
    return new PlaybinEngine(surface);
}

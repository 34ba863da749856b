// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/MediaPlayer.h"

#include "media/PlaybinPlayer.h"

#include <QMouseEvent>
#include <QWidget>

namespace {

MediaPlayer::Factory& factory() {
    static MediaPlayer::Factory instance;
    return instance;
}

short buttonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

short shiftCode(Qt::KeyboardModifiers modifiers) {
    short code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

} // namespace

MediaPlayer::MediaPlayer(QWidget* surface) : m_surface(surface) {
    m_surface->installEventFilter(this);
}

MediaPlayer::~MediaPlayer() {
    m_surface->removeEventFilter(this);
}

bool MediaPlayer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_surface)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A double click is two clicks, as the classic control counts them.
        m_pressed = static_cast<QMouseEvent*>(event)->button();
        return true;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const bool wasPressed = mouse->button() == m_pressed;
        m_pressed = Qt::NoButton;
        // A press dragged off the picture and released there is no click.
        const QPoint at = mouse->position().toPoint();
        if (wasPressed && m_surface->rect().contains(at))
            emit Click(buttonCode(mouse->button()), shiftCode(mouse->modifiers()), at.x(), at.y());
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void MediaPlayer::setFactory(Factory replacement) {
    factory() = std::move(replacement);
}

std::unique_ptr<MediaPlayer> MediaPlayer::create(QWidget* surface) {
    if (factory())
        return factory()(surface);
    return std::make_unique<PlaybinPlayer>(surface);
}

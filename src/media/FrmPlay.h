// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class FrmPlay;
}
class MediaPlayer;

// The media window: one player control, `WMPlayer`, that plays the
// character's pronunciation (window hidden) and its stroke-order film
// (window shown). Loaded on first reference; closing it unloads it.
class FrmPlay : public QWidget {
    Q_OBJECT
public:
    FrmPlay();
    ~FrmPlay() override;

    Ui::FrmPlay& form() { return *ui; }
    MediaPlayer& WMPlayer() { return *m_player; }
    // What the learner is told if the file now set cannot be played.
    void setUnplayableMessage(const QString& text) { m_unplayableMessage = text; }

protected:
    // Form_Unload: never refused.
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void WMPlayer_Click();

    std::unique_ptr<Ui::FrmPlay> ui;
    std::unique_ptr<MediaPlayer> m_player;
    bool m_unloaded = false;
    QString m_unplayableMessage;
};

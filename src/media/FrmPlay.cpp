// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/FrmPlay.h"

#include "media/MediaPlayer.h"
#include "platform/Platform.h"
#include "ui_FrmPlay.h"

#include <QCloseEvent>

FrmPlay::FrmPlay() : ui(std::make_unique<Ui::FrmPlay>()) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    m_player = MediaPlayer::create(ui->WMPlayer);
    connect(m_player.get(), &MediaPlayer::Click, this, &FrmPlay::WMPlayer_Click);
    // Told as for a missing file. Queued: the box waits for the learner,
    // and the player that reported must not be inside the call meanwhile.
    connect(
        m_player.get(), &MediaPlayer::Unplayable, this,
        [this] { Platform::msgBox(m_unplayableMessage, Platform::vbInformation); },
        Qt::QueuedConnection);
    Form_Load();
}

FrmPlay::~FrmPlay() {
    // Deleted without being closed (the main window going away): the player
    // still stops first.
    Form_Unload();
}

void FrmPlay::Form_Load() {
    m_player->play();
}

void FrmPlay::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_player->close();
}

void FrmPlay::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void FrmPlay::WMPlayer_Click() {
    if (m_player->playState() == MediaPlayer::wmppsPlaying)
        m_player->pause();
    else
        m_player->play();
}

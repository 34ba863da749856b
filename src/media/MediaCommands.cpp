// SPDX-License-Identifier: GPL-3.0-or-later
// The sound and film buttons.
#include "app/FrmMain.h"

#include "media/FrmPlay.h"
#include "media/MediaPlayer.h"
#include "platform/Platform.h"

#include <QScreen>

namespace {

// For a file that is missing, and for one that cannot be played.
const QString NoSound = QStringLiteral("Audio non disponibile");
const QString NoFilm = QStringLiteral("Video non disponibile");

// First showing: beside the main window rather than over its buttons, where
// the screen has room; otherwise wherever the window system puts it.
void placeBeside(QWidget& window, const QWidget& main) {
    if (window.testAttribute(Qt::WA_Moved) || !main.screen())
        return;
    const QRect screen = main.screen()->availableGeometry();
    const QRect frame = main.frameGeometry();
    const int margin = 8;
    for (const int x : {frame.right() + 1 + margin, frame.left() - margin - window.width()}) {
        const QRect spot(QPoint(x, frame.top()), window.size());
        if (screen.contains(spot)) {
            window.move(spot.topLeft());
            return;
        }
    }
}

} // namespace

FrmPlay& FrmMain::frmPlay() {
    // Loaded on first reference, and afresh after the learner closed it.
    if (!m_frmPlay) {
        m_frmPlay = new FrmPlay();
        placeByMain(*m_frmPlay);
    }
    return *m_frmPlay;
}

void FrmMain::CmdSnd_Click() {
    // The player gets the file the existence test found, whatever the
    // letter case of its name on disk.
    const std::optional<QString> file = objFSO->resolveFile(PercSuono);
    if (!file) {
        Platform::msgBox(NoSound, Platform::vbInformation);
        return;
    }
    // The window stays as it is: hidden, or showing the last film's caption.
    frmPlay().setUnplayableMessage(NoSound);
    MediaPlayer& player = frmPlay().WMPlayer();
    player.setURL(*file);
    player.play();
}

void FrmMain::CmdFlm_Click() {
    const std::optional<QString> file = objFSO->resolveFile(PercFilmato);
    if (!file) {
        Platform::msgBox(NoFilm, Platform::vbInformation);
        return;
    }
    FrmPlay& window = frmPlay();
    window.setUnplayableMessage(NoFilm);
    window.setWindowTitle(SignRec);
    window.WMPlayer().setURL(*file);
    // Modeless and owned by no window: the quiz goes on while it plays.
    placeBeside(window, *this);
    window.show();
    window.raise();
    window.activateWindow();
    window.WMPlayer().play();
}

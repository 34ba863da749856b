// The sound and film buttons.
#include "app/FrmMain.h"

#include "media/FrmPlay.h"
#include "media/MediaPlayer.h"
#include "platform/Platform.h"

FrmPlay& FrmMain::frmPlay() {
    // Loaded on first reference, and afresh after the learner closed it.
    if (!m_frmPlay)
        m_frmPlay = new FrmPlay();
    return *m_frmPlay;
}

void FrmMain::CmdSnd_Click() {
    // The player gets the file the existence test found, whatever the
    // letter case of its name on disk.
    const std::optional<QString> file = objFSO->resolveFile(PercSuono);
    if (!file) {
        Platform::msgBox(QStringLiteral("Audio non disponibile"), Platform::vbInformation);
        return;
    }
    // The window stays as it is: hidden, or showing the last film's caption.
    MediaPlayer& player = frmPlay().WMPlayer();
    player.setURL(*file);
    player.play();
}

void FrmMain::CmdFlm_Click() {
    const std::optional<QString> file = objFSO->resolveFile(PercFilmato);
    if (!file) {
        Platform::msgBox(QStringLiteral("Video non disponibile"), Platform::vbInformation);
        return;
    }
    FrmPlay& window = frmPlay();
    window.setWindowTitle(SignRec);
    window.WMPlayer().setURL(*file);
    // Modeless and owned by no window: the quiz goes on while it plays.
    window.show();
    window.raise();
    window.activateWindow();
    window.WMPlayer().play();
}

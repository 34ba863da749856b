// The sound and film buttons.
#include "app/FrmMain.h"

#include "media/FrmPlay.h"
#include "platform/Platform.h"

FrmPlay& FrmMain::frmPlay() {
    if (!m_frmPlay)
        m_frmPlay = new FrmPlay();
    return *m_frmPlay;
}

void FrmMain::CmdSnd_Click() {
    if (!objFSO->FileExists(PercSuono)) {
        Platform::msgBox(QStringLiteral("Audio non disponibile"), Platform::vbInformation);
        return;
    }
    frmPlay();
}

void FrmMain::CmdFlm_Click() {
    if (!objFSO->FileExists(PercFilmato)) {
        Platform::msgBox(QStringLiteral("Video non disponibile"), Platform::vbInformation);
        return;
    }
    FrmPlay& window = frmPlay();
    window.setWindowTitle(SignRec);
    window.show();
    window.raise();
}

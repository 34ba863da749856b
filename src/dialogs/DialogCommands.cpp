// SPDX-License-Identifier: GPL-3.0-or-later
// The "About" entry.
#include "app/FrmMain.h"

#include "dialogs/FrmInfo.h"

void FrmMain::MnuInfo_Click() {
    // Modeless and without an owner; one window at most, brought forward.
    if (!m_frmInfo) {
        m_frmInfo = new FrmInfo();
        placeByMain(*m_frmInfo);
    }
    m_frmInfo->show();
    m_frmInfo->raise();
    m_frmInfo->activateWindow();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The "Opzioni" menu: random or table order, and the level.
#include "app/FrmMain.h"

#include "dialogs/FrmGoto.h"
#include "ui_FrmMain.h"

void FrmMain::MnuRnd_Click() {
    ui->MnuRnd->setChecked(true);
    ui->MnuSeq->setChecked(false);
    ui->MnuStart->setEnabled(false);
    QStringList missing;
    loadButtonPicture(ui->CmdNewGraf, Theme + QStringLiteral("\\Wizard.gif"), missing);
    reportMissingPictures(missing);
    CmdNewGraf_Click();
}

void FrmMain::MnuSeq_Click() {
    ui->MnuSeq->setChecked(true);
    ui->MnuRnd->setChecked(false);
    ui->MnuStart->setEnabled(true);
    QStringList missing;
    loadButtonPicture(ui->CmdNewGraf, Theme + QStringLiteral("\\Refresh.gif"), missing);
    reportMissingPictures(missing);
    MnuStart_Click();
}

void FrmMain::MnuStart_Click() {
    // Modeless and without an owner: the main window stays usable.
    if (!m_frmGoto) {
        m_frmGoto = new FrmGoto(*this);
        placeByMain(*m_frmGoto);
    }
    m_frmGoto->show();
    m_frmGoto->raise();
    m_frmGoto->activateWindow();
}

void FrmMain::MnuLev1_Click() {
    ui->MnuLev1->setChecked(true);
    ui->MnuLev2->setChecked(false);
    ui->LblLev->setText(QStringLiteral("Livello 1"));
    UpperRec = 225;
}

void FrmMain::MnuLev2_Click() {
    ui->MnuLev1->setChecked(false);
    ui->MnuLev2->setChecked(true);
    ui->LblLev->setText(QStringLiteral("Livello 2"));
    UpperRec = 454;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The "Stile" menu: nine themes, each a folder of button pictures and an
// accent colour.
#include "app/FrmMain.h"

#include "ui_FrmMain.h"

void FrmMain::applyThemeEntry(QAction* entry, const QString& folder, const QString& colorText) {
    // All nine marks, always in this order, the chosen one set.
    for (QAction* mark : {ui->MnuVS, ui->MnuMB, ui->MnuLG, ui->MnuHD, ui->MnuLB, ui->MnuRD,
                          ui->MnuCJ, ui->MnuCM, ui->MnuSR})
        mark->setChecked(mark == entry);
    Theme = PercApp + QStringLiteral("\\Grafica\\Temi\\") + folder;
    ChngThm(colorText);
}

void FrmMain::MnuSR_Click() {
    applyThemeEntry(ui->MnuSR, QStringLiteral("SquareRed"), QStringLiteral("&H0000CE"));
}
void FrmMain::MnuLG_Click() {
    applyThemeEntry(ui->MnuLG, QStringLiteral("LightGrey"), QStringLiteral("&H404040"));
}
void FrmMain::MnuLB_Click() {
    applyThemeEntry(ui->MnuLB, QStringLiteral("LightBlue"), QStringLiteral("&HFF0000"));
}
void FrmMain::MnuCJ_Click() {
    applyThemeEntry(ui->MnuCJ, QStringLiteral("CyanJoy"), QStringLiteral("&HCECF00"));
}
void FrmMain::MnuRD_Click() {
    applyThemeEntry(ui->MnuRD, QStringLiteral("RedDanger"), QStringLiteral("&HFF"));
}
void FrmMain::MnuMB_Click() {
    applyThemeEntry(ui->MnuMB, QStringLiteral("ModernBlue"), QStringLiteral("&HCEAE00"));
}
void FrmMain::MnuVS_Click() {
    applyThemeEntry(ui->MnuVS, QStringLiteral("Vista"), QStringLiteral("&H007D00"));
}
void FrmMain::MnuHD_Click() {
    applyThemeEntry(ui->MnuHD, QStringLiteral("HappyDay"), QStringLiteral("&H0071FF"));
}
void FrmMain::MnuCM_Click() {
    applyThemeEntry(ui->MnuCM, QStringLiteral("Comix"), QStringLiteral("&HCE008C"));
}

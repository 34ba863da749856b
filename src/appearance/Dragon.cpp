// SPDX-License-Identifier: GPL-3.0-or-later
// The dragon animation before a random character, and the dragon poster
// behind the window.
#include "app/FrmMain.h"

#include "platform/Platform.h"
#include "ui_FrmMain.h"

void FrmMain::AnimazioneDragon() {
    ui->RiqGrafema->setVisible(false);
    ui->PctGrafema->setFrameStyle(QFrame::NoFrame);
    ui->PctGrafema->repaint();
    repaint();
    for (int n = 1; n <= 13; ++n) {
        const QString frame =
            PercApp + QStringLiteral("\\Grafica\\Frames\\DF_") + QString::number(n) + ".gif";
        ui->PctGrafema->setPixmap(pictureOrError(frame));
        // The thread sleeps between frames: only an explicit repaint shows them.
        ui->PctGrafema->repaint();
        Platform::sleep(50);
    }
    ui->RiqGrafema->setVisible(true);
    repaint();
}

void FrmMain::MnuSfd_Click() {
    if (ui->MnuSfd->isChecked()) {
        ui->MnuSfd->setChecked(false);
        ui->centralwidget->setBackgroundPicture(QPixmap());
    } else {
        const QString poster = PercApp + QStringLiteral("\\Grafica\\DragonPoster.jpg");
        const std::optional<QPixmap> picture = loadPicture(poster);
        if (!picture) {
            // Poster and mark stay as they were.
            reportMissingPictures({objFSO->relativePart(poster)});
            return;
        }
        ui->MnuSfd->setChecked(true);
        ui->centralwidget->setBackgroundPicture(*picture);
    }
    repaint();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Showing a character, the new-character command, the answer check,
// clearing and the tone box's check.
#include "app/FrmMain.h"

#include "platform/Platform.h"
#include "platform/PlatformError.h"
#include "quiz/AnswerCheck.h"
#include "quiz/Module1.h"
#include "ui_FrmMain.h"

#include <algorithm>
#include <cmath>

namespace {

const QColor RightColor(0, 192, 0);
const QColor WrongColor(255, 0, 0);

void setBackground(QWidget* box, const QColor& color) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, color);
    box->setPalette(palette);
}

} // namespace

void FrmMain::SelezionaRecord() {
    m_data.moveLast();
    m_data.setAbsolutePosition(NumRec);
    setPositionLabel(QStringLiteral("N. ") + signedText(m_data.absolutePosition() + 1) + u'/' +
                     QString::number(UpperRec));
    PercGrafema = PercApp + QStringLiteral("\\Grafemi\\") +
                  m_data.field(Field::NomeFileGrafema).value_or(QString()) + QStringLiteral(".jpg");
    PercSuono = PercApp + QStringLiteral("\\Suoni\\") +
                m_data.field(Field::Suoni).value_or(QString()) + QStringLiteral(".MP3");
    PercFilmato = PercApp + QStringLiteral("\\Filmati\\") +
                  m_data.field(Field::Filmati).value_or(QString()) + QStringLiteral(".wmv");
    // A row without a meaning is still shown, with an empty one.
    SignRec = m_data.field(Field::Significato).value_or(QString());
    ui->PctGrafema->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ui->RiqGrafema->setVisible(true);
    ui->PctGrafema->setPixmap(pictureOrError(PercGrafema));
}

void FrmMain::CmdNewGraf_Click() {
    try {
        SvuotaCampi();
        // The level cannot reach past the table's end.
        const int levelSize = std::min(UpperRec, CountRec);
        if (ui->MnuRnd->isChecked()) {
            AnimazioneDragon();
            if (m_shuttingDown)
                return;
            Platform::randomize();
            const float r = Platform::rnd();
            NumRec = static_cast<int>(std::floor(r * static_cast<float>(levelSize)));
            NumRec = std::clamp(NumRec, 0, levelSize - 1);
            SelezionaRecord();
        } else {
            if (NumRec > levelSize - 1) {
                // Back to the start chosen in the go-to dialog; without one,
                // or with one past this level's end, back to the first.
                bool ok = false;
                const int start = PosStart.toInt(&ok);
                NumRec = (ok && start >= 0 && start <= levelSize - 1) ? start : 0;
            }
            try {
                SelezionaRecord();
            } catch (...) {
                // A broken record must not stop the order on itself.
                ++NumRec;
                throw;
            }
            ++NumRec;
        }
        ui->CmdSnd->setEnabled(true);
        ui->CmdFlm->setEnabled(true);
        ui->CmdMatch->setEnabled(true);
        ui->MnuSlv->setEnabled(true);
        ui->CmdCanc->setEnabled(true);
        ui->MnuCanc->setEnabled(true);
        ui->TxtImmSill->setEnabled(true);
        ui->TxtImmTn->setEnabled(true);
    } catch (const PlatformError& error) {
        Platform::msgBox(QStringLiteral("Errore ") + signedText(error.number()) + u'\n' +
                             error.description(),
                         Platform::vbCritical, QStringLiteral(""));
        MnuCanc_Click();
    } catch (const std::exception& error) {
        // The library's own words (English) only as a detail.
        Platform::msgBox(QStringLiteral("Errore  5\nOperazione non riuscita (%1).")
                             .arg(QString::fromLocal8Bit(error.what())),
                         Platform::vbCritical, QStringLiteral(""));
        MnuCanc_Click();
    }
}

void FrmMain::MnuNew_Click() {
    CmdNewGraf_Click();
}

void FrmMain::CmdMatch_Click() {
    if (m_data.bof())
        return;
    // Shown, then refreshed: nothing is painted in between, and the notes
    // box takes its text only while on show.
    ui->TxtSolSill->setVisible(true);
    ui->TxtSolTn->setVisible(true);
    ui->TxtSolSign->setVisible(true);
    ui->TxtNote->setVisible(true);
    m_data.refreshBound(Field::Sillaba);
    m_data.refreshBound(Field::Tono);
    m_data.refreshBound(Field::Significato);
    m_data.refreshBound(Field::Note);
    setBackground(ui->TxtSolSill, syllableIsRight(ui->TxtSolSill->text(), ui->TxtImmSill->text())
                                      ? RightColor
                                      : WrongColor);
    setBackground(ui->TxtSolTn, toneIsRight(ui->TxtSolTn->text(), ui->TxtImmTn->currentText())
                                    ? RightColor
                                    : WrongColor);
    ui->TxtImmSill->setEnabled(false);
    ui->TxtImmTn->setEnabled(false);
    ui->CmdMatch->setEnabled(false);
    ui->MnuSlv->setEnabled(false);
}

void FrmMain::MnuSlv_Click() {
    CmdMatch_Click();
}

void FrmMain::SvuotaCampi() {
    ui->TxtSolSill->setVisible(false);
    ui->TxtSolTn->setVisible(false);
    ui->TxtSolSign->setVisible(false);
    ui->TxtNote->setVisible(false);
    ui->TxtImmSill->setText(QStringLiteral("(Sillaba)"));
    ui->TxtImmTn->setEditText(QStringLiteral("(Tono)"));
    ui->TxtImmSill->setEnabled(false);
    ui->TxtImmTn->setEnabled(false);
    ui->CmdSnd->setEnabled(false);
    ui->CmdFlm->setEnabled(false);
    setPositionLabel(QString());
    ui->RiqGrafema->setVisible(false);
    // The hidden frame must leave the screen before a blocking animation.
    repaint();
}

void FrmMain::CmdCanc_Click() {
    QStringList missing;
    const QString dragon = PercApp + QStringLiteral("\\grafica\\dragon.gif");
    if (const auto picture = loadPicture(dragon)) {
        ui->PctGrafema->setPixmap(*picture);
    } else {
        ui->PctGrafema->setPixmap(QPixmap());
        missing << objFSO->relativePart(dragon);
    }
    ui->PctGrafema->setFrameStyle(QFrame::NoFrame);
    SvuotaCampi();
    ui->CmdMatch->setEnabled(false);
    ui->CmdCanc->setEnabled(false);
    ui->MnuSlv->setEnabled(false);
    ui->MnuCanc->setEnabled(false);
    m_data.moveFirst();
    reportMissingPictures(missing);
}

void FrmMain::MnuCanc_Click() {
    CmdCanc_Click();
}

void FrmMain::TxtImmTn_Change() {
    if (!toneTextIsBad(ui->TxtImmTn->currentText()))
        return;
    Platform::msgBox(QStringLiteral("Valore non corretto!"), Platform::vbCritical,
                     QStringLiteral("Errore!"));
    ui->TxtImmTn->setEditText(QStringLiteral("(Tono)"));
}

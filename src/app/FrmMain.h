// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/DataControl.h"
#include "platform/FileSystemObject.h"

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>

namespace Ui {
class FrmMain;
}
class FrmGoto;
class FrmInfo;
class FrmPlay;
class QAction;
class QPixmap;

// The main window and the state of a run. Its handlers are defined in the
// folder of the subsystem they belong to (quiz/, appearance/, media/,
// dialogs/); this header shows the whole window at a glance.
class FrmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    // --- Run state (public: the go-to dialog reads and writes it) ---
    int NumRec = 0;
    int UpperRec = 0;
    int CountRec = 0;
    QString PosStart;
    QString Theme;
    QString PercApp;
    std::unique_ptr<FileSystemObject> objFSO;

    // --- Public procedures ---
    // Start-up. Returns false, after telling the learner why, when the
    // character table cannot be opened; the window must then not be shown.
    bool Form_Load();
    void ChngThm(const QString& ColorLine);
    void CmdNewGraf_Click();
    void SelezionaRecord();
    void SvuotaCampi();
    void AnimazioneDragon();

    // The controls by name, for the other windows and the tests.
    Ui::FrmMain& form() { return *ui; }
    DataControl& DataDBCaratteri() { return m_data; }

    // Paths and meaning of the character on show.
    const QString& percGrafema() const { return PercGrafema; }
    const QString& percSuono() const { return PercSuono; }
    const QString& percFilmato() const { return PercFilmato; }
    const QString& signRec() const { return SignRec; }

    // The secondary windows, loaded on first reference; null while not loaded.
    FrmPlay* loadedFrmPlay() const;
    FrmGoto* loadedFrmGoto() const;
    FrmInfo* loadedFrmInfo() const;
    FrmPlay& frmPlay();

    // Colour text "&H…" (blue-green-red order) to a colour; nothing for a
    // text that is not such a number.
    static std::optional<QColor> colorFromText(const QString& colorText);

protected:
    // Form_QueryUnload: closing is never refused.
    void closeEvent(QCloseEvent* event) override;

private:
    // --- Handlers ---
    void CmdMatch_Click();
    void CmdCanc_Click();
    void CmdExit_Click();
    void CmdSnd_Click();
    void CmdFlm_Click();
    void TxtImmTn_Change();
    void MnuNew_Click();
    void MnuSlv_Click();
    void MnuCanc_Click();
    void MnuExit_Click();
    void MnuSeq_Click();
    void MnuRnd_Click();
    void MnuStart_Click();
    void MnuLev1_Click();
    void MnuLev2_Click();
    void MnuSR_Click();
    void MnuLG_Click();
    void MnuLB_Click();
    void MnuCJ_Click();
    void MnuRD_Click();
    void MnuMB_Click();
    void MnuVS_Click();
    void MnuHD_Click();
    void MnuCM_Click();
    void MnuSfd_Click();
    void MnuInfo_Click();

    void connectHandlers();
    // Runs a menu handler with the entry's check mark as it was before the
    // click: the toolkit flips a checkable entry itself, the handlers set
    // their marks on their own.
    void onMenu(QAction* action, void (FrmMain::*handler)());
    void shutdown();
    // One theme entry: all nine marks, then the folder and the colour.
    void applyThemeEntry(QAction* entry, const QString& folder, const QString& colorText);
    // Loads a button picture from `programPath`; a picture that cannot be
    // loaded is added to `missing` and the button keeps the one it had.
    void loadButtonPicture(class QToolButton* button, const QString& programPath,
                           QStringList& missing);
    // "Immagine non trovata:" with one line per path, if any.
    void reportMissingPictures(const QStringList& missing);
    // Loads a picture through the file-system object; nothing when the file
    // is missing or not a picture.
    std::optional<QPixmap> loadPicture(const QString& programPath) const;
    // The same, for the steps whose failure is an error: throws
    // PlatformError 53 (missing file) or 481 (not a picture) naming the path.
    QPixmap pictureOrError(const QString& programPath) const;
    void setPositionLabel(const QString& text);
    // A secondary window stays without an owner, but names this window as
    // its transient parent: a compositor that places windows itself (as on
    // Wayland) then puts it by this one.
    void placeByMain(QWidget& window);

    std::unique_ptr<Ui::FrmMain> ui;
    DataControl m_data;
    QString PercDB;
    QString PercGrafema;
    QString PercSuono;
    QString PercFilmato;
    QString SignRec;

    QPointer<FrmPlay> m_frmPlay;
    QPointer<FrmGoto> m_frmGoto;
    QPointer<FrmInfo> m_frmInfo;
    bool m_shuttingDown = false;
    // The dragon is playing; closing the window meanwhile is put off to the
    // end of the frame on screen.
    bool m_animating = false;
    bool m_exitWanted = false;
    bool m_inToneCheck = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// The dragon animation before a random character, and the dragon poster
// behind the window.
#include "app/FrmMain.h"

#include "platform/Platform.h"
#include "ui_FrmMain.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

// While the dragon plays, what the learner types or clicks in any window is
// dropped, not kept for later: a press made during the animation must not
// start another one when it ends. Ending the program is the one wish that
// is heard; it is carried out when the frame on screen has had its time.
class InputHold : public QObject {
public:
    InputHold(const QAction& exit, const QWidget& exitButton, bool& exitWanted, bool& holding)
        : m_exit(exit), m_exitButton(exitButton), m_exitWanted(exitWanted), m_holding(holding) {
        qApp->installEventFilter(this);
        m_holding = true;
    }
    ~InputHold() override {
        qApp->removeEventFilter(this);
        m_holding = false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress: {
            const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
            if (m_exit.shortcut().matches(pressed) == QKeySequence::ExactMatch)
                m_exitWanted = true;
            // Taken by the widget: no shortcut runs for it.
            event->accept();
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (watched == &m_exitButton)
                m_exitWanted = true;
            return true;
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
        }
    }

private:
    const QAction& m_exit;
    const QWidget& m_exitButton;
    bool& m_exitWanted;
    bool& m_holding;
};

} // namespace

void FrmMain::AnimazioneDragon() {
    ui->RiqGrafema->setVisible(false);
    ui->PctGrafema->setFrameStyle(QFrame::NoFrame);
    ui->PctGrafema->repaint();
    repaint();
    {
        const InputHold hold(*ui->MnuExit, *ui->CmdExit, m_exitWanted, m_animating);
        // Each pause ends at a deadline counted from the first frame on screen,
        // so the time spent loading and painting frames does not add up.
        qint64 first = 0;
        for (int n = 1; n <= 13; ++n) {
            const QString frame =
                PercApp + QStringLiteral("\\Grafica\\Frames\\DF_") + QString::number(n) + ".gif";
            ui->PctGrafema->setPixmap(pictureOrError(frame));
            // Painted now; the pause below lets the window system show it.
            ui->PctGrafema->repaint();
            if (n == 1)
                first = Platform::clockMs();
            Platform::sleep(int(first + 50 * n - Platform::clockMs()));
            if (m_exitWanted)
                break;
        }
    }
    if (m_exitWanted) {
        shutdown();
        return;
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

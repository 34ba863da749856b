#pragma once

#include "app/FrmMain.h"
#include "fixture/AppFolder.h"
#include "fixture/RecordingPlatform.h"
#include "media/FrmPlay.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QToolButton>

#include <memory>

// The main window over a test folder, in table order so that a record can
// be chosen by number.
inline std::unique_ptr<FrmMain> loadQuizWindow() {
    auto window = std::make_unique<FrmMain>();
    if (!window->Form_Load())
        return nullptr;
    window->findChild<QAction*>(QStringLiteral("MnuSeq"))->trigger();
    return window;
}

// Shows record `number` (0-based) as the new-character command does.
inline void showRecord(FrmMain& window, int number) {
    window.NumRec = number;
    window.CmdNewGraf_Click();
}

inline void pressSound(FrmMain& window) {
    window.findChild<QToolButton*>(QStringLiteral("CmdSnd"))->click();
}
inline void pressFilm(FrmMain& window) {
    window.findChild<QToolButton*>(QStringLiteral("CmdFlm"))->click();
}

inline QWidget* playerSurface(FrmPlay& window) {
    return window.findChild<QWidget*>(QStringLiteral("WMPlayer"));
}

// Media windows alive, not counting those waiting for deletion.
inline int mediaWindowCount() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<FrmPlay*>(widget))
            ++count;
    return count;
}

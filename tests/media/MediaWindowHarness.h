#pragma once

#include "app/FrmMain.h"
#include "fixture/AppFolder.h"
#include "media/FrmPlay.h"
#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QToolButton>

#include <memory>
#include <optional>

// Platform services that record message boxes instead of blocking and run
// the program from a test folder.
class RecordingServices : public Platform::Services {
public:
    struct Box {
        QString text;
        int style;
        std::optional<QString> title;
    };
    explicit RecordingServices(QString appFolder) : m_folder(std::move(appFolder)) {
        Platform::setServices(this);
    }
    ~RecordingServices() override { Platform::setServices(nullptr); }

    void msgBox(const QString& text, int style, const std::optional<QString>& title) override {
        boxes.push_back({text, style, title});
    }
    void sleep(int) override {}
    QString appPath() override { return m_folder; }
    void endProgram() override { ++ended; }

    std::vector<Box> boxes;
    int ended = 0;

private:
    QString m_folder;
};

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

// SPDX-License-Identifier: GPL-3.0-or-later
// The quiz window on a real display server, Xvfb for X11 or weston for
// Wayland (tests/desktop/on-display starts it): what reaches the screen is
// checked on a capture of the whole screen, as a learner would see it.
#include "dialogs/FrmGoto.h"
#include "fixture/TestApp.h"
#include "media/FrmPlay.h"
#include "media/TestMedia.h"
#include "ui_FrmMain.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QWindow>

namespace {

// The screen as the display server shows it. Wayland lets no client read
// it: weston hands it to its screenshot tool.
QImage captureScreen() {
    if (QGuiApplication::platformName() != QLatin1String("wayland"))
        return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QTemporaryDir dir;
    QProcess shooter;
    shooter.setWorkingDirectory(dir.path());
    shooter.start("weston-screenshooter", {});
    shooter.waitForFinished(5000);
    const QStringList shots = QDir(dir.path()).entryList({"*.png"});
    return shots.isEmpty() ? QImage() : QImage(dir.filePath(shots.first()));
}

// Where the pixels of exactly `color` lie, and how many there are.
QRect findColor(const QImage& screen, QColor color, int* count = nullptr) {
    QRect found;
    int n = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (screen.pixelColor(x, y) == color)
                found |= QRect(x, y, 1, 1), ++n;
    if (count)
        *count = n;
    return found;
}

// The gap between two rectangles on the screen; 0 when they overlap.
int gap(const QRect& a, const QRect& b) {
    return std::max({0, a.left() - b.right(), b.left() - a.right(), a.top() - b.bottom(),
                     b.top() - a.bottom()});
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    // Every frame is on screen by the end of its pause, in order.
    void dragonFramesReachScreen() {
        LoadedApp app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        app.platform.realSleep = true;
        QList<int> seen;
        app.platform.onSleep = [&] {
            const QImage screen = captureScreen().convertToFormat(QImage::Format_RGB32);
            for (int n = 1; n <= 13; ++n) {
                int count = 0;
                findColor(screen, Fixture::frameColor(n), &count);
                if (count >= 84 * 84)
                    seen << n;
            }
        };
        app.ui().MnuNew->trigger();
        QCOMPARE(seen, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    }

    // Ten impatient presses during the dragon run no second one; Ctrl+U
    // ends the program when the frame on screen has had its time.
    void pressesDuringDragon() {
        LoadedApp app;
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        app.platform.realSleep = true;
        QTimer::singleShot(120, app.window.get(), [&] {
            for (int i = 0; i < 5; ++i) {
                app.newCharacter();
                QTest::keyClick(app.window.get(), Qt::Key_N, Qt::ControlModifier);
            }
        });
        app.ui().MnuNew->trigger();
        QTest::qWait(100);
        QCOMPARE(app.platform.sleeps.size(), size_t(13));
        QElapsedTimer clock;
        QTimer::singleShot(120, app.window.get(), [&] {
            clock.start();
            QTest::keyClick(app.window.get(), Qt::Key_U, Qt::ControlModifier);
        });
        app.ui().MnuNew->trigger();
        QVERIFY2(clock.elapsed() <= 100, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(app.platform.ends, 1);
        QVERIFY(app.platform.sleeps.size() < 13 + 5);
    }

    // The go-to dialog and the film window open by the main window. They
    // name it as their transient parent, which is all a Wayland client can
    // do: there the compositor places windows, and weston 10 puts every new
    // one at random whatever its parent. On X11 their place is checked on
    // the screen: the main window's accent lines and the two windows'
    // own colours.
    void secondaryWindowsByMain() {
        LoadedApp app;
        QDir().mkpath(app.path("Filmati"));
        const QString made = TestMedia::makeFilm(app.path("Filmati/f001.wmv"), {64, 48}, 2);
        QVERIFY2(made.isEmpty(), qPrintable(made));
        app.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
        app.ui().MnuSeq->trigger(); // table order, and the go-to dialog
        QWidget* dialog = app.window->loadedFrmGoto();
        dialog->setStyleSheet("FrmGoto { background: #00ffff }");
        app.newCharacter();
        QTest::mouseClick(app.ui().CmdFlm, Qt::LeftButton);
        QWidget* film = app.window->loadedFrmPlay();
        QVERIFY(film && QTest::qWaitForWindowExposed(film) && QTest::qWaitForWindowExposed(dialog));
        film->setStyleSheet("FrmPlay { background: #ff00ff }");
        for (QWidget* window : {dialog, film})
            QCOMPARE(window->windowHandle()->transientParent(), app.window->windowHandle());
        if (QGuiApplication::platformName() == QLatin1String("wayland"))
            return;
        QTest::qWait(300);
        const QImage screen = captureScreen().convertToFormat(QImage::Format_RGB32);
        const QRect main = findColor(screen, QColor(0xCE, 0, 0));
        const QRect dialogArea = findColor(screen, QColor(0, 255, 255));
        const QRect filmArea = findColor(screen, QColor(255, 0, 255));
        QVERIFY(main.width() > 400 && dialogArea.isValid() && filmArea.isValid());
        QCOMPARE(gap(dialogArea, main), 0);
        QVERIFY2(gap(filmArea, main) <= 40, qPrintable(QString::number(gap(filmArea, main))));
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"

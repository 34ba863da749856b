// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <random>
#include <thread>

namespace Platform {

namespace {

std::mt19937& generator() {
    static std::mt19937 engine{12345u};
    return engine;
}

Services& defaultServices() {
    static Services defaults;
    return defaults;
}

Services* g_active = nullptr;

} // namespace

QString applicationTitle() {
    return QStringLiteral("Tavorin");
}

void Services::msgBox(const QString& text, int style, const std::optional<QString>& title) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0x70) {
    case 16:
        icon = QMessageBox::Critical;
        break;
    case 32:
        icon = QMessageBox::Question;
        break;
    case 48:
        icon = QMessageBox::Warning;
        break;
    case 64:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    // An empty title must stay empty on screen; X11 window titles left
    // empty are filled in with the application's name.
    QString shown = title.value_or(applicationTitle());
    if (shown.isEmpty())
        shown = QStringLiteral(" ");
    QMessageBox box(icon, shown, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void Services::sleep(int milliseconds) {
    if (!QCoreApplication::instance() || QThread::currentThread() != qApp->thread()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(milliseconds, 0)));
        return;
    }
    if (milliseconds <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

qint64 Services::clockMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

void Services::randomize() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    generator().seed(static_cast<std::mt19937::result_type>(now ^ (now >> 32)));
}

float Services::rnd() {
    // 24 random bits over 2^24: every value is exact in a float and the
    // largest is 1 - 2^-24, so 1.0 cannot come out (unlike
    // generate_canonical<float>, which may round up to 1.0).
    const std::uint32_t bits = generator()() >> 8;
    return static_cast<float>(bits) / 16777216.0f;
}

QString Services::appPath() {
    return QCoreApplication::applicationDirPath();
}

void Services::endProgram() {
    QCoreApplication::exit(0);
}

Services& services() {
    return g_active ? *g_active : defaultServices();
}

void setServices(Services* replacement) {
    g_active = replacement;
}

} // namespace Platform

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// The small services the program takes from its operating system: message
// boxes, a blocking sleep, a clock-seeded random source, the application
// folder and the end of the program. Each goes through a replaceable
// `Services` object so that tests can record instead of blocking.
namespace Platform {

// Message-box styles (icon part of the classic style value).
inline constexpr int vbCritical = 16;
inline constexpr int vbInformation = 64;

// The title a box shows when the caller gives none of its own.
QString applicationTitle();

class Services {
public:
    virtual ~Services() = default;
    // Modal, OK only. No title → the application's title; an empty title
    // stays empty.
    virtual void msgBox(const QString& text, int style, const std::optional<QString>& title);
    // Holds the caller for `milliseconds` while the window system is still
    // served: paints and window events go on, so that what was drawn reaches
    // the screen (a compositor hands its buffers back only to a program that
    // listens). What the learner types or clicks meanwhile is the caller's
    // to hold back.
    virtual void sleep(int milliseconds);
    // Milliseconds on a steady clock, for pacing.
    virtual qint64 clockMs();
    virtual void randomize();
    // Uniform single-precision value in [0, 1); never 1.0.
    virtual float rnd();
    // Folder holding the program.
    virtual QString appPath();
    // Ends the program once every window has been unloaded.
    virtual void endProgram();
};

// The services in force; the default ones unless a test installed others.
Services& services();
// Installs `replacement` (not owned); nullptr restores the default services.
void setServices(Services* replacement);

inline void msgBox(const QString& text, int style, const std::optional<QString>& title = {}) {
    services().msgBox(text, style, title);
}
inline void sleep(int milliseconds) {
    services().sleep(milliseconds);
}
inline qint64 clockMs() {
    return services().clockMs();
}
inline void randomize() {
    services().randomize();
}
inline float rnd() {
    return services().rnd();
}
inline QString appPath() {
    return services().appPath();
}
inline void endProgram() {
    services().endProgram();
}

} // namespace Platform

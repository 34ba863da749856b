// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/PlaybinPlayer.h"

#include "media/MediaEngine.h"
#include "media/MediaModulePaths.h"
#include "platform/Platform.h"

#include <QDir>
#include <QLibrary>

namespace {

QStringList g_candidateOverride;
MediaEngineFactory g_factory = nullptr;

// Opens the first module that offers this program's entry point; the
// factory is kept for the rest of the run (the module is never unloaded).
MediaEngineFactory loadFactory(QString& why) {
    if (g_factory)
        return g_factory;
    QStringList tried;
    for (const QString& path : PlaybinPlayer::moduleCandidates()) {
        if (!QFile::exists(path))
            continue;
        QLibrary library(path);
        if (!library.load()) {
            tried << library.errorString();
            continue;
        }
        auto factory = reinterpret_cast<MediaEngineFactory>(library.resolve(MediaEngineEntryPoint));
        if (!factory) {
            // Another version's module: leave it.
            tried << QStringLiteral("%1: versione diversa da quella del programma")
                         .arg(QDir::toNativeSeparators(path));
            library.unload();
            continue;
        }
        g_factory = factory;
        return g_factory;
    }
    if (tried.isEmpty())
        why = QStringLiteral("Il modulo tavorin-media.so non si trova in:\n%1")
                  .arg(PlaybinPlayer::moduleCandidates().join(u'\n'));
    else
        why = tried.join(u'\n');
    return nullptr;
}

} // namespace

QStringList PlaybinPlayer::moduleCandidates() {
    if (!g_candidateOverride.isEmpty())
        return g_candidateOverride;
    // Never the program's own folder: that may be a data folder, and
    // nothing that comes with the data runs.
    QStringList paths;
    for (const QString& path : {QStringLiteral(TAVORIN_MEDIA_MODULE_BUILT),
                                QStringLiteral(TAVORIN_MEDIA_MODULE_INSTALLED)})
        if (!path.isEmpty() && !paths.contains(path))
            paths << path;
    return paths;
}

void PlaybinPlayer::setModuleCandidates(const QStringList& paths) {
    g_candidateOverride = paths;
    g_factory = nullptr;
}

PlaybinPlayer::PlaybinPlayer(QWidget* surface) : MediaPlayer(surface) {
    QString why;
    const MediaEngineFactory factory = loadFactory(why);
    if (!factory) {
        unavailable(why);
        return;
    }
    m_engine.reset(factory(surface));
    m_engine->setUnavailableHandler([this](const QString& text) { unavailable(text); });
    m_engine->setFailedHandler([this] { emit Unplayable(); });
}

PlaybinPlayer::~PlaybinPlayer() = default;

void PlaybinPlayer::unavailable(const QString& why) {
    Platform::msgBox(QStringLiteral("Impossibile avviare il lettore multimediale:\n") + why,
                     Platform::vbCritical);
    Platform::endProgram();
}

void PlaybinPlayer::setURL(const QString& url) {
    m_url = url;
    if (!m_engine)
        return;
    if (url.isEmpty())
        m_engine->close();
    else
        m_engine->open(url);
}

void PlaybinPlayer::play() {
    if (m_engine && !m_url.isEmpty())
        m_engine->play();
}

void PlaybinPlayer::pause() {
    if (m_engine)
        m_engine->pause();
}

int PlaybinPlayer::playState() const {
    return m_engine && !m_url.isEmpty() ? m_engine->playState() : int(wmppsUndefined);
}

void PlaybinPlayer::close() {
    m_url.clear();
    if (m_engine)
        m_engine->close();
}

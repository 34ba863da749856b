// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

// Tiny real media files in the formats of the program's data: a syllable
// spoken by espeak-ng as MP3, a test-pattern film as WMV (ASF with WMV2).
// Each returns an empty text on success, otherwise what went wrong. Paths
// must hold no blanks.
namespace TestMedia {

inline QString run(const QString& program, const QString& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments.split(u' '));
    if (!process.waitForStarted(10000))
        return program + QStringLiteral(" non si avvia: ") + process.errorString();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return program + QStringLiteral(" fallito: ") + QString::fromLocal8Bit(process.readAll());
    return {};
}

// `words` in pinyin, syllables apart by commas, not blanks.
inline QString makeSound(const QString& path, const QString& words) {
    const QString wav = path + QStringLiteral(".wav");
    QString error = run("espeak-ng", QStringLiteral("-v cmn-latn-pinyin -w %1 %2").arg(wav, words));
    if (error.isEmpty())
        error = run("ffmpeg", QStringLiteral("-loglevel error -y -i %1 -c:a libmp3lame -b:a 32k "
                                             "-f mp3 %2")
                                  .arg(wav, path));
    QFile::remove(wav);
    return error;
}

// A moving test pattern of `size` lasting `seconds`.
inline QString makeFilm(const QString& path, QSize size, double seconds) {
    return run("ffmpeg", QStringLiteral("-loglevel error -y -f lavfi -i testsrc=size=%1x%2:rate=10 "
                                        "-t %3 -c:v wmv2 -f asf %4")
                             .arg(size.width())
                             .arg(size.height())
                             .arg(seconds)
                             .arg(path));
}

} // namespace TestMedia

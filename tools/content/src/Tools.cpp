// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tools.h"

#include "StrokeFilm.h"
#include "Tones.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// Fixed encoder settings and no metadata, so the same input gives the same
// bytes on every run.
const QStringList kBitexact = {"-fflags",   "+bitexact",     "-flags",
                               "+bitexact", "-map_metadata", "-1"};

// A little slower than espeak-ng's default, for clear consonants; Praat
// then sets the length of the voiced part.
const QString kSpeechRate = QStringLiteral("130");

// Cuts leading silence, reverses, cuts again and reverses back: ffmpeg's
// silenceremove only trims reliably at the start.
const QString kTrim = QStringLiteral(
    "silenceremove=start_periods=1:start_threshold=-50dB:start_silence=0.02,areverse,"
    "silenceremove=start_periods=1:start_threshold=-50dB:start_silence=0.05,areverse");

} // namespace

bool runTool(const QString& program, const QStringList& arguments, const QByteArray& input,
             QByteArray* output, QString* error, int timeoutMs) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(30000)) {
        *error = QStringLiteral("cannot run %1: %2").arg(program, process.errorString());
        return false;
    }
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        *error = QStringLiteral("%1 did not finish in %2 s").arg(program).arg(timeoutMs / 1000);
        return false;
    }
    const QByteArray out = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("%1 failed (exit %2): %3")
                     .arg(program)
                     .arg(process.exitCode())
                     .arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
        return false;
    }
    if (output)
        *output = out;
    return true;
}

bool runPraat(const QString& script, QByteArray* output, QString* error) {
    QTemporaryDir work;
    const QString path = work.filePath("script.praat");
    QFile file(path);
    if (!work.isValid() || !file.open(QIODevice::WriteOnly) || file.write(script.toUtf8()) < 0) {
        *error = QStringLiteral("cannot write a Praat script to %1").arg(path);
        return false;
    }
    file.close();
    return runTool("praat", {"--no-pref-files", "--no-plugins", "--run", path}, {}, output, error);
}

QString toolVersion(const QString& program, const QStringList& arguments, QString* error) {
    QByteArray output;
    if (!runTool(program, arguments, {}, &output, error, 30000))
        return {};
    return QString::fromLocal8Bit(output).section('\n', 0, 0).trimmed();
}

bool encodeFilms(const QList<QList<QImage>>& films, const QStringList& paths, QString* error) {
    QByteArray raw;
    QStringList branches;
    QString split = QStringLiteral("[0]split=%1").arg(films.size());
    QStringList outputs;
    int start = 0;
    for (int i = 0; i < films.size(); ++i) {
        for (const QImage& frame : films[i]) {
            const QImage rgb = frame.convertToFormat(QImage::Format_RGB888);
            for (int y = 0; y < rgb.height(); ++y)
                raw.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3);
        }
        const int end = start + int(films[i].size());
        split += QStringLiteral("[s%1]").arg(i);
        branches << QStringLiteral("[s%1]trim=start_frame=%2:end_frame=%3,setpts=PTS-STARTPTS[f%1]")
                        .arg(i)
                        .arg(start)
                        .arg(end);
        outputs << "-map" << QStringLiteral("[f%1]").arg(i) << "-c:v"
                << "wmv2"
                << "-q:v"
                << "5"
                << "-pix_fmt"
                << "yuv420p" << kBitexact << "-f"
                << "asf" << paths[i];
        start = end;
    }
    QStringList arguments = {"-v",
                             "error",
                             "-y",
                             "-f",
                             "rawvideo",
                             "-pix_fmt",
                             "rgb24",
                             "-s",
                             QStringLiteral("%1x%2").arg(kFilmWidth).arg(kFilmHeight),
                             "-r",
                             QString::number(kFilmFps),
                             "-i",
                             "-",
                             "-filter_complex",
                             (QStringList{split} + branches).join(';')};
    return runTool("ffmpeg", arguments + outputs, raw, nullptr, error);
}

bool encodeSounds(const QList<Speech>& speeches, const QStringList& paths, QString* error) {
    QTemporaryDir work;
    if (!work.isValid()) {
        *error = QStringLiteral("no temporary folder: %1").arg(work.errorString());
        return false;
    }
    QString script = contourScript();
    QStringList inputs;
    QStringList outputs;
    for (int i = 0; i < speeches.size(); ++i) {
        const QString wave = work.filePath(QStringLiteral("%1.wav").arg(i));
        const QString toned = work.filePath(QStringLiteral("%1-tone.wav").arg(i));
        if (!runTool("espeak-ng",
                     {"-v", "cmn-latn-pinyin", "-s", kSpeechRate, "-w", wave, speeches[i].text}, {},
                     nullptr, error))
            return false;
        script += contourCall(wave, toned, speeches[i].tone) + '\n';
        inputs << "-i" << toned;
        outputs << "-map" << QStringLiteral("%1:a").arg(i) << "-af" << kTrim << "-ac"
                << "1"
                << "-c:a"
                << "libmp3lame"
                << "-b:a"
                << "32k" << kBitexact << "-f"
                << "mp3" << paths[i];
    }
    return runPraat(script, nullptr, error) &&
           runTool("ffmpeg", QStringList{"-v", "error", "-y"} + inputs + outputs, {}, nullptr,
                   error);
}

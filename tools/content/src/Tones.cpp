// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tones.h"

#include "Tools.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

static QString praatResource(const QString& name) {
    Q_INIT_RESOURCE(praat);
    QFile file(":/praat/" + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

namespace {

// The figures a sound must reach. The contours are drawn with a margin above
// these, so that a slip of the resynthesis or the tracker does not fail a
// good sound, while a flat or wrong contour cannot pass.
constexpr double kLevelWobble = 0.5; // tone 1: at most this far from its median
constexpr double kRisingRise = 5.0;  // tone 2
constexpr double kDipFall = 3.0;     // tone 3: down to its low point...
constexpr double kDipRise = 6.0;     // ...and up again
constexpr double kFallingDrop = 8.0; // tone 4
constexpr int kLeastFrames = 5;      // voiced frames: below this no pitch is heard
constexpr double kFrameStep = 0.01;  // seconds between pitch frames
constexpr qsizetype kSmoothing = 5;  // frames in the running median

// Levels are semitones above the bottom of the range: 0 is level 1, 12 is
// level 5, three semitones a level. Tone 3 starts a little above level 2 so
// that its fall is heard before the rise; otherwise it sounds like a late
// tone 2. Tone 3 is the longest, tone 4 the shortest full tone, as in
// isolated syllables; the neutral tone is short and quieter.
const ToneContour kContours[] = {
    {0.40, 0.8, {{0, 12}, {1, 12}}},                      // 1: 55
    {0.42, 0.8, {{0, 6}, {0.3, 5.5}, {1, 12}}},           // 2: 35
    {0.50, 0.8, {{0, 4.5}, {0.4, 0}, {0.55, 0}, {1, 9}}}, // 3: 214
    {0.34, 0.8, {{0, 12}, {0.15, 12}, {1, 0}}},           // 4: 51
    {0.16, 0.5, {{0, 4}, {1, 2.5}}},                      // neutral: short, mid-low
};

QString number(double value) {
    return QString::number(value, 'g', 6);
}

QString praatString(const QString& text) {
    return '"' + QString(text).replace('"', "\"\"") + '"';
}

double median(QList<double> values) {
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool trackChunk(const QStringList& files, QList<PitchTrack>* tracks, QString* error) {
    QString script = measureScript();
    // Praat takes a relative path from the script's folder.
    for (const QString& file : files)
        script += QStringLiteral("@measure: %1, %2\n")
                      .arg(praatString(QFileInfo(file).absoluteFilePath()), number(kFrameStep));
    QByteArray output;
    if (!runPraat(script, &output, error))
        return false;
    const QStringList lines = QString::fromUtf8(output).split('\n', Qt::SkipEmptyParts);
    if (lines.size() != files.size()) {
        *error =
            QStringLiteral("praat measured %1 of %2 sounds").arg(lines.size()).arg(files.size());
        return false;
    }
    for (const QString& line : lines) {
        const QStringList fields = line.split('\t');
        PitchTrack track;
        track.seconds = fields.value(1).toDouble();
        for (qsizetype i = 2; i < fields.size(); ++i) {
            const QStringList frame = fields[i].split(' ');
            track.frames << QPointF(frame.value(0).toDouble(), frame.value(1).toDouble());
        }
        *tracks << track;
    }
    return true;
}

} // namespace

const ToneContour& toneContour(int tone) {
    return kContours[std::clamp(tone, 1, 5) - 1];
}

QString contourScript() {
    return praatResource("contour.praat");
}

QString measureScript() {
    return praatResource("measure.praat");
}

QString contourCall(const QString& wave, const QString& out, int tone) {
    const ToneContour& contour = toneContour(tone);
    QStringList points;
    for (const QPointF& point : contour.points)
        points << number(point.x()) << number(point.y());
    return QStringLiteral("@contour: %1, %2, %3, %4, %5, %6, {%7}")
        .arg(praatString(wave), praatString(out), number(contour.voicedSeconds),
             number(contour.peak), number(kToneKeyHz), number(kToneRangeSemitones),
             points.join(", "));
}

bool trackPitch(const QStringList& files, int jobs, QList<PitchTrack>* tracks, QString* error) {
    tracks->clear();
    if (files.isEmpty())
        return true;
    // Equal shares, none empty: a Praat run costs more than a few sounds.
    const qsizetype share = (files.size() + std::max(1, jobs) - 1) / std::max(1, jobs);
    const int runs = int((files.size() + share - 1) / share);
    std::vector<QList<PitchTrack>> found(runs);
    std::vector<QString> errors(runs);
    std::vector<char> ok(runs, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < runs; ++i)
        threads.emplace_back(
            [&, i] { ok[i] = trackChunk(files.mid(i * share, share), &found[i], &errors[i]); });
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < runs; ++i) {
        if (!ok[i]) {
            *error = errors[i];
            return false;
        }
        *tracks << found[i];
    }
    return true;
}

ContourFigures contourFigures(const PitchTrack& track) {
    ContourFigures figures;
    figures.seconds = track.seconds;
    // Stretches of voicing shorter than a few frames are the bursts of
    // consonants that the tracker takes for voice; no pitch is heard there.
    QList<double> semitones;
    qsizetype stretch = 0;
    for (qsizetype i = 0; i < track.frames.size(); ++i) {
        if (i > 0 && track.frames[i].x() - track.frames[i - 1].x() > 1.5 * kFrameStep) {
            if (semitones.size() - stretch < kLeastFrames)
                semitones.resize(stretch);
            stretch = semitones.size();
        }
        semitones << 12 * std::log2(track.frames[i].y() / 100);
    }
    if (semitones.size() - stretch < kLeastFrames)
        semitones.resize(stretch);
    figures.frames = int(semitones.size());
    const qsizetype n = semitones.size();
    if (n == 0)
        return figures;
    // A running median of five frames. The tracker slips most in the first
    // and last two frames, where the voice starts and stops: the ends take
    // the median of their first or last five frames.
    QList<double> smooth = semitones;
    if (n >= kSmoothing)
        for (qsizetype i = 0; i < n; ++i) {
            const qsizetype from = std::clamp<qsizetype>(i - kSmoothing / 2, 0, n - kSmoothing);
            smooth[i] = median(semitones.mid(from, kSmoothing));
        }
    const double middle = median(smooth);
    const double low = *std::min_element(smooth.cbegin(), smooth.cend());
    for (double value : std::as_const(smooth))
        figures.wobble = std::max(figures.wobble, std::abs(value - middle));
    figures.fall = smooth.first() - low;
    figures.rise = smooth.last() - low;
    figures.drop = smooth.first() - smooth.last();
    return figures;
}

QString figuresText(const ContourFigures& figures) {
    QStringList fields;
    for (double value : {figures.seconds, figures.wobble, figures.fall, figures.rise, figures.drop})
        fields << QString::number(value, 'f', 3);
    fields << QString::number(figures.frames);
    return fields.join(' ');
}

bool parseFigures(const QString& text, ContourFigures* figures) {
    const QStringList fields = text.split(' ');
    if (fields.size() != 6)
        return false;
    bool ok = true;
    double* targets[] = {&figures->seconds, &figures->wobble, &figures->fall, &figures->rise,
                         &figures->drop};
    for (int i = 0; i < 5 && ok; ++i)
        *targets[i] = fields[i].toDouble(&ok);
    if (ok)
        figures->frames = fields[5].toInt(&ok);
    return ok;
}

QString contourFault(int tone, const ContourFigures& figures) {
    auto semitones = [](double value) { return QString::number(value, 'f', 1); };
    if (figures.frames < kLeastFrames)
        return QStringLiteral("%1 voiced frames, too few to hear a tone").arg(figures.frames);
    switch (tone) {
    case 1:
        if (figures.wobble > kLevelWobble)
            return QStringLiteral("tone 1 strays %1 semitones from its level (at most %2)")
                .arg(semitones(figures.wobble), semitones(kLevelWobble));
        break;
    case 2:
        if (figures.rise < kRisingRise)
            return QStringLiteral("tone 2 rises %1 semitones (at least %2)")
                .arg(semitones(figures.rise), semitones(kRisingRise));
        break;
    case 3:
        if (figures.fall < kDipFall || figures.rise < kDipRise)
            return QStringLiteral("tone 3 falls %1 and rises %2 semitones (at least %3 and %4)")
                .arg(semitones(figures.fall), semitones(figures.rise), semitones(kDipFall),
                     semitones(kDipRise));
        break;
    case 4:
        if (figures.drop < kFallingDrop)
            return QStringLiteral("tone 4 falls %1 semitones (at least %2)")
                .arg(semitones(figures.drop), semitones(kFallingDrop));
        break;
    default:
        break;
    }
    return {};
}

QStringList toneFaults(const QList<ToneSound>& sounds, const QList<ContourFigures>& figures,
                       QStringList* summary) {
    QStringList faults;
    QMultiHash<QString, qsizetype> fullTones; // syllable -> sounds in tones 1-4
    for (qsizetype i = 0; i < sounds.size(); ++i) {
        const QString fault = contourFault(sounds[i].tone, figures[i]);
        if (!fault.isEmpty())
            faults << sounds[i].path + ": " + fault;
        if (sounds[i].tone < 5)
            fullTones.insert(sounds[i].syllable, i);
    }
    for (qsizetype i = 0; i < sounds.size(); ++i) {
        if (sounds[i].tone != 5)
            continue;
        for (qsizetype full : fullTones.values(sounds[i].syllable))
            if (figures[i].seconds >= figures[full].seconds)
                faults << QStringLiteral("%1: the neutral tone lasts %2 s, not less than %3 (%4 s)")
                              .arg(sounds[i].path)
                              .arg(figures[i].seconds, 0, 'f', 2)
                              .arg(sounds[full].path)
                              .arg(figures[full].seconds, 0, 'f', 2);
    }

    summary->clear();
    QMap<int, QList<qsizetype>> byTone;
    for (qsizetype i = 0; i < sounds.size(); ++i)
        byTone[sounds[i].tone] << i;
    for (auto it = byTone.cbegin(); it != byTone.cend(); ++it) {
        auto spread = [&](double ContourFigures::*figure, int decimals) {
            QList<double> values;
            for (qsizetype i : it.value())
                values << figures[i].*figure;
            std::sort(values.begin(), values.end());
            return QStringLiteral("%1/%2/%3")
                .arg(values.first(), 0, 'f', decimals)
                .arg(median(values), 0, 'f', decimals)
                .arg(values.last(), 0, 'f', decimals);
        };
        QString shape;
        switch (it.key()) {
        case 1:
            shape = "level within +-" + spread(&ContourFigures::wobble, 1) + " st";
            break;
        case 2:
            shape = "rises " + spread(&ContourFigures::rise, 1) + " st";
            break;
        case 3:
            shape = "falls " + spread(&ContourFigures::fall, 1) + " st, rises " +
                    spread(&ContourFigures::rise, 1) + " st";
            break;
        case 4:
            shape = "falls " + spread(&ContourFigures::drop, 1) + " st";
            break;
        default:
            shape = "neutral";
            break;
        }
        *summary << QStringLiteral("tone %1 (%2 sounds): %3, %4 s")
                        .arg(it.key())
                        .arg(it.value().size())
                        .arg(shape, spread(&ContourFigures::seconds, 2));
    }
    return faults;
}

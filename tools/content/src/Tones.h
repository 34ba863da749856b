// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

// espeak-ng says a Mandarin syllable with clear segments but nearly flat
// tones. Praat resynthesises each syllable with the contour of its tone, and
// the builder measures the finished sounds with Praat's pitch analysis.

// Pitch at the top of the range (level 5 of the five tone levels) and the
// span down to level 1.
constexpr double kToneKeyHz = 150.0;
constexpr double kToneRangeSemitones = 12.0;

struct ToneContour {
    double voicedSeconds = 0; // the voiced part is stretched or shrunk to this
    double peak = 0;          // peak amplitude of the finished sound
    // (share of the voiced part from 0 to 1, semitones above the bottom of
    // the range), joined by straight lines in semitones
    QList<QPointF> points;
};

// Tones 1-4 and 5 for the neutral tone.
const ToneContour& toneContour(int tone);

// Praat procedures: "@contour" resynthesises one syllable, "@measure" tracks
// the pitch of one sound.
QString contourScript();
QString measureScript();

// The call that gives the syllable in `wave` the contour of `tone` and
// writes it to `out`; it follows contourScript() in one Praat run.
QString contourCall(const QString& wave, const QString& out, int tone);

// The voiced frames of one sound as Praat's pitch analysis finds them.
struct PitchTrack {
    double seconds = 0;
    QList<QPointF> frames; // (seconds, Hz)
};

// Tracks the pitch of each file, in up to `jobs` Praat runs at a time.
bool trackPitch(const QStringList& files, int jobs, QList<PitchTrack>* tracks, QString* error);

// A contour reduced to the figures that tell the tones apart, in semitones.
// Single-frame slips of the tracker are smoothed out first.
struct ContourFigures {
    double seconds = 0; // the whole sound
    double wobble = 0;  // farthest distance from the median pitch
    double fall = 0;    // from the start down to the lowest point
    double rise = 0;    // from the lowest point up to the end
    double drop = 0;    // from the start to the end
    int frames = 0;     // voiced frames
};
ContourFigures contourFigures(const PitchTrack& track);

// Figures as one line of text and back, so that a build can keep them.
QString figuresText(const ContourFigures& figures);
bool parseFigures(const QString& text, ContourFigures* figures);

// Empty when the figures hold the contour of `tone`, else what is wrong.
QString contourFault(int tone, const ContourFigures& figures);

struct ToneSound {
    QString path; // as named in messages
    QString syllable;
    int tone = 0;
};

// Checks every sound's contour, and that a neutral-tone sound is shorter
// than the same syllable in every full tone among `sounds`. Returns one line
// per fault; `summary` gets the least, median and greatest figures per tone.
QStringList toneFaults(const QList<ToneSound>& sounds, const QList<ContourFigures>& figures,
                       QStringList* summary);

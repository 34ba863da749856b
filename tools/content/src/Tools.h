// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// Runs an external program, feeding `input` to its standard input. Returns
// false with a message that carries the program's own error output when it
// cannot start, times out or exits non-zero.
bool runTool(const QString& program, const QStringList& arguments, const QByteArray& input,
             QByteArray* output, QString* error, int timeoutMs = 120000);

// Runs a Praat script without a display and without the user's preferences
// and plugins, which could change the result; `output` gets what the script
// prints.
bool runPraat(const QString& script, QByteArray* output, QString* error);

// First line of `program --version` style output; empty and `error` set when
// the program is missing. Used to notice a tool update that must rebuild.
QString toolVersion(const QString& program, const QStringList& arguments, QString* error);

// Encodes films of RGB frames as WMV2 in ASF containers at kFilmFps, one
// file per entry of `paths`. One ffmpeg run serves them all: starting ffmpeg
// costs more than encoding a short film. Each file is the same as when
// encoded alone.
bool encodeFilms(const QList<QList<QImage>>& films, const QStringList& paths, QString* error);

// One syllable to say: pinyin with tone number for espeak-ng, and the tone
// whose contour Praat lays over it.
struct Speech {
    QString text;
    int tone = 0;
};

// Speaks each of `speeches` with espeak-ng's pinyin voice, gives it the
// contour of its tone with Praat, trims the silence at both ends and writes
// an MP3 to the path of the same index: one Praat and one ffmpeg run for all.
bool encodeSounds(const QList<Speech>& speeches, const QStringList& paths, QString* error);

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

// First line of `program --version` style output; empty and `error` set when
// the program is missing. Used to notice a tool update that must rebuild.
QString toolVersion(const QString& program, const QStringList& arguments, QString* error);

// Encodes films of RGB frames as WMV2 in ASF containers at kFilmFps, one
// file per entry of `paths`. One ffmpeg run serves them all: starting ffmpeg
// costs more than encoding a short film. Each file is the same as when
// encoded alone.
bool encodeFilms(const QList<QList<QImage>>& films, const QStringList& paths, QString* error);

// Speaks each of `speeches` (pinyin with tone number) with espeak-ng's pinyin
// voice, a little slower than its default, trims the silence at both ends and writes an MP3 to the
// path of the same index, with one ffmpeg run for all.
bool encodeSounds(const QStringList& speeches, const QStringList& paths, QString* error);

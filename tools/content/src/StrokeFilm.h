// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>

// Strokes of one character in the 1024x1024 box of the stroke data, y
// pointing down (the data's flipped y already undone).
struct StrokeData {
    QList<QPainterPath> outlines;
    QList<QPolygonF> medians;
};

// Parses an SVG path made of absolute M, L, Q, C and Z commands, as the
// stroke data writes them. Coordinates are taken as they stand.
bool parseSvgPath(const QString& text, QPainterPath* path, QString* error);

// Reads one character's stroke JSON ("strokes": SVG paths, "medians": point
// lists) and maps it with translate(0, 900) scale(1, -1).
bool parseStrokeData(const QByteArray& json, StrokeData* data, QString* error);

inline constexpr int kFilmWidth = 180;
inline constexpr int kFilmHeight = 150;
inline constexpr int kFilmFps = 10;

// The frames of a stroke-order film: the grey shadow of the character on a
// guide grid, then each stroke growing along its median in colour, finished
// strokes in ink, and the whole character held for about a second.
QList<QImage> renderStrokeFilm(const StrokeData& data);

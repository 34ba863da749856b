// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

// Writes a QImage as a single-frame GIF with giflib (Qt reads GIF but cannot
// write it). Colours are reduced to a 256-entry palette; a fully transparent
// pixel becomes the GIF's transparent colour. Returns false and sets `error`
// when the file cannot be written.
bool writeGif(const QImage& image, const QString& path, QString* error = nullptr);

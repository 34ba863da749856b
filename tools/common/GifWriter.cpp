// SPDX-License-Identifier: GPL-3.0-or-later
#include "GifWriter.h"

#include <QFile>
#include <QHash>

#include <gif_lib.h>

#include <vector>

namespace {

// An exact palette when the picture has at most 256 colours (the usual case
// for flat art); otherwise Qt's quantisation with error diffusion. Pixels
// less than half opaque become the transparent colour.
QImage toIndexed(const QImage& source, int* transparentIndex) {
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    *transparentIndex = -1;
    QHash<QRgb, int> indexOf;
    QList<QRgb> table;
    bool fits = true;
    for (int y = 0; y < argb.height() && fits; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = qAlpha(line[x]) < 128 ? qRgba(0, 0, 0, 0) : (line[x] | 0xFF000000u);
            if (indexOf.contains(pixel))
                continue;
            if (table.size() == 256) {
                fits = false;
                break;
            }
            indexOf.insert(pixel, static_cast<int>(table.size()));
            table.append(pixel);
        }
    }
    if (fits) {
        QImage indexed(argb.size(), QImage::Format_Indexed8);
        indexed.setColorTable(table);
        for (int y = 0; y < argb.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            uchar* out = indexed.scanLine(y);
            for (int x = 0; x < argb.width(); ++x) {
                const QRgb pixel = qAlpha(in[x]) < 128 ? qRgba(0, 0, 0, 0) : (in[x] | 0xFF000000u);
                out[x] = static_cast<uchar>(indexOf.value(pixel));
            }
        }
        *transparentIndex = static_cast<int>(table.indexOf(qRgba(0, 0, 0, 0)));
        return indexed;
    }
    // Many colours: keep one entry free for transparency, if any is needed.
    QImage flat = argb.convertToFormat(QImage::Format_RGB32);
    QImage indexed = flat.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
    bool anyTransparent = false;
    for (int y = 0; y < argb.height() && !anyTransparent; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            anyTransparent = anyTransparent || qAlpha(line[x]) < 128;
    }
    if (anyTransparent) {
        QList<QRgb> colours = indexed.colorTable();
        const int free = colours.size() < 256 ? static_cast<int>(colours.size()) : 255;
        if (colours.size() < 256)
            colours.append(qRgba(0, 0, 0, 0));
        else
            colours[255] = qRgba(0, 0, 0, 0);
        indexed.setColorTable(colours);
        for (int y = 0; y < argb.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            uchar* out = indexed.scanLine(y);
            for (int x = 0; x < argb.width(); ++x)
                if (qAlpha(in[x]) < 128)
                    out[x] = static_cast<uchar>(free);
        }
        *transparentIndex = free;
    }
    return indexed;
}

int appendBytes(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

} // namespace

bool writeGif(const QImage& image, const QString& path, QString* error) {
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (image.isNull())
        return fail(QStringLiteral("immagine vuota"));

    int transparent = -1;
    const QImage indexed = toIndexed(image, &transparent);
    QList<QRgb> table = indexed.colorTable();
    int colours = 2;
    int bits = 1;
    while (colours < table.size()) {
        colours *= 2;
        ++bits;
    }
    std::vector<GifColorType> palette(colours);
    for (int i = 0; i < table.size(); ++i)
        palette[i] = GifColorType{static_cast<GifByteType>(qRed(table[i])),
                                  static_cast<GifByteType>(qGreen(table[i])),
                                  static_cast<GifByteType>(qBlue(table[i]))};

    // Encode into memory, then write the file the ordinary way (giflib's own
    // file opening makes owner-only files).
    QByteArray bytes;
    int gifError = 0;
    GifFileType* gif = EGifOpen(&bytes, appendBytes, &gifError);
    if (!gif)
        return fail(QString::fromUtf8(GifErrorString(gifError)));

    ColorMapObject* map = GifMakeMapObject(colours, palette.data());
    bool ok = map != nullptr;
    // Transparency needs a GIF89a extension block.
    EGifSetGifVersion(gif, transparent >= 0);
    ok = ok && EGifPutScreenDesc(gif, indexed.width(), indexed.height(), bits, 0, map) == GIF_OK;
    if (ok && transparent >= 0) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        gcb.UserInputFlag = false;
        gcb.DelayTime = 0;
        gcb.TransparentColor = transparent;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&gcb, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
             GIF_OK;
    }
    ok = ok &&
         EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < indexed.height(); ++y) {
        auto* line = const_cast<GifPixelType*>(indexed.constScanLine(y));
        ok = EGifPutLine(gif, line, indexed.width()) == GIF_OK;
    }
    const int lastError = gif->Error;
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &gifError) != GIF_OK)
        ok = false;
    if (!ok)
        return fail(QString::fromUtf8(GifErrorString(lastError ? lastError : gifError)));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return fail(file.errorString());
    return true;
}

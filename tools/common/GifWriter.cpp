#include "GifWriter.h"

#include <QFile>
#include <QHash>

#include <gif_lib.h>

#include <vector>

namespace {

// Median-cut free palette: Qt's own conversion to Indexed8 does the
// quantisation (with dithering off, so art keeps flat areas flat).
QImage toIndexed(const QImage& source, int* transparentIndex) {
    QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    bool hasTransparency = false;
    for (int y = 0; y < argb.height() && !hasTransparency; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) < 128) {
                hasTransparency = true;
                break;
            }
        }
    }
    QImage indexed = argb.convertToFormat(QImage::Format_Indexed8,
                                          Qt::ThresholdDither | Qt::ThresholdAlphaDither |
                                              Qt::AvoidDither | Qt::PreferDither);
    *transparentIndex = -1;
    if (hasTransparency) {
        QList<QRgb> table = indexed.colorTable();
        for (int i = 0; i < table.size(); ++i) {
            if (qAlpha(table[i]) < 128) {
                *transparentIndex = i;
                break;
            }
        }
    }
    return indexed;
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

    int gifError = 0;
    GifFileType* gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &gifError);
    if (!gif)
        return fail(QString::fromUtf8(GifErrorString(gifError)));

    ColorMapObject* map = GifMakeMapObject(colours, palette.data());
    bool ok = map != nullptr;
    if (ok && transparent >= 0) {
        EGifSetGifVersion(gif, true);
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
    ok = ok && EGifPutScreenDesc(gif, indexed.width(), indexed.height(), bits, 0, map) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr) ==
                   GIF_OK;
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
    return true;
}

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

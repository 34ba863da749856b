// SPDX-License-Identifier: GPL-3.0-or-later
#include "Art.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

namespace {
const QString kKaiFamily = QStringLiteral("AR PL UKai CN");
} // namespace

bool loadKaiFont(QFont* font, QByteArray* fingerprint, QString* error) {
    if (!QFontDatabase::families().contains(kKaiFamily)) {
        *error = QStringLiteral("font \"%1\" is not installed (Debian package fonts-arphic-ukai)")
                     .arg(kKaiFamily);
        return false;
    }
    QFont kai(kKaiFamily);
    kai.setPixelSize(64);
    kai.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
    const QRawFont raw = QRawFont::fromFont(kai);
    if (!raw.isValid() || raw.familyName() != kKaiFamily) {
        *error = QStringLiteral("font \"%1\" cannot be loaded").arg(kKaiFamily);
        return false;
    }
    *font = kai;
    *fingerprint = raw.fontTable("head");
    return true;
}

bool kaiHasCharacter(const QFont& font, const QString& character) {
    const auto codes = character.toUcs4();
    return codes.size() == 1 && QRawFont::fromFont(font).supportsCharacter(codes.first());
}

QImage renderCharacterPicture(const QString& character, const QFont& kai, int scale) {
    const int side = kPictureSide * scale;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(QColor(255, 254, 250));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // The outline is taken at the size it is drawn, so a larger picture gets
    // the font's own detail.
    QFont font = kai;
    font.setPixelSize(68 * scale);
    QPainterPath glyph;
    glyph.addText(0, 0, font, character);
    // Centre the ink, not the em box: Kai glyphs sit unevenly in theirs.
    const QRectF ink = glyph.boundingRect();
    const double limit = side - 12.0 * scale;
    const double fit = std::min(1.0, limit / std::max(ink.width(), ink.height()));
    painter.translate(side / 2.0, side / 2.0);
    painter.scale(fit, fit);
    painter.translate(-ink.center());
    painter.fillPath(glyph, QColor(22, 20, 18));
    return image;
}

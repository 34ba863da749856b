// SPDX-License-Identifier: GPL-3.0-or-later
#include "Art.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QtMath>

#include <algorithm>
#include <climits>

namespace {

QPainterPath stroked(const QPainterPath& line, double width, Qt::PenCapStyle cap = Qt::RoundCap) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line).simplified();
}

QPainterPath star(QPointF centre, double outer, double inner, int points, double turn = 0) {
    QPolygonF polygon;
    for (int i = 0; i < points * 2; ++i) {
        const double angle = turn + M_PI * i / points - M_PI / 2;
        const double r = i % 2 ? inner : outer;
        polygon << centre + QPointF(r * std::cos(angle), r * std::sin(angle));
    }
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    return path;
}

QPainterPath arrowArc(QPointF centre, double radius, double fromDeg, double spanDeg) {
    QPainterPath arc;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    arc.arcMoveTo(box, fromDeg);
    arc.arcTo(box, fromDeg, spanDeg);
    QPainterPath shape = stroked(arc, 3.4, Qt::FlatCap);
    // Arrow head at the end of the arc, pointing along it.
    const double end = qDegreesToRadians(fromDeg + spanDeg);
    const QPointF tip(centre.x() + radius * std::cos(end), centre.y() - radius * std::sin(end));
    const QPointF radial(std::cos(end), -std::sin(end));
    const QPointF along =
        spanDeg > 0 ? QPointF(-radial.y(), radial.x()) * -1.0 : QPointF(-radial.y(), radial.x());
    QPolygonF head;
    head << tip + radial * 4.6 << tip - radial * 4.6 << tip + along * 5.2;
    QPainterPath headPath;
    headPath.addPolygon(head);
    headPath.closeSubpath();
    return shape.united(headPath);
}

// Each picture as one filled shape in a 32x32 box, ink from about 4 to 28.
QPainterPath iconShape(const QString& name) {
    QPainterPath shape;
    if (name == "Wizard") {
        QPainterPath wand;
        wand.moveTo(6, 27);
        wand.lineTo(18, 15);
        shape = stroked(wand, 3.6);
        shape = shape.united(star({21.5, 11}, 7.5, 3.2, 5, 0.2));
        shape = shape.united(star({9, 8}, 3.2, 1.0, 4));
        shape = shape.united(star({26.5, 22}, 2.8, 0.9, 4));
    } else if (name == "Refresh") {
        shape = arrowArc({16, 16}, 9.5, 100, 150).united(arrowArc({16, 16}, 9.5, 280, 150));
    } else if (name == "Trash") {
        QPainterPath body;
        body.moveTo(8.5, 11);
        body.lineTo(23.5, 11);
        body.lineTo(22, 28);
        body.lineTo(10, 28);
        body.closeSubpath();
        QPainterPath grooves;
        for (double x : {12.6, 16.0, 19.4})
            grooves.addRoundedRect(QRectF(x - 0.8, 14, 1.6, 11), 0.8, 0.8);
        shape = body.subtracted(grooves);
        QPainterPath lid;
        lid.addRoundedRect(QRectF(6, 7, 20, 3), 1, 1);
        QPainterPath handle;
        handle.addRoundedRect(QRectF(12.5, 4, 7, 4), 1.5, 1.5);
        QPainterPath hole;
        hole.addRect(QRectF(14.3, 5.6, 3.4, 2.4));
        shape = shape.united(lid).united(handle.subtracted(hole));
    } else if (name == "Close") {
        QPainterPath cross;
        cross.moveTo(8, 8);
        cross.lineTo(24, 24);
        cross.moveTo(24, 8);
        cross.lineTo(8, 24);
        shape = stroked(cross, 5.2);
    } else if (name == "Write") {
        // A brush held at an angle over a written line.
        QPainterPath brush;
        brush.moveTo(26.5, 3.5);
        brush.lineTo(29, 6);
        brush.lineTo(15, 20);
        brush.lineTo(12.5, 17.5);
        brush.closeSubpath();
        QPainterPath tip;
        tip.moveTo(12, 17);
        tip.cubicTo(9, 18, 7.5, 21, 6, 25);
        tip.cubicTo(10, 24, 13.5, 23, 15.5, 20.5);
        tip.closeSubpath();
        QPainterPath line;
        line.moveTo(4, 28.5);
        line.cubicTo(9, 26.5, 13, 30, 18, 28);
        line.cubicTo(21, 27, 24, 28, 27, 28);
        shape = brush.united(tip).united(stroked(line, 2.0));
    } else if (name == "Match") {
        QPainterPath tick;
        tick.moveTo(6, 16.5);
        tick.lineTo(13, 23.5);
        tick.lineTo(26.5, 8.5);
        shape = stroked(tick, 5.0);
    } else if (name == "Sound") {
        QPainterPath speaker;
        speaker.moveTo(4, 12);
        speaker.lineTo(9.5, 12);
        speaker.lineTo(16, 6);
        speaker.lineTo(16, 26);
        speaker.lineTo(9.5, 20);
        speaker.lineTo(4, 20);
        speaker.closeSubpath();
        shape = speaker;
        for (double radius : {5.0, 9.5}) {
            QPainterPath wave;
            const QRectF box(17 - radius, 16 - radius, 2 * radius, 2 * radius);
            wave.arcMoveTo(box, -45);
            wave.arcTo(box, -45, 90);
            shape = shape.united(stroked(wave, 2.3));
        }
    }
    shape.setFillRule(Qt::WindingFill);
    return shape;
}

QPainterPath scaledAbout(const QPainterPath& path, double factor, QPointF centre = {16, 16}) {
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.scale(factor, factor);
    t.translate(-16, -16);
    return t.map(path);
}

QPainterPath roundedBox(QRectF box, double radius) {
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);
    return path;
}

void drawStyled(QPainter& p, const QString& theme, const QColor& accent,
                const QPainterPath& glyph) {
    const QColor dark = accent.darker(150);
    const QColor light = accent.lighter(160);
    if (theme == "SquareRed") { // square tiles
        p.fillRect(QRectF(2, 2, 28, 28), dark);
        p.fillRect(QRectF(3, 3, 26, 26), accent);
        p.fillPath(scaledAbout(glyph, 0.72), Qt::white);
    } else if (theme == "LightGrey") { // flat grey
        p.fillPath(glyph.translated(1, 1), QColor(255, 255, 255, 200));
        p.fillPath(glyph, accent);
    } else if (theme == "LightBlue") { // outlined
        p.fillPath(glyph, QColor(205, 222, 255));
        p.strokePath(glyph, QPen(accent, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    } else if (theme == "CyanJoy") { // rounded glossy
        QRadialGradient ball(QPointF(13, 11), 19);
        ball.setColorAt(0, light);
        ball.setColorAt(0.6, accent);
        ball.setColorAt(1, dark);
        p.setPen(QPen(dark, 1));
        p.setBrush(ball);
        p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
        p.fillPath(scaledAbout(glyph, 0.62), Qt::white);
        QLinearGradient shine(0, 3, 0, 15);
        shine.setColorAt(0, QColor(255, 255, 255, 170));
        shine.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(shine);
        p.drawEllipse(QRectF(6, 3, 20, 12));
    } else if (theme == "RedDanger") { // warning sign
        QPolygonF octagon;
        for (int i = 0; i < 8; ++i) {
            const double a = M_PI / 8 + i * M_PI / 4;
            octagon << QPointF(16 + 15 * std::cos(a), 16 + 15 * std::sin(a));
        }
        QPainterPath sign;
        sign.addPolygon(octagon);
        sign.closeSubpath();
        p.fillPath(sign, accent);
        p.strokePath(scaledAbout(sign, 0.86), QPen(Qt::white, 1.3));
        p.strokePath(sign, QPen(accent.darker(170), 1));
        p.fillPath(scaledAbout(glyph, 0.6), QColor(255, 236, 90));
    } else if (theme == "ModernBlue") { // modern flat with a long shadow
        const QPainterPath tile = roundedBox(QRectF(2, 2, 28, 28), 7);
        p.fillPath(tile, accent);
        const QPainterPath inner = scaledAbout(glyph, 0.66);
        p.save();
        p.setClipPath(tile);
        for (int i = 1; i <= 14; ++i)
            p.fillPath(inner.translated(i * 0.6, i * 0.6), accent.darker(125));
        p.restore();
        p.fillPath(inner, Qt::white);
    } else if (theme == "Vista") { // glassy gradient
        const QPainterPath tile = roundedBox(QRectF(1.5, 1.5, 29, 29), 5);
        QLinearGradient body(0, 1.5, 0, 30.5);
        body.setColorAt(0, light);
        body.setColorAt(0.49, accent.lighter(120));
        body.setColorAt(0.51, accent);
        body.setColorAt(1, dark);
        p.fillPath(tile, body);
        p.strokePath(tile, QPen(dark.darker(130), 1));
        p.strokePath(roundedBox(QRectF(2.5, 2.5, 27, 27), 4), QPen(QColor(255, 255, 255, 110), 1));
        const QPainterPath inner = scaledAbout(glyph, 0.64);
        p.fillPath(inner.translated(0.8, 0.8), QColor(0, 0, 0, 110));
        p.fillPath(inner, Qt::white);
        QLinearGradient shine(0, 2, 0, 16);
        shine.setColorAt(0, QColor(255, 255, 255, 120));
        shine.setColorAt(1, QColor(255, 255, 255, 20));
        p.fillPath(roundedBox(QRectF(3, 3, 26, 12), 4), shine);
    } else if (theme == "HappyDay") { // sunny
        p.fillPath(star({16, 16}, 15.5, 11, 12), QColor(255, 205, 40));
        QRadialGradient sun(QPointF(13, 12), 14);
        sun.setColorAt(0, QColor(255, 190, 60));
        sun.setColorAt(1, accent);
        p.setPen(Qt::NoPen);
        p.setBrush(sun);
        p.drawEllipse(QRectF(4, 4, 24, 24));
        p.fillPath(scaledAbout(glyph, 0.56), Qt::white);
    } else if (theme == "Comix") { // comic burst with a thick black outline
        const QPainterPath burst = star({16, 16}, 15.5, 11.5, 10, 0.15);
        p.fillPath(burst, QColor(255, 232, 60));
        p.strokePath(burst, QPen(Qt::black, 1.2));
        const QPainterPath inner = scaledAbout(glyph, 0.7);
        p.strokePath(inner, QPen(Qt::black, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.fillPath(inner, accent);
    }
}

} // namespace

const QList<Theme>& themes() {
    static const QList<Theme> list = {
        {"SquareRed", QColor(206, 0, 0)}, {"LightGrey", QColor(64, 64, 64)},
        {"LightBlue", QColor(0, 0, 255)}, {"CyanJoy", QColor(0, 207, 206)},
        {"RedDanger", QColor(255, 0, 0)}, {"ModernBlue", QColor(0, 174, 206)},
        {"Vista", QColor(0, 125, 0)},     {"HappyDay", QColor(255, 113, 0)},
        {"Comix", QColor(140, 0, 206)},
    };
    return list;
}

const QStringList& themeIconNames() {
    static const QStringList names = {"Refresh", "Wizard", "Trash", "Close",
                                      "Write",   "Match",  "Sound"};
    return names;
}

QImage flattenForGif(const QImage& argb) {
    QImage image = argb.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(line[x]);
            if (a < 96) {
                line[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            auto mix = [a](int c, int g) { return (c * a + g * (255 - a)) / 255; };
            line[x] = qRgb(mix(qRed(line[x]), kButtonGrey.red()),
                           mix(qGreen(line[x]), kButtonGrey.green()),
                           mix(qBlue(line[x]), kButtonGrey.blue()));
        }
    }
    return image;
}

QImage reducePalette(const QImage& source, int colours) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    auto normal = [](QRgb pixel) { return qAlpha(pixel) < 128 ? 0u : (pixel | 0xFF000000u); };
    QHash<QRgb, int> count;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            ++count[normal(line[x])];
    }
    if (count.size() <= colours)
        return image;
    // Colours that cover areas (flat fills, outlines) stay exact; the
    // remaining entries go to the blends farthest from what is kept, so a
    // ramp keeps its spread. No dithering: it dots flat backgrounds.
    QList<QPair<int, QRgb>> byUse;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        byUse.append({-it.value(), it.key()});
    std::sort(byUse.begin(), byUse.end());
    auto distance = [](QRgb a, QRgb b) {
        if ((qAlpha(a) == 0) != (qAlpha(b) == 0))
            return INT_MAX;
        const int dr = qRed(a) - qRed(b);
        const int dg = qGreen(a) - qGreen(b);
        const int db = qBlue(a) - qBlue(b);
        return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    };
    QList<QRgb> kept;
    int next = 0;
    for (; next < byUse.size() && kept.size() < colours / 2 && -byUse[next].first >= 4; ++next)
        kept << byUse[next].second;
    QList<QRgb> rest;
    QList<int> gap; // distance of each remaining colour to the nearest kept one
    for (int i = next; i < byUse.size(); ++i) {
        rest << byUse[i].second;
        int best = INT_MAX;
        for (const QRgb k : std::as_const(kept))
            best = std::min(best, distance(byUse[i].second, k));
        gap << best;
    }
    while (kept.size() < colours && !rest.isEmpty()) {
        const auto far = std::max_element(gap.cbegin(), gap.cend()) - gap.cbegin();
        const QRgb chosen = rest[far];
        kept << chosen;
        rest.removeAt(far);
        gap.removeAt(far);
        for (int i = 0; i < rest.size(); ++i)
            gap[i] = std::min(gap[i], distance(rest[i], chosen));
    }
    QHash<QRgb, QRgb> nearest;
    for (auto it = count.cbegin(); it != count.cend(); ++it) {
        QRgb best = kept.first();
        int bestDistance = INT_MAX;
        for (const QRgb candidate : std::as_const(kept)) {
            const int d = distance(it.key(), candidate);
            if (d < bestDistance) {
                bestDistance = d;
                best = candidate;
            }
        }
        nearest.insert(it.key(), best);
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = nearest.value(normal(line[x]));
    }
    return image;
}

QImage renderThemeIcon(const QString& theme, const QString& icon, int scale) {
    QColor accent;
    for (const Theme& t : themes())
        if (t.folder == theme)
            accent = t.accent;
    QImage image(kIconSide * scale, kIconSide * scale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    drawStyled(painter, theme, accent, iconShape(icon));
    painter.end();
    return flattenForGif(image);
}

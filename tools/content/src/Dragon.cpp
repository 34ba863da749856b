// SPDX-License-Identifier: GPL-3.0-or-later
#include "Art.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QSvgGenerator>
#include <QtMath>

namespace {

const QColor kScaleRed(214, 46, 34);
const QColor kDeepRed(150, 22, 18);
const QColor kGold(252, 196, 48);
const QColor kGoldDark(214, 140, 20);

struct Spine {
    QPointF point;
    QPointF normal; // points to the dragon's back (up on screen)
    double radius;
};

// The body's centre line from tail (t = 0) to neck (t = 1) in a box of
// about -50..50 by -30..30, waving with `phase`.
Spine spineAt(double t, double phase) {
    auto centre = [phase](double u) {
        const double x = -47 + 58 * u;
        const double y = 7 * std::sin(2 * M_PI * 1.25 * u - phase) * (0.55 + 0.45 * u) + 4 - 6 * u;
        return QPointF(x, y);
    };
    const QPointF p = centre(t);
    const QPointF ahead = centre(std::min(1.0, t + 0.01)) - centre(std::max(0.0, t - 0.01));
    const double length = std::hypot(ahead.x(), ahead.y());
    const QPointF normal(ahead.y() / length, -ahead.x() / length);
    const double radius = 1.2 + 6.3 * std::sin(std::min(1.0, t * 1.35) * M_PI / 2);
    return {p, normal, radius};
}

QPainterPath flame(QPointF base, QPointF direction, double size) {
    const QPointF side(-direction.y(), direction.x());
    QPainterPath path;
    path.moveTo(base - side * size * 0.45);
    path.quadTo(base + direction * size * 0.6 - side * size * 0.3, base + direction * size);
    path.quadTo(base + direction * size * 0.5 + side * size * 0.4, base + side * size * 0.45);
    path.closeSubpath();
    return path;
}

void drawLeg(QPainter& p, const Spine& at, double phase) {
    const QPointF hip = at.point - at.normal * at.radius * 0.4;
    const QPointF knee = hip + QPointF(3 + std::sin(phase) * 1.5, 6);
    const QPointF foot = knee + QPointF(4, 2);
    QPainterPath leg;
    leg.moveTo(hip);
    leg.quadTo(knee, foot);
    p.strokePath(leg, QPen(kDeepRed, 4.2, Qt::SolidLine, Qt::RoundCap));
    p.strokePath(leg, QPen(kScaleRed, 2.8, Qt::SolidLine, Qt::RoundCap));
    for (int c = -1; c <= 1; ++c) {
        QPainterPath claw;
        claw.moveTo(foot);
        claw.lineTo(foot + QPointF(2.4, 0.9 * c + 0.6));
        p.strokePath(claw, QPen(kGold, 1.1, Qt::SolidLine, Qt::RoundCap));
    }
}

void drawHead(QPainter& p, QPointF neck) {
    const QPointF c = neck + QPointF(9, -6);
    // Mane of flames behind the head.
    for (int i = 0; i < 5; ++i) {
        const double a = qDegreesToRadians(150.0 + i * 22);
        const QPointF dir(std::cos(a), -std::sin(a));
        p.fillPath(flame(c + dir * 7, dir, 9), i % 2 ? kGoldDark : kGold);
    }
    // Antlers.
    QPainterPath antler;
    antler.moveTo(c + QPointF(-2, -8));
    antler.cubicTo(c + QPointF(-4, -16), c + QPointF(-10, -17), c + QPointF(-13, -19));
    antler.moveTo(c + QPointF(-5, -14));
    antler.lineTo(c + QPointF(-3, -19));
    antler.moveTo(c + QPointF(3, -8));
    antler.cubicTo(c + QPointF(3, -15), c + QPointF(-1, -18), c + QPointF(-3, -22));
    p.strokePath(antler, QPen(kGoldDark, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.strokePath(antler, QPen(kGold, 1.3, Qt::SolidLine, Qt::RoundCap));

    QPainterPath head;
    head.addEllipse(c, 10.5, 9);
    QPainterPath snout;
    snout.addRoundedRect(QRectF(c.x() + 2, c.y() - 2, 16, 10), 5, 5);
    head = head.united(snout);
    QRadialGradient skin(c + QPointF(-2, -4), 16);
    skin.setColorAt(0, kScaleRed.lighter(125));
    skin.setColorAt(1, kScaleRed);
    p.setPen(QPen(kDeepRed, 1.1));
    p.setBrush(skin);
    p.drawPath(head);

    // Golden jaw with a smile.
    QPainterPath jaw;
    jaw.moveTo(c + QPointF(-3, 6));
    jaw.quadTo(c + QPointF(8, 11), c + QPointF(17.5, 6));
    jaw.quadTo(c + QPointF(9, 8), c + QPointF(-3, 6));
    p.setBrush(kGold);
    p.setPen(QPen(kGoldDark, 0.8));
    p.drawPath(jaw);
    // Rosy cheek, nostril.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 150, 150, 170));
    p.drawEllipse(c + QPointF(1, 4), 2.8, 2);
    p.setBrush(kDeepRed);
    p.drawEllipse(c + QPointF(15, 0.5), 1.1, 0.9);
    // A big friendly eye.
    p.setBrush(Qt::white);
    p.setPen(QPen(kDeepRed, 0.9));
    p.drawEllipse(c + QPointF(2, -3), 4.2, 4.6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 20, 10));
    p.drawEllipse(c + QPointF(3, -2.6), 2.3, 2.7);
    p.setBrush(Qt::white);
    p.drawEllipse(c + QPointF(3.8, -3.6), 0.9, 0.9);
    // Whiskers trailing back.
    QPainterPath whisker;
    whisker.moveTo(c + QPointF(16, 2));
    whisker.cubicTo(c + QPointF(22, -4), c + QPointF(20, -12), c + QPointF(26, -14));
    whisker.moveTo(c + QPointF(15, 5));
    whisker.cubicTo(c + QPointF(22, 10), c + QPointF(22, 16), c + QPointF(28, 16));
    p.strokePath(whisker, QPen(kGoldDark, 1.1, Qt::SolidLine, Qt::RoundCap));
}

// A friendly red and gold dragon facing right, about 100 x 60 units
// around the origin.
void drawDragon(QPainter& p, double phase) {
    const int samples = 64;
    QList<Spine> spine;
    for (int i = 0; i <= samples; ++i)
        spine << spineAt(double(i) / samples, phase);

    // Spikes on the back, drawn first so the body covers their roots.
    for (int i = 4; i < samples - 2; i += 5) {
        const Spine& s = spine[i];
        p.fillPath(flame(s.point + s.normal * s.radius * 0.6, s.normal, s.radius * 0.9 + 1.5),
                   kGold);
    }
    // Tail tuft.
    const QPointF tailDir = spine[0].point - spine[2].point;
    const QPointF tailUnit = tailDir / std::hypot(tailDir.x(), tailDir.y());
    p.fillPath(flame(spine[0].point, tailUnit, 8), kGold);
    p.fillPath(flame(spine[0].point, tailUnit + QPointF(0, -0.6), 6), kGoldDark);

    drawLeg(p, spine[22], phase);
    drawLeg(p, spine[54], phase + 1.5);

    QPolygonF outline;
    for (const Spine& s : spine)
        outline << s.point + s.normal * s.radius;
    for (int i = samples; i >= 0; --i)
        outline << spine[i].point - spine[i].normal * spine[i].radius;
    QPainterPath body;
    body.addPolygon(outline);
    body.closeSubpath();
    p.setPen(QPen(kDeepRed, 1.1));
    p.setBrush(kScaleRed);
    p.drawPath(body);

    // Golden belly and scale marks.
    QPolygonF belly;
    for (const Spine& s : spine)
        belly << s.point - s.normal * s.radius * 0.25;
    for (int i = samples; i >= 0; --i)
        belly << spine[i].point - spine[i].normal * spine[i].radius * 0.92;
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawPolygon(belly);
    for (int i = 3; i < samples; i += 3) {
        const Spine& s = spine[i];
        p.setPen(QPen(kGoldDark, 0.6));
        p.drawLine(s.point - s.normal * s.radius * 0.3, s.point - s.normal * s.radius * 0.9);
        p.setPen(QPen(kDeepRed.lighter(115), 0.7));
        const QPointF m = s.point + s.normal * s.radius * 0.35;
        p.drawArc(QRectF(m.x() - 1.6, m.y() - 1.6, 3.2, 3.2), 200 * 16, 140 * 16);
    }
    drawHead(p, spine.last().point);
}

void drawCloud(QPainter& p, QPointF at, double size, const QColor& colour) {
    QPainterPath cloud;
    cloud.addEllipse(at, size, size * 0.6);
    cloud.addEllipse(at + QPointF(size * 0.8, size * 0.15), size * 0.75, size * 0.45);
    cloud.addEllipse(at + QPointF(-size * 0.8, size * 0.2), size * 0.7, size * 0.4);
    cloud.setFillRule(Qt::WindingFill);
    p.fillPath(cloud.simplified(), colour);
}

QImage greyCanvas(int scale = 1) {
    QImage image(kPictureSide * scale, kPictureSide * scale, QImage::Format_RGB32);
    image.fill(kButtonGrey);
    return image;
}

} // namespace

QImage renderDragonFrame(int index, int scale) {
    const double t = double(index - 1) / (kDragonFrames - 1);
    QImage image = greyCanvas(scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    // Clouds drift the other way for a sense of flight.
    drawCloud(p, QPointF(70 - 30 * t, 18), 9, QColor(214, 214, 214));
    drawCloud(p, QPointF(20 - 30 * t + (t > 0.6 ? 110 : 0), 70), 7, QColor(208, 208, 208));
    p.translate(30 + 24 * t, 45 + 3 * std::sin(2 * M_PI * t));
    p.scale(0.8, 0.8);
    drawDragon(p, 2 * M_PI * t);
    return image;
}

QImage renderDragonPicture(int scale) {
    QImage image = greyCanvas(scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    drawCloud(p, QPointF(18, 72), 8, QColor(212, 212, 212));
    // The flaming pearl the dragon chases.
    QRadialGradient pearl(QPointF(72, 18), 7);
    pearl.setColorAt(0, QColor(255, 255, 230));
    pearl.setColorAt(1, QColor(255, 170, 60));
    p.setPen(Qt::NoPen);
    p.setBrush(pearl);
    p.drawEllipse(QPointF(73, 19), 5.5, 5.5);
    p.translate(40, 46);
    p.scale(0.76, 0.76);
    drawDragon(p, 0.8);
    return image;
}

QImage renderPoster(const QFont& kai, int scale) {
    QImage image(kPosterWidth * scale, kPosterHeight * scale, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    QLinearGradient paper(0, 0, 0, kPosterHeight);
    paper.setColorAt(0, QColor(252, 249, 240));
    paper.setColorAt(1, QColor(244, 236, 220));
    p.fillRect(QRect(0, 0, kPosterWidth, kPosterHeight), paper);
    for (int i = 0; i < 7; ++i)
        drawCloud(p, QPointF(40 + i * 83, 40 + (i * 97) % 280), 26 + (i % 3) * 8,
                  QColor(255, 255, 255, 150));
    QFont font = kai;
    font.setPixelSize(250);
    p.setPen(QColor(200, 60, 40, 16));
    p.setFont(font);
    p.drawText(QRectF(290, 40, 250, 300), Qt::AlignCenter, QStringLiteral("龍"));
    // The dragon goes on a layer of its own first, so that its overlapping
    // parts do not show through one another once it is faded.
    QImage layer(image.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter l(&layer);
        l.setRenderHint(QPainter::Antialiasing);
        l.scale(scale, scale);
        l.translate(262, 196);
        l.scale(4.6, 4.6);
        drawDragon(l, 1.2);
    }
    p.setOpacity(0.2);
    p.resetTransform(); // the layer is already at the picture's size
    p.drawImage(0, 0, layer);
    return image;
}

QImage renderStartPicture(const QFont& kai, int scale) {
    QImage image = greyCanvas(scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    QRadialGradient seal(QPointF(36, 30), 34);
    seal.setColorAt(0, QColor(226, 56, 40));
    seal.setColorAt(1, QColor(170, 20, 16));
    p.setPen(QPen(kGold, 2));
    p.setBrush(seal);
    p.drawEllipse(QPointF(42, 36), 29, 29);
    QFont font = kai;
    font.setPixelSize(42);
    QPainterPath glyph;
    glyph.addText(0, 0, font, QStringLiteral("龙"));
    p.translate(QPointF(42, 36) - glyph.boundingRect().center());
    p.fillPath(glyph, kGold);
    p.resetTransform();
    p.scale(scale, scale);
    p.translate(40, 70);
    p.scale(0.42, 0.42);
    drawDragon(p, 0.5);
    return image;
}

namespace {

// The icon on its 32x32 grid; every size and the SVG are this drawing scaled.
void drawProgramIcon(QPainter& p, const QFont& kai) {
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient tile(0, 0, 0, kIconSide);
    tile.setColorAt(0, QColor(226, 50, 36));
    tile.setColorAt(1, QColor(160, 18, 14));
    p.setPen(QPen(kGoldDark, 1));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);
    QFont font = kai;
    font.setPixelSize(28);
    QPainterPath glyph;
    glyph.addText(0, 0, font, QStringLiteral("龙"));
    p.translate(QPointF(16, 16) - glyph.boundingRect().center());
    p.fillPath(glyph, kGold);
}

} // namespace

QImage renderProgramIcon(const QFont& kai, int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(side / double(kIconSide), side / double(kIconSide));
    drawProgramIcon(p, kai);
    return image;
}

QByteArray programIconSvg(const QFont& kai) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(kIconSide, kIconSide));
    svg.setViewBox(QRect(0, 0, kIconSide, kIconSide));
    // 32 px at the desktop's 96 dpi, the size the drawing is made for.
    svg.setResolution(96);
    svg.setTitle(QStringLiteral("Tavorin"));
    {
        QPainter p(&svg);
        drawProgramIcon(p, kai);
    }
    return buffer.data();
}

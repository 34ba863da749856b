// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Shapes.h"

#include <QPainter>
#include <QtMath>

#include <algorithm>

namespace {

// The painter moved onto the device's pixels, with the widget's rectangle
// there, each edge rounded on its own. The widget is placed by scaling and
// moving only.
struct DevicePixels {
    QRect rect;
    qreal scale = 1;

    DevicePixels(QPainter& painter, const QRect& widgetRect) {
        const QTransform toDevice = painter.deviceTransform();
        const QRectF exact = toDevice.mapRect(QRectF(widgetRect));
        rect = QRect(QPoint(qRound(exact.left()), qRound(exact.top())),
                     QPoint(qRound(exact.right()) - 1, qRound(exact.bottom()) - 1));
        scale = toDevice.m11();
        painter.setWorldTransform(toDevice.inverted());
    }
    // A thickness of `logical` pixels in whole device pixels, at least one:
    // the nearest, or the whole pixels within, which the rounded rectangle
    // always holds.
    int nearest(int logical) const { return std::max(1, qRound(logical * scale)); }
    int within(int logical) const { return std::max(1, qFloor(logical * scale)); }
};

} // namespace

FormSurface::FormSurface(QWidget* parent) : QWidget(parent) {}

void FormSurface::setBackgroundPicture(const QPixmap& picture) {
    m_picture = picture;
    update();
}

void FormSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (m_picture.isNull())
        return;
    // A picture of other pixels than the screen's is scaled smoothly.
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
                          m_picture.devicePixelRatio() != devicePixelRatioF());
    painter.drawPixmap(0, 0, m_picture);
}

ColourShape::ColourShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ColourShape::setColor(const QColor& color) {
    m_color = color;
    update();
}

// Not opaque: at a fractional scale the rounded line may leave a device
// pixel of the widget uncovered, which must show what lies behind.
LineShape::LineShape(QWidget* parent) : ColourShape(parent) {}

void LineShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const DevicePixels device(painter, rect());
    QRect line = device.rect;
    // The line keeps its outer edge, the one facing the nearer side of the
    // window, where the other lines of the frame end too, and the thickness
    // that every line of its width has.
    const QSize outside = parentWidget() ? parentWidget()->size() : size();
    if (width() >= height()) {
        const int thickness = device.within(height());
        if (2 * y() + height() > outside.height())
            line.setTop(line.bottom() + 1 - thickness);
        else
            line.setHeight(thickness);
    } else {
        const int thickness = device.within(width());
        if (2 * x() + width() > outside.width())
            line.setLeft(line.right() + 1 - thickness);
        else
            line.setWidth(thickness);
    }
    painter.fillRect(line, color());
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const DevicePixels device(painter, rect());
    const QRect& box = device.rect;
    const int t = device.nearest(1);
    painter.fillRect(box.left(), box.top(), box.width(), t, color());
    painter.fillRect(box.left(), box.bottom() + 1 - t, box.width(), t, color());
    painter.fillRect(box.left(), box.top() + t, t, box.height() - 2 * t, color());
    painter.fillRect(box.right() + 1 - t, box.top() + t, t, box.height() - 2 * t, color());
}

void PictureBox::paintEvent(QPaintEvent* event) {
    const bool panel = frameShape() == QFrame::Panel && lineWidth() > 0;
    if (devicePixelRatioF() == 1 || !text().isEmpty() ||
        (frameShape() != QFrame::NoFrame && !panel)) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const DevicePixels device(painter, rect());
    QRect inside = device.rect;
    if (panel) {
        // The panel's shadow: dark above and left when sunken, as the label draws it.
        const int t = device.nearest(lineWidth());
        const bool sunken = frameShadow() == QFrame::Sunken;
        const QColor upper = palette().color(sunken ? QPalette::Dark : QPalette::Light);
        const QColor lower = palette().color(sunken ? QPalette::Light : QPalette::Dark);
        const QRect& box = device.rect;
        painter.fillRect(box.left(), box.top(), box.width() - t, t, upper);
        painter.fillRect(box.left(), box.top() + t, t, box.height() - 2 * t, upper);
        painter.fillRect(box.left(), box.bottom() + 1 - t, box.width(), t, lower);
        painter.fillRect(box.right() + 1 - t, box.top(), t, box.height() - t, lower);
        inside.adjust(t, t, -t, -t);
    }
    const QPixmap picture = pixmap();
    if (picture.isNull())
        return;
    // Inside the frame, as the label keeps it.
    painter.setClipRect(inside);
    const QSize size = (picture.deviceIndependentSize() * device.scale).toSize();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, size != picture.size());
    painter.drawPixmap(QRect(inside.topLeft(), size), picture);
}

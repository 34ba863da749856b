// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Shapes.h"

#include <QPainter>

FormSurface::FormSurface(QWidget* parent) : QWidget(parent) {}

void FormSurface::setBackgroundPicture(const QPixmap& picture) {
    m_picture = picture;
    update();
}

void FormSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
}

ColourShape::ColourShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ColourShape::setColor(const QColor& color) {
    m_color = color;
    update();
}

LineShape::LineShape(QWidget* parent) : ColourShape(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LineShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), color());
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(color(), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

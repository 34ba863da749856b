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

LineShape::LineShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LineShape::setColor(const QColor& color) {
    m_color = color;
    update();
}

void LineShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
}

ShapeWidget::ShapeWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeWidget::setColor(const QColor& color) {
    m_color = color;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(m_color, 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// The window's client area: its grey background and, when switched on, a
// background picture drawn at its own size from the top-left corner, behind
// every control (a palette brush would tile it).
class FormSurface : public QWidget {
    Q_OBJECT
public:
    explicit FormSurface(QWidget* parent = nullptr);
    void setBackgroundPicture(const QPixmap& picture);
    const QPixmap& backgroundPicture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

// A drawn shape of one colour that never takes the mouse.
class ColourShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
public:
    explicit ColourShape(QWidget* parent = nullptr);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);

private:
    QColor m_color = Qt::black;
};

// A straight line of the window's frame; the widget's rectangle is the line.
class LineShape : public ColourShape {
    Q_OBJECT
public:
    explicit LineShape(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A rectangle outline one pixel wide, drawn around another control.
class ShapeWidget : public ColourShape {
    Q_OBJECT
public:
    using ColourShape::ColourShape;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QLabel>
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

// Shapes are drawn on the device's pixels: at a fractional scale (1.25,
// 1.5) each edge is rounded to a whole pixel on its own, so that edges that
// neighbouring widgets share meet, and every line keeps one whole thickness.
// At scale 1 that is exactly the widget's rectangle.

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

// The character's picture box: its picture at the top-left corner, inside a
// sunken panel frame or none. At scale 1 the label draws itself; at other
// scales the frame and the picture are placed on whole device pixels (the
// label's own frame lines vary in thickness there), and a picture whose
// pixels do not match the device's is scaled smoothly.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

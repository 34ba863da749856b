// SPDX-License-Identifier: GPL-3.0-or-later
#include "StrokeFilm.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBox = 1024.0;
constexpr double kBaseline = 900.0;
constexpr int kLeadFrames = 3;
constexpr int kHoldFrames = 10;
constexpr int kMaxStrokeFrames = 55; // keeps long characters near six seconds

const QColor kPaper(253, 251, 245);
const QColor kGrid(232, 196, 190);
const QColor kShadow(218, 218, 218);
const QColor kInk(28, 28, 28);
const QColor kCurrent(200, 32, 32);

double polylineLength(const QPolygonF& line) {
    double length = 0;
    for (int i = 1; i < line.size(); ++i)
        length += std::hypot(line[i].x() - line[i - 1].x(), line[i].y() - line[i - 1].y());
    return length;
}

// The first `length` units of a polyline.
QPolygonF polylinePrefix(const QPolygonF& line, double length) {
    QPolygonF prefix;
    if (line.isEmpty())
        return prefix;
    prefix << line.first();
    for (int i = 1; i < line.size() && length > 0; ++i) {
        const QPointF step = line[i] - line[i - 1];
        const double segment = std::hypot(step.x(), step.y());
        if (segment <= length) {
            prefix << line[i];
            length -= segment;
        } else {
            prefix << line[i - 1] + step * (length / segment);
            length = 0;
        }
    }
    return prefix;
}

QTransform boxToFrame() {
    const double side = 140.0;
    const double scale = side / kBox;
    return QTransform(scale, 0, 0, scale, (kFilmWidth - side) / 2.0, (kFilmHeight - side) / 2.0);
}

void drawGuide(QPainter& painter) {
    const QRectF box = boxToFrame().mapRect(QRectF(0, 0, kBox, kBox));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kGrid, 1.2));
    painter.drawRect(box);
    QPen dashed(kGrid, 0.8, Qt::DashLine);
    painter.setPen(dashed);
    painter.drawLine(QPointF(box.center().x(), box.top()), QPointF(box.center().x(), box.bottom()));
    painter.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
    painter.drawLine(box.topLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomLeft());
}

} // namespace

bool parseSvgPath(const QString& text, QPainterPath* path, QString* error) {
    *path = QPainterPath();
    QList<double> numbers;
    QChar command;
    int position = 0;
    auto flush = [&]() -> bool {
        if (command.isNull())
            return numbers.isEmpty();
        const char c = command.toLatin1();
        const int arity = c == 'M' || c == 'L' ? 2 : c == 'Q' ? 4 : c == 'C' ? 6 : 0;
        if (c == 'Z') {
            if (!numbers.isEmpty())
                return false;
            path->closeSubpath();
            return true;
        }
        if (arity == 0 || numbers.isEmpty() || numbers.size() % arity != 0)
            return false;
        for (int i = 0; i < numbers.size(); i += arity) {
            const auto p = [&](int k) { return QPointF(numbers[i + k], numbers[i + k + 1]); };
            if (c == 'M' && i == 0)
                path->moveTo(p(0));
            else if (c == 'M' || c == 'L')
                path->lineTo(p(0));
            else if (c == 'Q')
                path->quadTo(p(0), p(2));
            else
                path->cubicTo(p(0), p(2), p(4));
        }
        numbers.clear();
        return true;
    };
    while (position < text.size()) {
        const QChar ch = text.at(position);
        if (ch.isSpace() || ch == ',') {
            ++position;
        } else if (QStringLiteral("MLQCZ").contains(ch)) {
            if (!flush())
                break;
            command = ch;
            ++position;
        } else {
            int end = position;
            while (end < text.size() && (text.at(end).isDigit() || text.at(end) == '.' ||
                                         text.at(end) == '-' || text.at(end) == 'e'))
                ++end;
            bool ok = false;
            const double value = text.mid(position, end - position).toDouble(&ok);
            if (!ok || end == position) {
                *error = QStringLiteral("unexpected \"%1\" in a stroke path").arg(ch);
                return false;
            }
            numbers << value;
            position = end;
        }
    }
    if (position < text.size() || !flush()) {
        *error = QStringLiteral("malformed %1 command in a stroke path").arg(command);
        return false;
    }
    if (path->isEmpty()) {
        *error = QStringLiteral("empty stroke path");
        return false;
    }
    return true;
}

bool parseStrokeData(const QByteArray& json, StrokeData* data, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        *error =
            QStringLiteral("stroke data is not a JSON object: %1").arg(parseError.errorString());
        return false;
    }
    const QJsonArray strokes = document.object().value("strokes").toArray();
    const QJsonArray medians = document.object().value("medians").toArray();
    if (strokes.isEmpty() || strokes.size() != medians.size()) {
        *error = QStringLiteral("stroke data has %1 strokes and %2 medians")
                     .arg(strokes.size())
                     .arg(medians.size());
        return false;
    }
    const QTransform flip(1, 0, 0, -1, 0, kBaseline);
    *data = StrokeData();
    for (int i = 0; i < strokes.size(); ++i) {
        QPainterPath outline;
        if (!parseSvgPath(strokes.at(i).toString(), &outline, error))
            return false;
        data->outlines << flip.map(outline);
        QPolygonF median;
        for (const QJsonValue& point : medians.at(i).toArray()) {
            const QJsonArray xy = point.toArray();
            if (xy.size() != 2) {
                *error = QStringLiteral("median point of stroke %1 is not a pair").arg(i + 1);
                return false;
            }
            median << QPointF(xy.at(0).toDouble(), xy.at(1).toDouble());
        }
        if (median.size() < 2) {
            *error = QStringLiteral("median of stroke %1 has fewer than two points").arg(i + 1);
            return false;
        }
        data->medians << flip.map(median);
    }
    return true;
}

QList<QImage> renderStrokeFilm(const StrokeData& data) {
    const QTransform toFrame = boxToFrame();
    const int count = int(data.outlines.size());

    // Longer strokes take more frames; a character with many strokes is
    // sped up so that the film stays short.
    QList<int> frames;
    int total = 0;
    for (const QPolygonF& median : data.medians) {
        const int n = std::clamp(int(std::ceil(polylineLength(median) / 170.0)), 2, 5);
        frames << n;
        total += n;
    }
    if (total > kMaxStrokeFrames)
        for (int& n : frames)
            n = std::max(1, int(std::round(n * double(kMaxStrokeFrames) / total)));

    QPainterPath shadow;
    for (const QPainterPath& outline : data.outlines)
        shadow.addPath(outline);
    shadow.setFillRule(Qt::WindingFill);

    QImage base(kFilmWidth, kFilmHeight, QImage::Format_RGB888);
    base.fill(kPaper);
    {
        QPainter painter(&base);
        painter.setRenderHint(QPainter::Antialiasing);
        drawGuide(painter);
        painter.setTransform(toFrame);
        painter.fillPath(shadow, kShadow);
    }

    QList<QImage> film;
    for (int i = 0; i < kLeadFrames; ++i)
        film << base;

    QImage done = base; // strokes already finished, in ink
    for (int s = 0; s < count; ++s) {
        const QPolygonF& median = data.medians[s];
        const double length = polylineLength(median);
        for (int f = 1; f <= frames[s]; ++f) {
            QImage frame = done;
            QPainter painter(&frame);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setTransform(toFrame);
            painter.setClipPath(data.outlines[s]);
            // A pen wide enough to cover the stroke's width wherever the
            // median runs, so the clip gives the stroke's own outline.
            QPen brush(kCurrent, 190, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            painter.setPen(brush);
            const QPolygonF prefix = polylinePrefix(median, length * f / frames[s]);
            if (f == frames[s])
                painter.fillPath(data.outlines[s], kCurrent);
            else
                painter.drawPolyline(prefix);
            painter.end();
            film << frame;
        }
        QPainter painter(&done);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setTransform(toFrame);
        painter.fillPath(data.outlines[s], kInk);
    }
    for (int i = 0; i < kHoldFrames; ++i)
        film << done;
    return film;
}

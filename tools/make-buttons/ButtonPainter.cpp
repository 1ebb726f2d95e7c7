// The drawings of the seven screen buttons (next, previous, browse, zoom all, full screen,
// zoom in, zoom out), 40 x 40 pixels of 24-bit colour on a light background. The program
// itself shows the pictures stored in src/scene/resources/buttons/; this code made them.
#include "ButtonPainter.h"

#include "scene/ButtonArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

const QColor kChevronGreen(46, 160, 67);
const QColor kChevronDark(24, 100, 38);
const QColor kGlassRim(70, 78, 96);
const QColor kHandle(120, 80, 40);
const QColor kScreenBlue(40, 110, 210);

// The light grey-blue background with a soft top-down gradient and a thin frame.
void PaintBackground(QPainter &p) {
    QLinearGradient g(0, 0, 0, kButtonArtSide);
    g.setColorAt(0, QColor(236, 236, 246));
    g.setColorAt(1, QColor(196, 198, 218));
    p.fillRect(QRectF(0, 0, kButtonArtSide, kButtonArtSide), g);
    p.setPen(QPen(QColor(160, 162, 186), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kButtonArtSide - 1, kButtonArtSide - 1));
}

// A thick chevron pointing right (or left when mirrored), green with a dark edge.
void PaintChevron(QPainter &p, bool right) {
    QPainterPath path;
    path.moveTo(12, 7);
    path.lineTo(28, 20);
    path.lineTo(12, 33);
    path.lineTo(12, 25);
    path.lineTo(19, 20);
    path.lineTo(12, 15);
    path.closeSubpath();
    if (!right) {
        QTransform mirror(-1, 0, 0, 1, kButtonArtSide, 0);
        path = mirror.map(path);
    }
    QLinearGradient g(0, 7, 0, 33);
    g.setColorAt(0, kChevronGreen.lighter(130));
    g.setColorAt(1, kChevronGreen);
    p.setBrush(g);
    p.setPen(QPen(kChevronDark, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

// A small framed landscape (sky, sun, hill) with a curved green arrow over it.
void PaintBrowse(QPainter &p) {
    const QRectF frame(6, 14, 26, 20);
    p.setPen(QPen(QColor(90, 90, 100), 1.2));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(frame);
    const QRectF inner = frame.adjusted(2.5, 2.5, -2.5, -2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 200, 245));
    p.drawRect(inner);
    p.setBrush(QColor(250, 210, 60));
    p.drawEllipse(QPointF(inner.left() + 5, inner.top() + 4.5), 2.5, 2.5);
    QPainterPath hill;
    hill.moveTo(inner.left(), inner.bottom());
    hill.cubicTo(inner.left() + 6, inner.top() + 5, inner.left() + 12, inner.top() + 7, inner.right(), inner.top() + 9);
    hill.lineTo(inner.right(), inner.bottom());
    hill.closeSubpath();
    p.setBrush(QColor(80, 150, 70));
    p.drawPath(hill);

    // The arrow: an arc from the upper left over the picture, ending in a head at the right.
    QPainterPath arc;
    arc.moveTo(10, 15);
    arc.cubicTo(14, 3, 26, 2, 31, 9);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kChevronDark, 4.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
    p.setPen(QPen(kChevronGreen.lighter(115), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
    QPainterPath head;
    head.moveTo(35.5, 6);
    head.lineTo(33, 15);
    head.lineTo(26, 9.5);
    head.closeSubpath();
    p.setPen(QPen(kChevronDark, 1));
    p.setBrush(kChevronGreen.lighter(115));
    p.drawPath(head);
}

// A magnifying glass: round lens at centre with radius r, a handle of the given length towards
// the lower right.
void PaintMagnifier(QPainter &p, QPointF centre, double r, double handle = 10) {
    const double a = M_PI / 4;
    const QPointF rim(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    const QPointF end(centre.x() + (r + handle) * std::cos(a), centre.y() + (r + handle) * std::sin(a));
    p.setPen(QPen(kHandle.darker(140), 5.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(rim, end);
    p.setPen(QPen(kHandle, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(rim, end);
    QRadialGradient glass(centre - QPointF(r / 3, r / 3), r * 1.3);
    glass.setColorAt(0, QColor(255, 255, 255));
    glass.setColorAt(1, QColor(170, 205, 235));
    p.setBrush(glass);
    p.setPen(QPen(kGlassRim, 2.4));
    p.drawEllipse(centre, r, r);
}

// A plus or a minus inside the lens.
void PaintSign(QPainter &p, QPointF centre, bool plus) {
    p.setPen(QPen(QColor(30, 60, 150), 2.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(centre - QPointF(4.5, 0), centre + QPointF(4.5, 0));
    if (plus) p.drawLine(centre - QPointF(0, 4.5), centre + QPointF(0, 4.5));
}

// One small arrow whose tip sits at (x, y) near a corner, pointing out of the picture; (dx, dy)
// is the diagonal unit step from the tip inwards.
void PaintCornerArrow(QPainter &p, double x, double y, double dx, double dy) {
    const QPointF tip(x, y);
    p.setPen(QPen(kChevronDark, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(tip + QPointF(2 * dx, 2 * dy), tip + QPointF(7 * dx, 7 * dy));
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip + QPointF(6 * dx, 0));
    head.lineTo(tip + QPointF(0, 6 * dy));
    head.closeSubpath();
    p.setPen(QPen(kChevronDark, 0.8));
    p.setBrush(kChevronGreen);
    p.drawPath(head);
}

// A magnifying glass between four arrows pointing to the corners.
void PaintZoomAll(QPainter &p) {
    PaintCornerArrow(p, 3, 3, 1, 1);
    PaintCornerArrow(p, 37, 3, -1, 1);
    PaintCornerArrow(p, 3, 37, 1, -1);
    PaintCornerArrow(p, 37, 37, -1, -1);
    PaintMagnifier(p, QPointF(18, 18), 6.5, 6);
}

// A monitor with a blue screen and a white diagonal arrow across it.
void PaintFullScreen(QPainter &p) {
    p.setPen(QPen(QColor(70, 70, 80), 1.2));
    p.setBrush(QColor(120, 120, 132));
    p.drawRoundedRect(QRectF(4, 6, 32, 23), 2, 2);
    QLinearGradient g(0, 8, 0, 27);
    g.setColorAt(0, kScreenBlue.lighter(140));
    g.setColorAt(1, kScreenBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(QRectF(6.5, 8.5, 27, 18));
    p.setBrush(QColor(100, 100, 110));
    p.drawRect(QRectF(17, 29, 6, 3));
    p.drawRoundedRect(QRectF(11, 32, 18, 3), 1, 1);
    // The arrow from the lower left to the upper right corner of the screen.
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 23), QPointF(27, 12.5));
    QPainterPath head;
    head.moveTo(30, 10.5);
    head.lineTo(22.5, 11.5);
    head.lineTo(27.5, 18);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(head);
}

QImage PaintButton(int index) {
    QImage image(kButtonArtSide, kButtonArtSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    PaintBackground(p);
    switch (index) {
    case 0: PaintChevron(p, true); break;
    case 1: PaintChevron(p, false); break;
    case 2: PaintBrowse(p); break;
    case 3: PaintZoomAll(p); break;
    case 4: PaintFullScreen(p); break;
    case 5:
        PaintMagnifier(p, QPointF(16, 16), 9.5);
        PaintSign(p, QPointF(16, 16), true);
        break;
    case 6:
        PaintMagnifier(p, QPointF(16, 16), 9.5);
        PaintSign(p, QPointF(16, 16), false);
        break;
    default: break;
    }
    p.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

} // namespace

QImage PaintButtonArt(int index) {
    if (index < 0 || index >= kButtonArtCount)
        return QImage();
    return PaintButton(index);
}

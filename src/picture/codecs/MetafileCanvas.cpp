#include "picture/codecs/MetafileCanvas.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

using namespace gdi;

namespace {

constexpr size_t kMaxSavedStates = 4096;
// Clip paths built from many region rectangles are reduced to their bounding box beyond this,
// so that a hostile file cannot make every clip operation quadratic.
constexpr int kMaxClipElements = 20000;

// Millimetres per logical unit of the metric mapping modes.
double MillimetresPerUnit(int mode) {
    switch (mode) {
    case MM_LOMETRIC: return 0.1;
    case MM_HIMETRIC: return 0.01;
    case MM_LOENGLISH: return 0.254;
    case MM_HIENGLISH: return 0.0254;
    case MM_TWIPS: return 25.4 / 1440.0;
    default: return 0;
    }
}

QPainter::CompositionMode Rop2Mode(int rop2) {
    switch (rop2) {
    case 1: return QPainter::RasterOp_ClearDestination;
    case 2: return QPainter::RasterOp_NotSourceAndNotDestination;
    case 3: return QPainter::RasterOp_NotSourceAndDestination;
    case 4: return QPainter::RasterOp_NotSource;
    case 5: return QPainter::RasterOp_SourceAndNotDestination;
    case 6: return QPainter::RasterOp_NotDestination;
    case 7: return QPainter::RasterOp_SourceXorDestination;
    case 8: return QPainter::RasterOp_NotSourceOrNotDestination;
    case 9: return QPainter::RasterOp_SourceAndDestination;
    case 10: return QPainter::RasterOp_NotSourceXorDestination;
    case 12: return QPainter::RasterOp_NotSourceOrDestination;
    case 14: return QPainter::RasterOp_SourceOrNotDestination;
    case 15: return QPainter::RasterOp_SourceOrDestination;
    case 16: return QPainter::RasterOp_SetDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

QPainter::CompositionMode RopMode(uint32_t rop) {
    switch (rop) {
    case SRCAND: return QPainter::RasterOp_SourceAndDestination;
    case SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
    case SRCINVERT: return QPainter::RasterOp_SourceXorDestination;
    case NOTSRCCOPY: return QPainter::RasterOp_NotSource;
    case SRCERASE: return QPainter::RasterOp_SourceAndNotDestination;
    case NOTSRCERASE: return QPainter::RasterOp_NotSourceAndNotDestination;
    case MERGEPAINT: return QPainter::RasterOp_NotSourceOrDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

// The Symbol font's codes 0x20..0xFF as Unicode (0: no character), so that text set in Symbol
// shows its Greek letters and signs with the fonts we have.
const char16_t kSymbolToUnicode[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7,
    0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x0000,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x20AC, 0x03D2, 0x2032, 0x2264,
    0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9,
    0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3,
    0x23A7, 0x23A8, 0x23A9, 0x23AA, 0x00F0, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x00FF,
};

QString FromSymbolFont(const QString &text) {
    QString out = text;
    for (QChar &ch : out) {
        char16_t c = ch.unicode();
        if (c >= 0xF020 && c <= 0xF0FF)  // symbol fonts' private-use code points
            c = char16_t(c - 0xF000);
        if (c >= 0x20 && c <= 0xFF && kSymbolToUnicode[c - 0x20])
            ch = QChar(kSymbolToUnicode[c - 0x20]);
    }
    return out;
}

double Scale(const QTransform &t) { return std::sqrt(std::fabs(t.determinant())); }

} // namespace

MetafileCanvas::MetafileCanvas(QImage &image, const QTransform &deviceToOutput, QPointF devicePixelsPerMm)
    : image_(image), deviceToOutput_(deviceToOutput), pixelsPerMm_(devicePixelsPerMm) {
    painter_.begin(&image_);
    // Fonts need the application's font database; without one (command-line tools, fuzzers)
    // the text records are skipped.
    textAvailable_ = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

MetafileCanvas::~MetafileCanvas() { painter_.end(); }

QTransform MetafileCanvas::PageTransform() const {
    double sx = 1, sy = 1;
    const int mode = st.mapMode;
    if (const double mm = MillimetresPerUnit(mode); mm > 0) {
        sx = mm * pixelsPerMm_.x();
        sy = -mm * pixelsPerMm_.y();
    } else if (mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC) {
        const double wx = st.windowExt.x(), wy = st.windowExt.y();
        sx = wx != 0 ? st.viewportExt.x() / wx : 1;
        sy = wy != 0 ? st.viewportExt.y() / wy : 1;
        if (sx == 0) sx = 1;
        if (sy == 0) sy = 1;
        if (mode == MM_ISOTROPIC) {
            const double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
    }
    return QTransform(sx, 0, 0, sy, st.viewportOrg.x() - st.windowOrg.x() * sx,
                      st.viewportOrg.y() - st.windowOrg.y() * sy);
}

QTransform MetafileCanvas::LogicalToOutput() const { return st.world * PageTransform() * deviceToOutput_; }

// --- objects ----------------------------------------------------------------------------------

void MetafileCanvas::SetTableSize(size_t n) {
    objects_.clear();
    objects_.resize(std::min<size_t>(n, 65536));
    firstFree_ = 0;
}

int MetafileCanvas::AddObject(const MetafileObject &o) {
    // Every slot below firstFree_ is taken, so a full table costs no search.
    for (size_t i = firstFree_; i < objects_.size(); ++i)
        if (objects_[i].kind == MetafileObject::None) {
            objects_[i] = o;
            firstFree_ = i + 1;
            return int(i);
        }
    firstFree_ = objects_.size();
    return -1;
}

void MetafileCanvas::PutObject(size_t index, const MetafileObject &o) {
    if (index < objects_.size())
        objects_[index] = o;
}

const MetafileObject *MetafileCanvas::Object(size_t index) const {
    return index < objects_.size() && objects_[index].kind != MetafileObject::None ? &objects_[index] : nullptr;
}

void MetafileCanvas::SelectObject(size_t index) {
    const MetafileObject *o = Object(index);
    if (!o)
        return;
    switch (o->kind) {
    case MetafileObject::Pen: st.pen = o->pen; break;
    case MetafileObject::Brush: st.brush = o->brush; break;
    case MetafileObject::Font: st.font = o->font; break;
    case MetafileObject::Region: CombineClip(LogicalRegionToOutput(o->region), RGN_COPY); break;
    default: break;
    }
}

void MetafileCanvas::SelectStockObject(int stock) {
    static const int greys[] = {255, 192, 128, 64, 0};
    if (stock >= 0 && stock <= 4) {
        st.brush = MetafileBrush{};
        st.brush.color = QColor(greys[stock], greys[stock], greys[stock]);
    } else if (stock == 5) {
        st.brush = MetafileBrush{};
        st.brush.style = BS_NULL;
    } else if (stock == 6 || stock == 7) {
        st.pen = MetafilePen{};
        st.pen.color = stock == 6 ? Qt::white : Qt::black;
    } else if (stock == 8) {
        st.pen = MetafilePen{};
        st.pen.style = PS_NULL;
    } else if (stock >= 10 && stock <= 17 && stock != 15) {
        st.font = MetafileFont{};
    }
}

void MetafileCanvas::DeleteObject(size_t index) {
    if (index < objects_.size()) {
        MetafileObject &o = objects_[index];
        o.kind = MetafileObject::None;
        o.brush.pattern = QImage();
        o.region = QRegion();
        firstFree_ = std::min(firstFree_, index);
    }
}

// --- states -----------------------------------------------------------------------------------

void MetafileCanvas::Save() {
    if (saved_.size() < kMaxSavedStates)
        saved_.push_back(st);
}

void MetafileCanvas::Restore(int which) {
    size_t keep;
    if (which < 0) {
        const size_t n = size_t(-int64_t(which));
        if (n > saved_.size())
            return;
        keep = saved_.size() - n;
    } else if (which > 0) {
        if (size_t(which) > saved_.size())
            return;
        keep = size_t(which) - 1;
    } else {
        return;
    }
    st = saved_[keep];
    saved_.resize(keep);
    ApplyClip();
}

// --- painter set-up ---------------------------------------------------------------------------

QPen MetafileCanvas::MakePen() const {
    const MetafilePen &p = st.pen;
    if (p.style == PS_NULL)
        return Qt::NoPen;
    QPen pen(p.color);
    pen.setWidthF(p.cosmetic ? 0 : p.width);
    pen.setCosmetic(p.cosmetic || p.width <= 0);
    switch (p.style) {
    case PS_DASH: pen.setStyle(Qt::DashLine); break;
    case PS_DOT: case PS_ALTERNATE: pen.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
    case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    const int cap = p.capJoin & 0xF00, join = p.capJoin & 0xF000;
    pen.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
    pen.setMiterLimit(st.miterLimit);
    return pen;
}

QBrush MetafileCanvas::MakeBrush(const MetafileBrush &b) const {
    QBrush brush;
    switch (b.style) {
    case BS_NULL: return Qt::NoBrush;
    case BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        brush = QBrush(b.color, b.hatch >= 0 && b.hatch < 6 ? hatches[b.hatch] : Qt::SolidPattern);
        break;
    }
    case BS_PATTERN: case BS_DIBPATTERN: case BS_DIBPATTERNPT:
        if (!b.pattern.isNull()) {
            brush = QBrush(b.pattern);
            break;
        }
        [[fallthrough]];
    default:
        return QBrush(b.color);
    }
    // Hatches and patterns keep to device pixels, as on a Windows device.
    bool ok = false;
    const QTransform inv = painter_.transform().inverted(&ok);
    if (ok)
        brush.setTransform(inv);
    return brush;
}

void MetafileCanvas::Prepare(bool withPen, bool withBrush) {
    painter_.setTransform(LogicalToOutput());
    painter_.setCompositionMode(Rop2Mode(st.rop2));
    painter_.setPen(withPen ? MakePen() : QPen(Qt::NoPen));
    painter_.setBrush(withBrush ? MakeBrush(st.brush) : QBrush(Qt::NoBrush));
    painter_.setBackgroundMode(st.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(st.bkColor);
}

void MetafileCanvas::ApplyClip() {
    painter_.setTransform(QTransform());
    if (st.clip)
        painter_.setClipPath(*st.clip);
    else
        painter_.setClipping(false);
}

// --- drawing ----------------------------------------------------------------------------------

void MetafileCanvas::Shape(const QPainterPath &logical, bool fill, bool stroke) {
    if (pathOpen_) {
        path_.addPath(LogicalToOutput().map(logical));
        return;
    }
    if (st.rop2 == 11)  // R2_NOP
        return;
    Prepare(stroke, fill);
    QPainterPath p = logical;
    p.setFillRule(st.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    painter_.drawPath(p);
}

void MetafileCanvas::LineTo(QPointF p) {
    if (pathOpen_) {
        const QTransform t = LogicalToOutput();
        const QPointF from = t.map(st.current);
        if (path_.elementCount() == 0 || path_.currentPosition() != from)
            path_.moveTo(from);
        path_.lineTo(t.map(p));
    } else {
        QPainterPath path(st.current);
        path.lineTo(p);
        Shape(path, false, true);
    }
    st.current = p;
}

void MetafileCanvas::Polyline(const QPointF *pts, size_t n, bool fromCurrent) {
    if (n == 0)
        return;
    if (fromCurrent) {
        if (pathOpen_) {
            for (size_t i = 0; i < n; ++i)
                LineTo(pts[i]);
            return;
        }
        QPainterPath path(st.current);
        for (size_t i = 0; i < n; ++i)
            path.lineTo(pts[i]);
        st.current = pts[n - 1];
        Shape(path, false, true);
        return;
    }
    QPainterPath path(pts[0]);
    for (size_t i = 1; i < n; ++i)
        path.lineTo(pts[i]);
    Shape(path, false, true);
}

void MetafileCanvas::Polygon(const QPointF *pts, size_t n) {
    if (n == 0)
        return;
    QPainterPath path(pts[0]);
    for (size_t i = 1; i < n; ++i)
        path.lineTo(pts[i]);
    path.closeSubpath();
    Shape(path, true, true);
}

void MetafileCanvas::PolyPolygon(const QPainterPath &polygons) { Shape(polygons, true, true); }
void MetafileCanvas::PolyPolyline(const QPainterPath &lines) { Shape(lines, false, true); }

void MetafileCanvas::PolyBezier(const QPointF *pts, size_t n, bool fromCurrent) {
    size_t i = 0;
    QPainterPath path;
    if (fromCurrent) {
        path.moveTo(st.current);
    } else {
        if (n == 0)
            return;
        path.moveTo(pts[0]);
        i = 1;
    }
    for (; i + 3 <= n; i += 3)
        path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    if (fromCurrent && n >= 3)
        st.current = pts[i - 1];
    if (pathOpen_ && fromCurrent) {
        const QPainterPath out = LogicalToOutput().map(path);
        if (path_.elementCount() == 0 || path_.currentPosition() != out.elementAt(0))
            path_.moveTo(out.elementAt(0));
        path_.connectPath(out);
        return;
    }
    Shape(path, false, true);
}

void MetafileCanvas::Rectangle(const QRectF &r) {
    QPainterPath path;
    path.addRect(r.normalized());
    Shape(path, true, true);
}

void MetafileCanvas::RoundRect(const QRectF &r, QSizeF corner) {
    QPainterPath path;
    path.addRoundedRect(r.normalized(), std::fabs(corner.width()) / 2, std::fabs(corner.height()) / 2);
    Shape(path, true, true);
}

void MetafileCanvas::Ellipse(const QRectF &r) {
    QPainterPath path;
    path.addEllipse(r.normalized());
    Shape(path, true, true);
}

void MetafileCanvas::Arc(ArcKind kind, const QRectF &box, QPointF start, QPointF end, bool toFromCurrent) {
    const QRectF b = box.normalized();
    if (b.width() <= 0 || b.height() <= 0)
        return;
    const QPointF c = b.center();
    const double rx = b.width() / 2, ry = b.height() / 2;
    auto angle = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180.0 / M_PI;
    };
    const double a0 = angle(start), a1 = angle(end);
    double sweep = a1 - a0;
    if (st.arcDirection == 2) {
        while (sweep >= 0) sweep -= 360;
    } else {
        while (sweep <= 0) sweep += 360;
    }
    QPainterPath path;
    if (kind == kPie) {
        path.moveTo(c);
        path.arcTo(b, a0, sweep);
        path.closeSubpath();
    } else {
        if (toFromCurrent) {
            path.moveTo(st.current);
            QPainterPath probe;
            probe.arcMoveTo(b, a0);
            path.lineTo(probe.currentPosition());
        } else {
            path.arcMoveTo(b, a0);
        }
        path.arcTo(b, a0, sweep);
        if (kind == kChord)
            path.closeSubpath();
    }
    if (toFromCurrent)
        st.current = path.currentPosition();
    Shape(path, kind != kArc, true);
}

void MetafileCanvas::SetPixel(QPointF p, QColor c) {
    const QPointF o = LogicalToOutput().map(p);
    painter_.setTransform(QTransform());
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.fillRect(QRectF(std::floor(o.x()), std::floor(o.y()), 1, 1), c);
}

void MetafileCanvas::Text(QPointF p, const QString &text, int options, const QRectF *rect,
                          const std::vector<double> &dx) {
    const QTransform t = LogicalToOutput();
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (rect && (options & ETO_OPAQUE)) {
        painter_.setTransform(t);
        painter_.fillRect(rect->normalized(), st.bkColor);
    }
    if (!textAvailable_ || text.isEmpty() || (options & ETO_GLYPH_INDEX))
        return;
    const bool updateCp = st.textAlign & TA_UPDATECP;
    const QPointF ref = updateCp ? st.current : p;
    const QPointF o = t.map(ref);
    const double sx = std::hypot(t.m11(), t.m12()), sy = std::hypot(t.m21(), t.m22());
    const MetafileFont &lf = st.font;
    double px = lf.height == 0 ? 12 * sy : std::abs(double(lf.height)) * sy * (lf.height > 0 ? 0.85 : 1.0);
    if (!(px >= 1))
        return;  // too small to see (or not a number)
    px = std::min(px, 8192.0);
    QFont font(lf.face.isEmpty() ? QStringLiteral("DejaVu Sans") : lf.face);
    const int family = lf.pitchAndFamily & 0xF0;
    font.setStyleHint(family == 0x10 ? QFont::Serif : family == 0x30 ? QFont::TypeWriter
                      : family == 0x40 ? QFont::Decorative : QFont::SansSerif);
    font.setPixelSize(int(std::lround(px)));
    font.setWeight(QFont::Weight(std::clamp(lf.weight == 0 ? 400 : lf.weight, 1, 1000)));
    font.setItalic(lf.italic);
    font.setUnderline(lf.underline);
    font.setStrikeOut(lf.strikeOut);
    if (lf.width != 0) {
        // The font's average character width, as a stretch of the face we have.
        const double have = QFontMetricsF(font).averageCharWidth();
        if (have > 0)
            font.setStretch(std::clamp(int(std::lround(100 * std::abs(lf.width) * sx / have)), 25, 400));
    }
    const QFontMetricsF fm(font);
    const QString shown = lf.face.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0 ? FromSymbolFont(text) : text;

    double width = 0;
    std::vector<double> advance;
    if (!dx.empty()) {
        advance.reserve(size_t(text.size()));
        for (qsizetype i = 0; i < text.size(); ++i) {
            advance.push_back(size_t(i) < dx.size() ? dx[size_t(i)] * sx : fm.horizontalAdvance(shown[i]));
            width += advance.back();
        }
    } else {
        width = fm.horizontalAdvance(shown);
    }
    double x0 = 0;
    if ((st.textAlign & TA_CENTER) == TA_CENTER)
        x0 = -width / 2;
    else if (st.textAlign & TA_RIGHT)
        x0 = -width;
    double base = fm.ascent();
    if ((st.textAlign & TA_BASELINE) == TA_BASELINE)
        base = 0;
    else if (st.textAlign & TA_BOTTOM)
        base = -fm.descent();
    const double angle = std::atan2(t.m12(), t.m11()) * 180.0 / M_PI - lf.escapement / 10.0;

    if (rect && (options & ETO_CLIPPED)) {
        QPainterPath clip;
        clip.addRect(rect->normalized());
        painter_.setTransform(t);
        painter_.setClipPath(clip, st.clip ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    QTransform g;
    g.translate(o.x(), o.y());
    g.rotate(angle);
    painter_.setTransform(g);
    if (st.bkMode == OPAQUE)
        painter_.fillRect(QRectF(x0, base - fm.ascent(), width, fm.height()), st.bkColor);
    painter_.setFont(font);
    painter_.setPen(st.textColor);
    if (advance.empty()) {
        painter_.drawText(QPointF(x0, base), shown);
    } else {
        double x = x0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            painter_.drawText(QPointF(x, base), QString(shown[i]));
            x += advance[size_t(i)];
        }
    }
    if (rect && (options & ETO_CLIPPED))
        ApplyClip();
    if (updateCp) {
        bool ok = false;
        const QTransform inv = t.inverted(&ok);
        if (ok)
            st.current = inv.map(g.map(QPointF(x0 + width, 0)));
    }
}

void MetafileCanvas::Bitmap(const QRectF &dst, const QImage &image, const QRectF &src, uint32_t rop) {
    if (pathOpen_)
        return;
    QRectF d = dst.normalized();
    // Blits without a source bitmap: the pattern and constant operations; the rest (such as
    // 0xAA0029, which leaves the destination as it is) draw nothing.
    if (image.isNull() || rop == PATCOPY || rop == PATINVERT || rop == BLACKNESS || rop == WHITENESS ||
        rop == DSTINVERT) {
        Prepare(false, false);
        QPainterPath area;
        area.addRect(d);
        if (rop == BLACKNESS || rop == WHITENESS) {
            painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter_.fillPath(area, rop == BLACKNESS ? Qt::black : Qt::white);
        } else if (rop == DSTINVERT) {
            painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
            painter_.fillPath(area, Qt::black);
        } else if ((rop == PATCOPY || rop == PATINVERT) && st.brush.style != BS_NULL) {
            painter_.setCompositionMode(rop == PATINVERT ? QPainter::RasterOp_SourceXorDestination
                                                         : QPainter::CompositionMode_SourceOver);
            painter_.fillPath(area, MakeBrush(st.brush));
        }
        return;
    }
    QImage img = image;
    QRectF s = src;
    const bool mirrorX = dst.width() < 0, mirrorY = dst.height() < 0;
    if (mirrorX || mirrorY) {
        img = image.mirrored(mirrorX, mirrorY);
        if (mirrorX) s.moveLeft(image.width() - s.right());
        if (mirrorY) s.moveTop(image.height() - s.bottom());
    }
    Prepare(false, false);
    painter_.setCompositionMode(img.hasAlphaChannel() ? QPainter::CompositionMode_SourceOver : RopMode(rop));
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, st.stretchMode == 4);
    painter_.drawImage(d, img, s);
}

void MetafileCanvas::FillRegion(const QPainterPath &outputRegion, const MetafileBrush &brush) {
    painter_.setTransform(QTransform());
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.fillPath(outputRegion, MakeBrush(brush));
}

void MetafileCanvas::FillLogical(const QPainterPath &logical, const QBrush &brush) {
    if (pathOpen_)
        return;
    painter_.setTransform(LogicalToOutput());
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.fillPath(logical, brush);
}

QPainterPath MetafileCanvas::LogicalRegionToOutput(const QRegion &r) const {
    QPainterPath p;
    p.addRegion(r);
    return LogicalToOutput().map(p);
}

QPainterPath MetafileCanvas::DeviceRegionToOutput(const QRegion &r) const {
    QPainterPath p;
    p.addRegion(r);
    return deviceToOutput_.map(p);
}

// --- clipping ---------------------------------------------------------------------------------

void MetafileCanvas::IntersectClipRect(const QRectF &r) {
    QPainterPath p;
    p.addRect(r.normalized());
    CombineClip(LogicalToOutput().map(p), RGN_AND);
}

void MetafileCanvas::ExcludeClipRect(const QRectF &r) {
    QPainterPath p;
    p.addRect(r.normalized());
    CombineClip(LogicalToOutput().map(p), RGN_DIFF);
}

void MetafileCanvas::CombineClip(const std::optional<QPainterPath> &region, int mode) {
    if (mode == RGN_COPY || !region) {
        st.clip = region;
    } else {
        QPainterPath all;
        all.addRect(QRectF(0, 0, image_.width(), image_.height()));
        const QPainterPath cur = st.clip ? *st.clip : all;
        QPainterPath next;
        switch (mode) {
        case RGN_AND: next = cur.intersected(*region); break;
        case RGN_OR: next = cur.united(*region); break;
        case RGN_XOR: next = cur.united(*region).subtracted(cur.intersected(*region)); break;
        case RGN_DIFF: next = cur.subtracted(*region); break;
        default: return;
        }
        st.clip = next;
    }
    if (st.clip && st.clip->elementCount() > kMaxClipElements) {
        QPainterPath box;
        box.addRect(st.clip->boundingRect());
        st.clip = box;
    }
    ApplyClip();
}

void MetafileCanvas::OffsetClip(QPointF offset) {
    if (!st.clip)
        return;
    const QTransform t = LogicalToOutput();
    const QPointF d = t.map(offset) - t.map(QPointF(0, 0));
    st.clip->translate(d);
    ApplyClip();
}

// --- paths ------------------------------------------------------------------------------------

void MetafileCanvas::BeginPath() {
    pathOpen_ = true;
    path_ = QPainterPath();
}

void MetafileCanvas::CloseFigure() {
    if (pathOpen_)
        path_.closeSubpath();
}

void MetafileCanvas::FillPath(bool stroke, bool fill) {
    pathOpen_ = false;
    if (path_.isEmpty())
        return;
    const double scale = Scale(LogicalToOutput());
    painter_.setTransform(QTransform());
    painter_.setCompositionMode(Rop2Mode(st.rop2));
    QPen pen = stroke ? MakePen() : QPen(Qt::NoPen);
    if (stroke && !pen.isCosmetic())
        pen.setWidthF(pen.widthF() * scale);
    painter_.setPen(pen);
    painter_.setBrush(fill ? MakeBrush(st.brush) : QBrush(Qt::NoBrush));
    path_.setFillRule(st.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    if (st.rop2 != 11)
        painter_.drawPath(path_);
    path_ = QPainterPath();
}

void MetafileCanvas::SelectClipPath(int mode) {
    pathOpen_ = false;
    path_.setFillRule(st.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    CombineClip(path_, mode);
    path_ = QPainterPath();
}

#include "picture/codecs/EmfPlayer.h"

#include "picture/codecs/MetafileDib.h"
#include "platform/Errors.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace gdi;

// EMF layout (little-endian): a sequence of records, each type u32, size u32 (bytes, header
// included, at least 8), data. The first is the header: bounds (device pixels), frame
// (0.01 mm), " EMF" signature, version, file size, record count, handle count, description,
// palette size, reference device size in pixels and in millimetres. The picture's natural size
// is its frame at 96 dpi; the frame, converted to reference-device pixels, is mapped onto it.
// A record whose counts do not fit its size makes the file invalid: such files are refused
// rather than drawn half-way with guessed data.

namespace {

constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr size_t kMaxPolyPolys = 1 << 20;

[[noreturn]] void Fail() {
    throw OrvantaError(QStringLiteral("Cannot load image. Invalid or unexpected EMF image format."));
}

uint32_t U32(const uint8_t *p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// One record's bytes; every read is checked against the record size.
struct Rec {
    const uint8_t *p;
    size_t size;
    void Need(size_t off, size_t n) const { if (off > size || n > size - off) Fail(); }
    uint32_t U(size_t off) const { Need(off, 4); return U32(p + off); }
    int32_t I(size_t off) const { return int32_t(U(off)); }
    int16_t S(size_t off) const { Need(off, 2); return int16_t(p[off] | (p[off + 1] << 8)); }
    float F(size_t off) const { const uint32_t v = U(off); float f; std::memcpy(&f, &v, 4); return f; }
    QPointF Pt(size_t off) const { return QPointF(I(off), I(off + 4)); }
    QRectF Box(size_t off) const { return QRectF(Pt(off), Pt(off + 8)); }  // left top right bottom
    const uint8_t *Bytes(size_t off, size_t n) const { Need(off, n); return p + off; }
};

enum Type {
    HEADER = 1, POLYBEZIER, POLYGON, POLYLINE, POLYBEZIERTO, POLYLINETO, POLYPOLYLINE, POLYPOLYGON,
    SETWINDOWEXTEX, SETWINDOWORGEX, SETVIEWPORTEXTEX, SETVIEWPORTORGEX, SETBRUSHORGEX, EOF_,
    SETPIXELV, SETMAPPERFLAGS, SETMAPMODE, SETBKMODE, SETPOLYFILLMODE, SETROP2, SETSTRETCHBLTMODE,
    SETTEXTALIGN, SETCOLORADJUSTMENT, SETTEXTCOLOR, SETBKCOLOR, OFFSETCLIPRGN, MOVETOEX,
    SETMETARGN, EXCLUDECLIPRECT, INTERSECTCLIPRECT, SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX, SAVEDC,
    RESTOREDC, SETWORLDTRANSFORM, MODIFYWORLDTRANSFORM, SELECTOBJECT, CREATEPEN,
    CREATEBRUSHINDIRECT, DELETEOBJECT, ANGLEARC, ELLIPSE, RECTANGLE, ROUNDRECT, ARC, CHORD, PIE,
    SELECTPALETTE, CREATEPALETTE, SETPALETTEENTRIES, RESIZEPALETTE, REALIZEPALETTE, EXTFLOODFILL,
    LINETO, ARCTO, POLYDRAW, SETARCDIRECTION, SETMITERLIMIT, BEGINPATH, ENDPATH, CLOSEFIGURE,
    FILLPATH, STROKEANDFILLPATH, STROKEPATH, FLATTENPATH, WIDENPATH, SELECTCLIPPATH, ABORTPATH,
    GDICOMMENT = 70, FILLRGN, FRAMERGN, INVERTRGN, PAINTRGN, EXTSELECTCLIPRGN, BITBLT, STRETCHBLT,
    MASKBLT, PLGBLT, SETDIBITSTODEVICE, STRETCHDIBITS, EXTCREATEFONTINDIRECTW, EXTTEXTOUTA,
    EXTTEXTOUTW, POLYBEZIER16, POLYGON16, POLYLINE16, POLYBEZIERTO16, POLYLINETO16,
    POLYPOLYLINE16, POLYPOLYGON16, POLYDRAW16, CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT,
    EXTCREATEPEN, POLYTEXTOUTA, POLYTEXTOUTW, ALPHABLEND = 114, TRANSPARENTBLT = 116,
    GRADIENTFILL = 118,
};

// GRADIENTFILL: bounds, vertex count, mesh count, mode (0 horizontal rectangles, 1 vertical
// rectangles, 2 triangles), vertices (x, y, 16-bit red, green, blue, alpha), then the mesh.
// Rectangles get a linear gradient; triangles are filled with their vertices' mean colour.
void GradientFill(MetafileCanvas &c, const Rec &r) {
    const uint32_t nv = r.U(24), nm = r.U(28), mode = r.U(32);
    if (nv > r.size / 16 || nm > r.size / 8)
        Fail();
    const size_t meshAt = 36 + size_t(nv) * 16;
    const size_t each = mode == 2 ? 12 : 8;
    r.Need(36, size_t(nv) * 16);
    r.Need(meshAt, size_t(nm) * each);
    auto vertex = [&](uint32_t i, QPointF &p, QColor &col) {
        if (i >= nv)
            return false;
        const size_t at = 36 + size_t(i) * 16;
        p = r.Pt(at);
        col = QColor(r.S(at + 8) >> 8 & 255, r.S(at + 10) >> 8 & 255, r.S(at + 12) >> 8 & 255);
        return true;
    };
    for (uint32_t m = 0; m < nm; ++m) {
        const size_t at = meshAt + size_t(m) * each;
        QPointF p[3];
        QColor col[3];
        const int corners = mode == 2 ? 3 : 2;
        bool ok = true;
        for (int k = 0; k < corners; ++k)
            ok = ok && vertex(r.U(at + size_t(k) * 4), p[k], col[k]);
        if (!ok)
            continue;
        QPainterPath path;
        if (mode == 2) {
            path.moveTo(p[0]);
            path.lineTo(p[1]);
            path.lineTo(p[2]);
            path.closeSubpath();
            c.FillLogical(path, QColor((col[0].red() + col[1].red() + col[2].red()) / 3,
                                       (col[0].green() + col[1].green() + col[2].green()) / 3,
                                       (col[0].blue() + col[1].blue() + col[2].blue()) / 3));
        } else {
            const QRectF box = QRectF(p[0], p[1]).normalized();
            path.addRect(box);
            QLinearGradient g(p[0], mode == 0 ? QPointF(p[1].x(), p[0].y()) : QPointF(p[0].x(), p[1].y()));
            g.setColorAt(0, col[0]);
            g.setColorAt(1, col[1]);
            c.FillLogical(path, g);
        }
    }
}

// Points of a poly record: 32-bit POINTL or 16-bit POINTS.
std::vector<QPointF> Points(const Rec &r, size_t off, size_t n, bool small) {
    const size_t each = small ? 4 : 8;
    if (n > r.size / each)
        Fail();
    r.Need(off, n * each);
    std::vector<QPointF> pts(n);
    for (size_t i = 0; i < n; ++i)
        pts[i] = small ? QPointF(r.S(off + i * 4), r.S(off + i * 4 + 2)) : r.Pt(off + i * 8);
    return pts;
}

// A DIB given by offsets from the record start; false when absent or undecodable.
bool ReadDib(const Rec &r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits, bool alpha,
             QImage &img, bool *bottomUp = nullptr) {
    if (cbBmi == 0)
        return false;
    const uint8_t *bmi = r.Bytes(offBmi, cbBmi);
    const uint8_t *bits = r.Bytes(offBits, cbBits);
    if (bottomUp)
        *bottomUp = cbBmi < 12 || U32(bmi) == 12 || int32_t(U32(bmi + 8)) > 0;
    return MetafileDibToImage(bmi, cbBmi, bits, cbBits, alpha, img);
}

// RGNDATA: header (size, type, count, region size, bounds) then count RECTLs, device units.
QRegion ReadRegion(const Rec &r, size_t off, size_t cb) {
    r.Need(off, cb);
    if (cb < 32)
        return QRegion();
    const uint32_t count = r.U(off + 8);
    if (count > (cb - 32) / 16)
        Fail();
    std::vector<QRect> rects;
    rects.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = off + 32 + size_t(i) * 16;
        const int l = r.I(at), t = r.I(at + 4), rr = r.I(at + 8), b = r.I(at + 12);
        if (rr > l && b > t)
            rects.emplace_back(QPoint(l, t), QPoint(rr - 1, b - 1));
    }
    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    return region;
}

QPainterPath PolyPoly(const Rec &r, bool small, bool close) {
    const uint32_t polys = r.U(24), total = r.U(28);
    if (polys > kMaxPolyPolys || polys > r.size / 4)
        Fail();
    const size_t ptsAt = 32 + size_t(polys) * 4;
    const std::vector<QPointF> pts = Points(r, ptsAt, total, small);
    QPainterPath path;
    size_t k = 0;
    for (uint32_t i = 0; i < polys; ++i) {
        const uint32_t n = r.U(32 + size_t(i) * 4);
        if (n > total - k)
            Fail();
        for (uint32_t j = 0; j < n; ++j, ++k)
            if (j == 0) path.moveTo(pts[k]); else path.lineTo(pts[k]);
        if (close && n)
            path.closeSubpath();
    }
    return path;
}

void Text(MetafileCanvas &c, const Rec &r, bool wide) {
    // type, size, bounds, graphicsMode, scaleX, scaleY, then EMRTEXT: reference, count, offString, options,
    // rectangle, offDx.
    const QPointF ref = r.Pt(36);
    const uint32_t n = r.U(44), offString = r.U(48), options = r.U(52), offDx = r.U(72);
    const QRectF rect = r.Box(56);
    if (n > r.size)
        Fail();
    QString text;
    if (wide) {
        const uint8_t *s = r.Bytes(offString, size_t(n) * 2);
        text.resize(n);
        for (uint32_t i = 0; i < n; ++i)
            text[i] = QChar(char16_t(s[2 * i] | (s[2 * i + 1] << 8)));
    } else {
        const uint8_t *s = r.Bytes(offString, n);
        text = QString::fromLatin1(reinterpret_cast<const char *>(s), qsizetype(n));
    }
    std::vector<double> dx;
    const size_t step = (options & ETO_PDY) ? 8 : 4;
    if (offDx != 0 && offDx <= r.size && size_t(n) * step <= r.size - offDx) {
        dx.resize(n);
        for (uint32_t i = 0; i < n; ++i)
            dx[i] = r.I(offDx + i * step);
    }
    const bool hasRect = rect.width() != 0 && rect.height() != 0;
    c.Text(ref, text, int(options), hasRect ? &rect : nullptr, dx);
}

QTransform Xform(const Rec &r, size_t off) {
    QTransform t(r.F(off), r.F(off + 4), r.F(off + 8), r.F(off + 12), r.F(off + 16), r.F(off + 20));
    // A transform with a non-finite part would poison every coordinate after it.
    for (double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
        if (!std::isfinite(v))
            return QTransform();
    return t;
}

void Play(MetafileCanvas &c, const Rec &r, uint32_t type) {
    MetafileState &s = c.st;
    switch (type) {
    case SETWINDOWEXTEX: s.windowExt = r.Pt(8); break;
    case SETWINDOWORGEX: s.windowOrg = r.Pt(8); break;
    case SETVIEWPORTEXTEX: s.viewportExt = r.Pt(8); break;
    case SETVIEWPORTORGEX: s.viewportOrg = r.Pt(8); break;
    case SCALEVIEWPORTEXTEX: case SCALEWINDOWEXTEX: {
        const int xn = r.I(8), xd = r.I(12), yn = r.I(16), yd = r.I(20);
        if (xd == 0 || yd == 0)
            break;
        QPointF &e = type == SCALEVIEWPORTEXTEX ? s.viewportExt : s.windowExt;
        e = QPointF(e.x() * xn / xd, e.y() * yn / yd);
        break;
    }
    case SETMAPMODE: s.mapMode = std::clamp(int(r.U(8)), 1, 8); break;
    case SETBKMODE: s.bkMode = int(r.U(8)); break;
    case SETPOLYFILLMODE: s.polyFillMode = int(r.U(8)); break;
    case SETROP2: s.rop2 = int(r.U(8)); break;
    case SETSTRETCHBLTMODE: s.stretchMode = int(r.U(8)); break;
    case SETTEXTALIGN: s.textAlign = int(r.U(8)); break;
    case SETTEXTCOLOR: s.textColor = ColorRef(r.U(8)); break;
    case SETBKCOLOR: s.bkColor = ColorRef(r.U(8)); break;
    case SETARCDIRECTION: s.arcDirection = int(r.U(8)); break;
    case SETMITERLIMIT: s.miterLimit = std::clamp(double(r.U(8)), 1.0, 100.0); break;
    case MOVETOEX: c.MoveTo(r.Pt(8)); break;
    case LINETO: c.LineTo(r.Pt(8)); break;
    case SETPIXELV: c.SetPixel(r.Pt(8), ColorRef(r.U(16))); break;
    case OFFSETCLIPRGN: c.OffsetClip(r.Pt(8)); break;
    case EXCLUDECLIPRECT: c.ExcludeClipRect(r.Box(8)); break;
    case INTERSECTCLIPRECT: c.IntersectClipRect(r.Box(8)); break;
    case SAVEDC: c.Save(); break;
    case RESTOREDC: c.Restore(r.I(8)); break;
    case SETWORLDTRANSFORM: s.world = Xform(r, 8); break;
    case MODIFYWORLDTRANSFORM: {
        const QTransform x = Xform(r, 8);
        switch (r.U(32)) {
        case 1: s.world = QTransform(); break;
        case 2: s.world = x * s.world; break;
        case 3: s.world = s.world * x; break;
        case 4: s.world = x; break;
        default: break;
        }
        break;
    }
    case SELECTOBJECT: {
        const uint32_t ih = r.U(8);
        if (ih & 0x80000000u)
            c.SelectStockObject(int(ih & 0x7FFFFFFF));
        else
            c.SelectObject(ih);
        break;
    }
    case DELETEOBJECT: c.DeleteObject(r.U(8)); break;
    case CREATEPEN: {
        MetafileObject o;
        o.kind = MetafileObject::Pen;
        const uint32_t style = r.U(12);
        o.pen.style = int(style & 0x0F);
        o.pen.capJoin = int(style & 0xFF00);
        o.pen.width = std::abs(r.I(16));
        o.pen.cosmetic = o.pen.width <= 1;
        o.pen.color = ColorRef(r.U(24));
        c.PutObject(r.U(8), o);
        break;
    }
    case EXTCREATEPEN: {
        // ihPen, offBmi, cbBmi, offBits, cbBits, style, width, brush style, colour, hatch, ...
        MetafileObject o;
        o.kind = MetafileObject::Pen;
        const uint32_t style = r.U(28);
        o.pen.style = int(style & 0x0F);
        o.pen.capJoin = int(style & 0xFF00);
        o.pen.cosmetic = !(style & 0x10000);
        o.pen.width = o.pen.cosmetic ? 0 : double(r.U(32));
        o.pen.color = ColorRef(r.U(40));
        if (r.U(36) == BS_NULL)
            o.pen.style = PS_NULL;
        c.PutObject(r.U(8), o);
        break;
    }
    case CREATEBRUSHINDIRECT: {
        MetafileObject o;
        o.kind = MetafileObject::Brush;
        o.brush.style = int(r.U(12));
        o.brush.color = ColorRef(r.U(16));
        o.brush.hatch = int(r.U(20));
        if (o.brush.style != BS_NULL && o.brush.style != BS_HATCHED)
            o.brush.style = BS_SOLID;
        c.PutObject(r.U(8), o);
        break;
    }
    case CREATEDIBPATTERNBRUSHPT: case CREATEMONOBRUSH: {
        MetafileObject o;
        o.kind = MetafileObject::Brush;
        o.brush.style = BS_DIBPATTERN;
        o.brush.color = Qt::black;
        ReadDib(r, r.U(16), r.U(20), r.U(24), r.U(28), false, o.brush.pattern);
        c.PutObject(r.U(8), o);
        break;
    }
    case EXTCREATEFONTINDIRECTW: {
        MetafileObject o;
        o.kind = MetafileObject::Font;
        MetafileFont &f = o.font;
        f.height = r.I(12);
        f.width = r.I(16);
        f.escapement = r.I(20);
        f.weight = r.I(28);
        const uint8_t *b = r.Bytes(32, 8);
        f.italic = b[0];
        f.underline = b[1];
        f.strikeOut = b[2];
        f.charSet = b[3];
        f.pitchAndFamily = b[7];
        const uint8_t *name = r.Bytes(40, 64);
        for (int i = 0; i < 32; ++i) {
            const char16_t ch = char16_t(name[2 * i] | (name[2 * i + 1] << 8));
            if (!ch) break;
            f.face.append(QChar(ch));
        }
        c.PutObject(r.U(8), o);
        break;
    }
    case CREATEPALETTE: {
        MetafileObject o;
        o.kind = MetafileObject::Palette;
        c.PutObject(r.U(8), o);
        break;
    }
    case RECTANGLE: c.Rectangle(r.Box(8)); break;
    case ELLIPSE: c.Ellipse(r.Box(8)); break;
    case ROUNDRECT: c.RoundRect(r.Box(8), QSizeF(r.I(24), r.I(28))); break;
    case ARC: c.Arc(kArc, r.Box(8), r.Pt(24), r.Pt(32)); break;
    case ARCTO: c.Arc(kArc, r.Box(8), r.Pt(24), r.Pt(32), true); break;
    case CHORD: c.Arc(kChord, r.Box(8), r.Pt(24), r.Pt(32)); break;
    case PIE: c.Arc(kPie, r.Box(8), r.Pt(24), r.Pt(32)); break;
    case ANGLEARC: {
        const QPointF center = r.Pt(8);
        const double radius = r.U(16), start = r.F(20), sweep = r.F(24);
        if (!std::isfinite(start) || !std::isfinite(sweep) || radius > 1e7)
            break;
        const QRectF box(center - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
        QPainterPath p(s.current);
        p.arcTo(box, start, sweep);
        s.current = p.currentPosition();
        c.PolyPolyline(p);
        break;
    }
    case POLYBEZIER: case POLYGON: case POLYLINE: case POLYBEZIERTO: case POLYLINETO:
    case POLYBEZIER16: case POLYGON16: case POLYLINE16: case POLYBEZIERTO16: case POLYLINETO16: {
        const bool small = type >= POLYBEZIER16;
        const uint32_t kind = small ? type - POLYBEZIER16 + POLYBEZIER : type;
        const std::vector<QPointF> pts = Points(r, 28, r.U(24), small);
        switch (kind) {
        case POLYBEZIER: c.PolyBezier(pts.data(), pts.size(), false); break;
        case POLYBEZIERTO: c.PolyBezier(pts.data(), pts.size(), true); break;
        case POLYGON: c.Polygon(pts.data(), pts.size()); break;
        case POLYLINE: c.Polyline(pts.data(), pts.size(), false); break;
        default: c.Polyline(pts.data(), pts.size(), true); break;
        }
        break;
    }
    case POLYPOLYLINE: case POLYPOLYLINE16: c.PolyPolyline(PolyPoly(r, type == POLYPOLYLINE16, false)); break;
    case POLYPOLYGON: case POLYPOLYGON16: c.PolyPolygon(PolyPoly(r, type == POLYPOLYGON16, true)); break;
    case BEGINPATH: c.BeginPath(); break;
    case ENDPATH: c.EndPath(); break;
    case ABORTPATH: c.AbortPath(); break;
    case CLOSEFIGURE: c.CloseFigure(); break;
    case FILLPATH: c.FillPath(false, true); break;
    case STROKEPATH: c.FillPath(true, false); break;
    case STROKEANDFILLPATH: c.FillPath(true, true); break;
    case SELECTCLIPPATH: c.SelectClipPath(int(r.U(8))); break;
    case EXTSELECTCLIPRGN: {
        const uint32_t cb = r.U(8), mode = r.U(12);
        if (cb == 0 || cb < 32)
            c.CombineClip(std::nullopt, RGN_COPY);
        else
            c.CombineClip(c.DeviceRegionToOutput(ReadRegion(r, 16, cb)), int(mode));
        break;
    }
    case FILLRGN: case PAINTRGN: {
        const uint32_t cb = r.U(24);
        MetafileBrush brush = s.brush;
        size_t at = 28;
        if (type == FILLRGN) {
            const MetafileObject *b = c.Object(r.U(28));
            if (b && b->kind == MetafileObject::Brush)
                brush = b->brush;
            at = 32;
        }
        c.FillRegion(c.DeviceRegionToOutput(ReadRegion(r, at, cb)), brush);
        break;
    }
    case EXTTEXTOUTA: case EXTTEXTOUTW: Text(c, r, type == EXTTEXTOUTW); break;
    case GRADIENTFILL: GradientFill(c, r); break;
    case BITBLT: case STRETCHBLT: case MASKBLT: case ALPHABLEND: case TRANSPARENTBLT: {
        // (MASKBLT shares BITBLT's fields; its mask is not applied.)
        // bounds, xDest, yDest, cxDest, cyDest, rop, xSrc, ySrc, xformSrc, bkColorSrc,
        // usageSrc, offBmiSrc, cbBmiSrc, offBitsSrc, cbBitsSrc[, cxSrc, cySrc]
        const QRectF dst(r.Pt(24), QSizeF(r.I(32), r.I(36)));
        const uint32_t rop = r.U(40);
        QImage img;
        if (!ReadDib(r, r.U(84), r.U(88), r.U(92), r.U(96), type == ALPHABLEND, img)) {
            if (type == BITBLT)
                c.Bitmap(dst, QImage(), QRectF(), rop);
            break;
        }
        QSizeF srcSize(std::fabs(dst.width()), std::fabs(dst.height()));
        if (type != BITBLT && type != MASKBLT)
            srcSize = QSizeF(r.I(100), r.I(104));
        uint32_t drawRop = type == BITBLT || type == STRETCHBLT || type == MASKBLT ? rop : SRCCOPY;
        if (type == TRANSPARENTBLT) {
            // The rop field holds the colour that stays transparent.
            const QRgb key = ColorRef(rop).rgb();
            img = img.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < img.height(); ++y) {
                QRgb *row = reinterpret_cast<QRgb *>(img.scanLine(y));
                for (int x = 0; x < img.width(); ++x)
                    if ((row[x] | 0xFF000000u) == key)
                        row[x] = 0;
            }
        }
        if (type == ALPHABLEND) {
            // BLENDFUNCTION: op, flags, constant alpha, alpha format (1: per-pixel alpha).
            const int constant = int((rop >> 16) & 255);
            const bool perPixel = ((rop >> 24) & 255) == 1;
            QImage blend = img.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < blend.height(); ++y) {
                QRgb *row = reinterpret_cast<QRgb *>(blend.scanLine(y));
                for (int x = 0; x < blend.width(); ++x)
                    row[x] = qRgba(qRed(row[x]), qGreen(row[x]), qBlue(row[x]),
                                   (perPixel ? qAlpha(row[x]) : 255) * constant / 255);
            }
            img = blend;
        }
        c.Bitmap(dst, img, QRectF(r.Pt(44), srcSize), drawRop);
        break;
    }
    case STRETCHDIBITS: {
        // bounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc, offBmi, cbBmi, offBits, cbBits,
        // usage, rop, cxDest, cyDest
        QImage img;
        bool bottomUp = true;
        const uint32_t rop = r.U(68);
        const QRectF dst(r.Pt(24), QSizeF(r.I(72), r.I(76)));
        if (!ReadDib(r, r.U(48), r.U(52), r.U(56), r.U(60), false, img, &bottomUp)) {
            if (r.U(52) == 0)
                c.Bitmap(dst, QImage(), QRectF(), rop);
            break;
        }
        const double sx = r.I(32), sy = r.I(36), sw = r.I(40), sh = r.I(44);
        // The source rectangle of a bottom-up bitmap is measured from its bottom row.
        const double top = bottomUp ? img.height() - sy - sh : sy;
        c.Bitmap(dst, img, QRectF(sx, top, sw, sh), rop);
        break;
    }
    case SETDIBITSTODEVICE: {
        // bounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc, offBmi, cbBmi, offBits, cbBits, usage,
        // startScan, scans
        QImage img;
        if (!ReadDib(r, r.U(48), r.U(52), r.U(56), r.U(60), false, img))
            break;
        const double w = r.I(40), h = r.I(44);
        c.Bitmap(QRectF(r.Pt(24), QSizeF(w, h)), img, QRectF(r.I(32), img.height() - r.I(36) - h, w, h), SRCCOPY);
        break;
    }
    default:
        break;  // comments (EMF+), palettes, colour adjustment and others without an effect here
    }
}

} // namespace

bool EmfLooksLike(const uint8_t *data, size_t size) {
    return size >= 44 && U32(data) == HEADER && U32(data + 40) == kSignature;
}

EmfInfo EmfProbe(const uint8_t *data, size_t size) {
    if (!EmfLooksLike(data, size))
        Fail();
    const Rec h{data, size};
    const uint32_t headerSize = h.U(4);
    if (headerSize < 88 || headerSize > size || headerSize % 4)
        Fail();
    const Rec hdr{data, headerSize};
    const uint32_t nDesc = hdr.U(60), offDesc = hdr.U(64);
    if (nDesc != 0 && (offDesc < 88 || offDesc > headerSize || nDesc > (headerSize - offDesc) / 2))
        Fail();
    EmfInfo info;
    info.handles = int(hdr.U(56) & 0xFFFF);
    const QRectF bounds = hdr.Box(8);
    const QRectF frame = hdr.Box(24);
    const double devX = hdr.I(72), devY = hdr.I(76), mmX = hdr.I(80), mmY = hdr.I(84);
    info.devicePixelsPerMm = devX > 0 && devY > 0 && mmX > 0 && mmY > 0 ? QPointF(devX / mmX, devY / mmY)
                                                                     : QPointF(96 / 25.4, 96 / 25.4);
    if (frame.width() > 0 && frame.height() > 0) {
        info.width = int(std::lround(frame.width() * 96.0 / 2540.0));
        info.height = int(std::lround(frame.height() * 96.0 / 2540.0));
        const double fl = frame.left() / 100.0 * info.devicePixelsPerMm.x();
        const double ft = frame.top() / 100.0 * info.devicePixelsPerMm.y();
        const double fw = frame.width() / 100.0 * info.devicePixelsPerMm.x();
        const double fh = frame.height() / 100.0 * info.devicePixelsPerMm.y();
        if (!(fw > 0 && fh > 0))
            Fail();
        const double sx = info.width / fw, sy = info.height / fh;
        info.deviceToOutput = QTransform(sx, 0, 0, sy, -fl * sx, -ft * sy);
    } else if (bounds.width() >= 0 && bounds.height() >= 0) {
        info.width = int(bounds.width()) + 1;
        info.height = int(bounds.height()) + 1;
        info.deviceToOutput = QTransform::fromTranslate(-bounds.left(), -bounds.top());
    } else {
        Fail();
    }
    if (info.width <= 0 || info.height <= 0)
        Fail();
    return info;
}

void EmfPlay(const uint8_t *data, size_t size, const EmfInfo &info, MetafileCanvas &canvas) {
    canvas.SetTableSize(size_t(info.handles));
    size_t pos = U32(data + 4);
    while (pos + 8 <= size) {
        const uint32_t type = U32(data + pos), recSize = U32(data + pos + 4);
        if (recSize < 8 || recSize > size - pos)
            Fail();
        if (type == EOF_)
            break;
        Play(canvas, Rec{data + pos, recSize}, type);
        pos += recSize;
    }
}

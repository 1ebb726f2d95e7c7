#include "picture/codecs/WmfPlayer.h"

#include "picture/codecs/MetafileDib.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace gdi;

// WMF layout (little-endian, sizes in 16-bit words):
//   placeable header (optional, 22 bytes): key 0x9AC6CDD7, handle, bounding box left, top, right,
//     bottom (i16), units per inch (u16), reserved, checksum
//   header (18 bytes): type 1 or 2, header size 9, version, file size, object count, largest
//     record, 0
//   records: size u32 (words, header included), function u16, parameters (i16 words, most of
//     them in reverse order: y before x, bottom right before top left)
// A plain WMF has no size of its own; it is taken from the window extent it sets, made no larger
// than kMaxPlainSide on its longer side.

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr int kMaxPlainSide = 4096;

[[noreturn]] void Fail() {
    throw OrvantaError(QStringLiteral("Cannot load image. Invalid or unexpected WMF image format."));
}

uint16_t U16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t *p) { return uint32_t(U16(p)) | (uint32_t(U16(p + 2)) << 16); }

enum Function {
    EOF_ = 0x0000, SETBKCOLOR = 0x0201, SETBKMODE = 0x0102, SETMAPMODE = 0x0103, SETROP2 = 0x0104,
    SETPOLYFILLMODE = 0x0106, SETSTRETCHBLTMODE = 0x0107, SETTEXTCOLOR = 0x0209,
    SETWINDOWORG = 0x020B, SETWINDOWEXT = 0x020C, SETVIEWPORTORG = 0x020D, SETVIEWPORTEXT = 0x020E,
    OFFSETWINDOWORG = 0x020F, SCALEWINDOWEXT = 0x0410, OFFSETVIEWPORTORG = 0x0211,
    SCALEVIEWPORTEXT = 0x0412, LINETO = 0x0213, MOVETO = 0x0214, EXCLUDECLIPRECT = 0x0415,
    INTERSECTCLIPRECT = 0x0416, ARC = 0x0817, ELLIPSE = 0x0418, PIE = 0x081A, RECTANGLE = 0x041B,
    ROUNDRECT = 0x061C, PATBLT = 0x061D, SAVEDC = 0x001E, SETPIXEL = 0x041F, OFFSETCLIPRGN = 0x0220,
    TEXTOUT = 0x0521, BITBLT = 0x0922, STRETCHBLT = 0x0B23, POLYGON = 0x0324, POLYLINE = 0x0325,
    RESTOREDC = 0x0127, FILLREGION = 0x0228, FRAMEREGION = 0x0429, PAINTREGION = 0x012B,
    SELECTCLIPREGION = 0x012C, SELECTOBJECT = 0x012D, SETTEXTALIGN = 0x012E, CHORD = 0x0830,
    EXTTEXTOUT = 0x0A32, SETDIBTODEV = 0x0D33, POLYPOLYGON = 0x0538, DIBBITBLT = 0x0940,
    DIBSTRETCHBLT = 0x0B41, DIBCREATEPATTERNBRUSH = 0x0142, STRETCHDIB = 0x0F43,
    DELETEOBJECT = 0x01F0, CREATEPALETTE = 0x00F7, CREATEPATTERNBRUSH = 0x01F9,
    CREATEPENINDIRECT = 0x02FA, CREATEFONTINDIRECT = 0x02FB, CREATEBRUSHINDIRECT = 0x02FC,
    CREATEREGION = 0x06FF,
};

// The parameters of one record; reading past them throws Short, and the record is skipped.
struct Short {};
struct Params {
    const uint8_t *p;
    size_t words;
    int16_t operator[](size_t i) const { if (i >= words) throw Short{}; return int16_t(U16(p + 2 * i)); }
    uint16_t W(size_t i) const { return uint16_t((*this)[i]); }
    uint32_t D(size_t i) const { return uint32_t(W(i)) | (uint32_t(W(i + 1)) << 16); }
    const uint8_t *Bytes(size_t wordAt, size_t n) const {
        if (wordAt > words || n > (words - wordAt) * 2) throw Short{};
        return p + 2 * wordAt;
    }
};

QPointF Pt(const Params &a, size_t yAt) { return QPointF(a[yAt + 1], a[yAt]); }
// Rectangle parameters in the order bottom, right, top, left.
QRectF Box(const Params &a, size_t at) {
    return QRectF(QPointF(a[at + 3], a[at + 2]), QPointF(a[at + 1], a[at]));
}

QString Latin1(const uint8_t *s, size_t n) {
    return QString::fromLatin1(reinterpret_cast<const char *>(s), qsizetype(n));
}

MetafileFont ReadFont(const Params &a) {
    MetafileFont f;
    f.height = a[0];
    f.width = a[1];
    f.escapement = a[2];
    f.weight = a[4];
    const uint8_t *b = a.Bytes(5, 8);
    f.italic = b[0];
    f.underline = b[1];
    f.strikeOut = b[2];
    f.charSet = b[3];
    f.pitchAndFamily = b[7];
    const size_t avail = (a.words - 9) * 2;
    const uint8_t *name = a.Bytes(9, 0);
    size_t n = 0;
    while (n < std::min<size_t>(avail, 32) && name[n])
        ++n;
    f.face = Latin1(name, n);
    return f;
}

// A packed DIB starting at word `at`; false when there is none or it does not decode.
bool ReadDib(const Params &a, size_t at, QImage &img, bool *bottomUp = nullptr) {
    if (at >= a.words)
        return false;
    const uint8_t *dib = a.Bytes(at, 0);
    const size_t size = (a.words - at) * 2;
    const size_t infoSize = MetafileDibInfoSize(dib, size);
    if (infoSize == 0)
        return false;
    if (bottomUp)
        *bottomUp = U32(dib) == 12 || (size >= 12 && int32_t(U32(dib + 8)) > 0);
    return MetafileDibToImage(dib, infoSize, dib + infoSize, size - infoSize, false, img);
}

QRegion ReadRegion(const Params &a) {
    // nextInChain, objectType, objectCount (2 words), regionSize, scanCount, maxScan, bounds (4)
    const int scans = a.W(5);
    QRegion region;
    std::vector<QRect> rects;
    size_t at = 10;
    for (int s = 0; s < scans; ++s) {
        const int count = a.W(at), top = a[at + 1], bottom = a[at + 2];
        at += 3;
        for (int i = 0; i + 1 < count; i += 2, at += 2)
            if (a[at + 1] > a[at] && bottom > top)
                rects.emplace_back(QPoint(a[at], top), QPoint(a[at + 1] - 1, bottom - 1));
        at += 1;  // count again
        if (rects.size() > 100000)
            break;
    }
    region.setRects(rects.data(), int(rects.size()));
    return region;
}

void Play(MetafileCanvas &c, int fn, const Params &a) {
    MetafileState &s = c.st;
    switch (fn) {
    case SETBKCOLOR: s.bkColor = ColorRef(a.D(0)); break;
    case SETBKMODE: s.bkMode = a.W(0); break;
    case SETMAPMODE:
        // The picture is always fitted to its frame; only the isotropic choice is kept.
        s.mapMode = a.W(0) == MM_ISOTROPIC ? MM_ISOTROPIC : MM_ANISOTROPIC;
        break;
    case SETROP2: s.rop2 = a.W(0); break;
    case SETPOLYFILLMODE: s.polyFillMode = a.W(0); break;
    case SETSTRETCHBLTMODE: s.stretchMode = a.W(0); break;
    case SETTEXTCOLOR: s.textColor = ColorRef(a.D(0)); break;
    case SETTEXTALIGN: s.textAlign = a.W(0); break;
    case SETWINDOWORG: s.windowOrg = Pt(a, 0); break;
    case SETWINDOWEXT: s.windowExt = Pt(a, 0); break;
    case OFFSETWINDOWORG: s.windowOrg += Pt(a, 0); break;
    case SCALEWINDOWEXT:
        if (a[0] && a[2])
            s.windowExt = QPointF(s.windowExt.x() * a[3] / a[2], s.windowExt.y() * a[1] / a[0]);
        break;
    case SETVIEWPORTORG: case SETVIEWPORTEXT: case OFFSETVIEWPORTORG: case SCALEVIEWPORTEXT:
        break;  // the viewport is the output picture
    case MOVETO: c.MoveTo(Pt(a, 0)); break;
    case LINETO: c.LineTo(Pt(a, 0)); break;
    case RECTANGLE: c.Rectangle(Box(a, 0)); break;
    case ROUNDRECT: c.RoundRect(Box(a, 2), QSizeF(a[1], a[0])); break;
    case ELLIPSE: c.Ellipse(Box(a, 0)); break;
    case ARC: c.Arc(kArc, Box(a, 4), Pt(a, 2), Pt(a, 0)); break;
    case PIE: c.Arc(kPie, Box(a, 4), Pt(a, 2), Pt(a, 0)); break;
    case CHORD: c.Arc(kChord, Box(a, 4), Pt(a, 2), Pt(a, 0)); break;
    case SETPIXEL: c.SetPixel(Pt(a, 2), ColorRef(a.D(0))); break;
    case POLYGON: case POLYLINE: {
        const size_t n = a.W(0);
        a.Bytes(1, n * 4);
        std::vector<QPointF> pts(n);
        for (size_t i = 0; i < n; ++i)
            pts[i] = QPointF(a[1 + 2 * i], a[2 + 2 * i]);
        if (fn == POLYGON)
            c.Polygon(pts.data(), n);
        else
            c.Polyline(pts.data(), n, false);
        break;
    }
    case POLYPOLYGON: {
        const size_t polys = a.W(0);
        a.Bytes(1, polys * 2);
        size_t at = 1 + polys;
        QPainterPath path;
        for (size_t k = 0; k < polys; ++k) {
            const size_t n = a.W(1 + k);
            a.Bytes(at, n * 4);
            for (size_t i = 0; i < n; ++i) {
                const QPointF p(a[at + 2 * i], a[at + 2 * i + 1]);
                if (i == 0) path.moveTo(p); else path.lineTo(p);
            }
            if (n) path.closeSubpath();
            at += 2 * n;
        }
        c.PolyPolygon(path);
        break;
    }
    case TEXTOUT: {
        const size_t n = a.W(0);
        const uint8_t *str = a.Bytes(1, n);
        const size_t at = 1 + (n + 1) / 2;
        c.Text(Pt(a, at), Latin1(str, n), 0, nullptr, {});
        break;
    }
    case EXTTEXTOUT: {
        const QPointF p = Pt(a, 0);
        const size_t n = a.W(2);
        const int options = a.W(3);
        size_t at = 4;
        QRectF rect;
        const bool hasRect = options & (ETO_OPAQUE | ETO_CLIPPED);
        if (hasRect) {
            rect = QRectF(QPointF(a[4], a[5]), QPointF(a[6], a[7]));
            at = 8;
        }
        const uint8_t *str = a.Bytes(at, n);
        at += (n + 1) / 2;
        std::vector<double> dx;
        if (a.words >= at + n) {
            dx.resize(n);
            for (size_t i = 0; i < n; ++i)
                dx[i] = a[at + i];
        }
        c.Text(p, Latin1(str, n), options, hasRect ? &rect : nullptr, dx);
        break;
    }
    case SAVEDC: c.Save(); break;
    case RESTOREDC: c.Restore(a[0]); break;
    case INTERSECTCLIPRECT: c.IntersectClipRect(Box(a, 0)); break;
    case EXCLUDECLIPRECT: c.ExcludeClipRect(Box(a, 0)); break;
    case OFFSETCLIPRGN: c.OffsetClip(Pt(a, 0)); break;
    case SELECTCLIPREGION: {
        const MetafileObject *o = c.Object(a.W(0));
        if (o && o->kind == MetafileObject::Region)
            c.CombineClip(c.LogicalRegionToOutput(o->region), RGN_COPY);
        else
            c.CombineClip(std::nullopt, RGN_COPY);
        break;
    }
    case FILLREGION: case PAINTREGION: case FRAMEREGION: {
        const MetafileObject *r = c.Object(a.W(0));
        if (!r || r->kind != MetafileObject::Region)
            break;
        MetafileBrush brush = s.brush;
        if (fn != PAINTREGION) {
            const MetafileObject *b = c.Object(a.W(1));
            if (!b || b->kind != MetafileObject::Brush)
                break;
            brush = b->brush;
        }
        if (fn == FRAMEREGION)
            break;  // outlines of regions are rare; left out
        c.FillRegion(c.LogicalRegionToOutput(r->region), brush);
        break;
    }
    case SELECTOBJECT: c.SelectObject(a.W(0)); break;
    case DELETEOBJECT: c.DeleteObject(a.W(0)); break;
    case CREATEPENINDIRECT: {
        MetafileObject o;
        o.kind = MetafileObject::Pen;
        o.pen.style = a.W(0) & 0x0F;
        o.pen.capJoin = a.W(0) & 0xFF00;
        o.pen.width = std::abs(a[1]);
        o.pen.cosmetic = o.pen.width <= 0;
        o.pen.color = ColorRef(a.D(3));
        c.AddObject(o);
        break;
    }
    case CREATEBRUSHINDIRECT: {
        MetafileObject o;
        o.kind = MetafileObject::Brush;
        o.brush.style = a.W(0);
        o.brush.color = ColorRef(a.D(1));
        o.brush.hatch = a.W(3);
        if (o.brush.style != BS_NULL && o.brush.style != BS_HATCHED)
            o.brush.style = BS_SOLID;
        c.AddObject(o);
        break;
    }
    case DIBCREATEPATTERNBRUSH: case CREATEPATTERNBRUSH: {
        MetafileObject o;
        o.kind = MetafileObject::Brush;
        o.brush.color = Qt::black;
        o.brush.style = BS_DIBPATTERN;
        if (fn == DIBCREATEPATTERNBRUSH)
            ReadDib(a, 2, o.brush.pattern);
        c.AddObject(o);
        break;
    }
    case CREATEFONTINDIRECT: {
        MetafileObject o;
        o.kind = MetafileObject::Font;
        o.font = ReadFont(a);
        c.AddObject(o);
        break;
    }
    case CREATEPALETTE: {
        MetafileObject o;
        o.kind = MetafileObject::Palette;
        c.AddObject(o);
        break;
    }
    case CREATEREGION: {
        MetafileObject o;
        o.kind = MetafileObject::Region;
        o.region = ReadRegion(a);
        c.AddObject(o);
        break;
    }
    case PATBLT:
        c.Bitmap(QRectF(Pt(a, 4), QSizeF(a[3], a[2])), QImage(), QRectF(), a.D(0));
        break;
    case BITBLT: case STRETCHBLT: case DIBBITBLT: case DIBSTRETCHBLT: {
        // Without a bitmap the record is a pattern blit with one reserved word more.
        const bool noBitmap = a.words == size_t(fn >> 8);
        const bool stretch = fn == STRETCHBLT || fn == DIBSTRETCHBLT;
        const size_t base = stretch ? 4 : 2;  // after rop (and source size)
        const size_t d = noBitmap ? base + 3 : base + 2;
        const QRectF dst(Pt(a, d + 2), QSizeF(a[d + 1], a[d]));
        if (noBitmap) {
            c.Bitmap(dst, QImage(), QRectF(), a.D(0));
            break;
        }
        QImage img;
        if (fn == BITBLT || fn == STRETCHBLT || !ReadDib(a, d + 4, img))
            break;  // device-dependent bitmaps of 16-bit Windows are not drawn
        const QSizeF srcSize = stretch ? QSizeF(a[3], a[2]) : QSizeF(std::fabs(dst.width()), std::fabs(dst.height()));
        c.Bitmap(dst, img, QRectF(Pt(a, base), srcSize), a.D(0));
        break;
    }
    case STRETCHDIB: {
        const QRectF dst(Pt(a, 9), QSizeF(a[8], a[7]));
        QImage img;
        bool bottomUp = true;
        if (!ReadDib(a, 11, img, &bottomUp))
            break;
        const double sh = a[3], sw = a[4], sy = a[5], sx = a[6];
        // The source rectangle of a bottom-up bitmap is measured from its bottom row.
        const double top = bottomUp ? img.height() - sy - sh : sy;
        c.Bitmap(dst, img, QRectF(sx, top, sw, sh), a.D(0));
        break;
    }
    case SETDIBTODEV: {
        QImage img;
        if (!ReadDib(a, 9, img))
            break;
        const QRectF dst(Pt(a, 7), QSizeF(a[6], a[5]));
        c.Bitmap(dst, img, QRectF(a[4], img.height() - a[3] - a[5], a[6], a[5]), SRCCOPY);
        break;
    }
    default:
        break;  // records without a visible effect here, or unknown ones
    }
}

} // namespace

bool WmfLooksLike(const uint8_t *data, size_t size) {
    if (size >= 4 && U32(data) == kPlaceableKey)
        return true;
    return size >= 18 && (U16(data) == 1 || U16(data) == 2) && U16(data + 2) == 9;
}

WmfInfo WmfProbe(const uint8_t *data, size_t size) {
    WmfInfo info;
    size_t at = 0;
    if (size >= 22 && U32(data) == kPlaceableKey) {
        info.placeable = true;
        const int16_t l = int16_t(U16(data + 6)), t = int16_t(U16(data + 8));
        const int16_t r = int16_t(U16(data + 10)), b = int16_t(U16(data + 12));
        int inch = U16(data + 14);
        if (inch == 0)
            inch = 1440;
        info.frame = QRectF(QPointF(l, t), QPointF(r, b)).normalized();
        info.width = int(std::lround(info.frame.width() * 96.0 / inch));
        info.height = int(std::lround(info.frame.height() * 96.0 / inch));
        at = 22;
    }
    if (size < at + 18)
        Fail();
    const uint8_t *h = data + at;
    if ((U16(h) != 1 && U16(h) != 2) || U16(h + 2) != 9)
        Fail();
    info.objects = U16(h + 10);
    info.recordsAt = at + 18;
    if (!info.placeable) {
        // The frame is the first window the records set.
        QPointF org(0, 0), ext(0, 0);
        bool haveOrg = false, haveExt = false;
        size_t pos = info.recordsAt;
        while (pos + 6 <= size && !(haveOrg && haveExt)) {
            const uint32_t words = U32(data + pos);
            const int fn = U16(data + pos + 4);
            if (words < 3 || words > (size - pos) / 2 || fn == EOF_)
                break;
            if (words >= 5 && (fn == SETWINDOWORG || fn == SETWINDOWEXT)) {
                const QPointF p(int16_t(U16(data + pos + 8)), int16_t(U16(data + pos + 6)));
                if (fn == SETWINDOWORG && !haveOrg) { org = p; haveOrg = true; }
                if (fn == SETWINDOWEXT && !haveExt) { ext = p; haveExt = true; }
            }
            pos += size_t(words) * 2;
        }
        if (!haveExt || ext.x() == 0 || ext.y() == 0)
            Fail();
        info.frame = QRectF(org, QSizeF(ext.x(), ext.y()));
        double w = std::fabs(ext.x()), hgt = std::fabs(ext.y());
        const double scale = std::min(1.0, kMaxPlainSide / std::max(w, hgt));
        info.width = int(std::lround(w * scale));
        info.height = int(std::lround(hgt * scale));
    }
    if (info.width <= 0 || info.height <= 0)
        Fail();
    return info;
}

void WmfPlay(const uint8_t *data, size_t size, const WmfInfo &info, MetafileCanvas &canvas) {
    canvas.SetTableSize(size_t(info.objects));
    MetafileState &s = canvas.st;
    s.mapMode = MM_ANISOTROPIC;
    s.windowOrg = info.frame.topLeft();
    s.windowExt = QPointF(info.frame.width(), info.frame.height());
    s.viewportOrg = QPointF(0, 0);
    s.viewportExt = QPointF(info.width, info.height);
    size_t pos = info.recordsAt;
    while (pos + 6 <= size) {
        const uint32_t words = U32(data + pos);
        const int fn = U16(data + pos + 4);
        if (fn == EOF_)
            break;
        if (words < 3 || words > (size - pos) / 2)
            break;  // a record that runs past the end: play what came before it
        const Params params{data + pos + 6, size_t(words) - 3};
        try {
            Play(canvas, fn, params);
        } catch (const Short &) {
            // A record too short for its parameters is skipped; a creation record still takes
            // its slot in the object table, so the later object numbers stay right.
            if (((fn & 0xF0) == 0xF0 && fn != DELETEOBJECT) || fn == DIBCREATEPATTERNBRUSH) {
                MetafileObject placeholder;
                placeholder.kind = MetafileObject::Palette;
                canvas.AddObject(placeholder);
            }
        }
        pos += size_t(words) * 2;
    }
}

#pragma once
// The drawing surface both metafile players play onto: a model of a Windows device context
// (mapping mode, window and viewport, world transform, selected pen, brush and font, colours,
// modes, current position, clip region, path, saved states) over a QPainter on a QImage.
// Coordinates given to the drawing calls are logical ones; the canvas maps them through the
// world and page transforms to device units and then to the output picture.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <optional>
#include <vector>

// GDI constants the players and the canvas share.
namespace gdi {
enum MapMode { MM_TEXT = 1, MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH, MM_TWIPS, MM_ISOTROPIC, MM_ANISOTROPIC };
enum PenStyle { PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME, PS_USERSTYLE, PS_ALTERNATE };
enum BrushStyle { BS_SOLID, BS_NULL, BS_HATCHED, BS_PATTERN, BS_INDEXED, BS_DIBPATTERN, BS_DIBPATTERNPT };
enum BkMode { TRANSPARENT = 1, OPAQUE = 2 };
enum FillMode { ALTERNATE = 1, WINDING = 2 };
enum TextAlign { TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8, TA_BASELINE = 24 };
enum ExtTextOptions { ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_GLYPH_INDEX = 0x10, ETO_PDY = 0x2000 };
enum RegionMode { RGN_AND = 1, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY };
enum ArcKind { kArc, kChord, kPie };
constexpr int R2_COPYPEN = 13;
constexpr uint32_t SRCCOPY = 0xCC0020, SRCPAINT = 0xEE0086, SRCAND = 0x8800C6, SRCINVERT = 0x660046,
                   NOTSRCCOPY = 0x330008, PATCOPY = 0xF00021, PATINVERT = 0x5A0049,
                   DSTINVERT = 0x550009, BLACKNESS = 0x000042, WHITENESS = 0xFF0062,
                   MERGECOPY = 0xC000CA, SRCERASE = 0x440328, NOTSRCERASE = 0x1100A6,
                   MERGEPAINT = 0xBB0226, PATPAINT = 0xFB0A09;
// A COLORREF (0x00BBGGRR) as a colour.
inline QColor ColorRef(uint32_t c) { return QColor(int(c & 255), int((c >> 8) & 255), int((c >> 16) & 255)); }
} // namespace gdi

struct MetafilePen {
    int style = gdi::PS_SOLID;  // low 4 bits of the pen style
    int capJoin = 0;            // end cap and join bits of the pen style
    double width = 0;           // logical units; 0 draws one pixel wide
    bool cosmetic = true;
    QColor color = Qt::black;
};

struct MetafileBrush {
    int style = gdi::BS_SOLID;
    int hatch = 0;
    QColor color = Qt::white;
    QImage pattern;  // BS_PATTERN / BS_DIBPATTERN
};

struct MetafileFont {
    int height = 0;       // logical units: < 0 character height, > 0 cell height, 0 default
    int width = 0;
    int escapement = 0;   // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    int charSet = 0;
    int pitchAndFamily = 0;
    QString face;
};

struct MetafileObject {
    enum Kind { None, Pen, Brush, Font, Region, Palette } kind = None;
    MetafilePen pen;
    MetafileBrush brush;
    MetafileFont font;
    QRegion region;           // logical units (WMF) or device units (EMF)
};

// The state that SaveDC keeps.
struct MetafileState {
    int mapMode = gdi::MM_TEXT;
    QPointF windowOrg{0, 0}, windowExt{1, 1}, viewportOrg{0, 0}, viewportExt{1, 1};
    QTransform world;
    MetafilePen pen;
    MetafileBrush brush;
    MetafileFont font;
    QColor textColor = Qt::black, bkColor = Qt::white;
    int bkMode = gdi::OPAQUE;
    int textAlign = 0;
    int polyFillMode = gdi::ALTERNATE;
    int rop2 = gdi::R2_COPYPEN;
    int stretchMode = 1;
    int arcDirection = 1;  // 1 counter-clockwise, 2 clockwise
    double miterLimit = 10;
    QPointF current;
    std::optional<QPainterPath> clip;  // output pixels; none means unclipped
};

class MetafileCanvas {
public:
    // deviceToOutput maps device units to output pixels; devicePixelsPerMm sets the metric
    // mapping modes.
    MetafileCanvas(QImage &image, const QTransform &deviceToOutput, QPointF devicePixelsPerMm);
    ~MetafileCanvas();

    MetafileState st;

    // Transforms.
    QTransform PageTransform() const;     // logical (after world) -> device
    QTransform LogicalToOutput() const;   // world * page * device-to-output
    const QTransform &DeviceToOutput() const { return deviceToOutput_; }

    // Object table.
    void SetTableSize(size_t n);
    size_t TableSize() const { return objects_.size(); }
    int AddObject(const MetafileObject &o);       // lowest free slot (WMF); -1 when full
    void PutObject(size_t index, const MetafileObject &o);
    const MetafileObject *Object(size_t index) const;
    void SelectObject(size_t index);
    void SelectStockObject(int stock);
    void DeleteObject(size_t index);

    // States.
    void Save();
    void Restore(int which);

    // Drawing (logical coordinates).
    void MoveTo(QPointF p) { st.current = p; }
    void LineTo(QPointF p);
    void Polyline(const QPointF *pts, size_t n, bool fromCurrent);
    void Polygon(const QPointF *pts, size_t n);
    void PolyPolygon(const QPainterPath &polygons);
    void PolyPolyline(const QPainterPath &lines);
    void PolyBezier(const QPointF *pts, size_t n, bool fromCurrent);
    void Rectangle(const QRectF &r);
    void RoundRect(const QRectF &r, QSizeF corner);
    void Ellipse(const QRectF &r);
    void Arc(gdi::ArcKind kind, const QRectF &box, QPointF start, QPointF end, bool toFromCurrent = false);
    void SetPixel(QPointF p, QColor c);
    // Text at p (or the current position with TA_UPDATECP); dx: advances in logical units.
    void Text(QPointF p, const QString &text, int options, const QRectF *rect, const std::vector<double> &dx);
    // Bitmap drawing; src is in bitmap pixels (top-down). A null image does a pattern blit.
    void Bitmap(const QRectF &dst, const QImage &image, const QRectF &src, uint32_t rop);
    void FillRegion(const QPainterPath &outputRegion, const MetafileBrush &brush);
    // Fills a logical shape with a brush given in logical coordinates (gradients).
    void FillLogical(const QPainterPath &logical, const QBrush &brush);
    // Regions in logical units, as output paths.
    QPainterPath LogicalRegionToOutput(const QRegion &r) const;
    QPainterPath DeviceRegionToOutput(const QRegion &r) const;

    // Clipping.
    void IntersectClipRect(const QRectF &r);
    void ExcludeClipRect(const QRectF &r);
    void CombineClip(const std::optional<QPainterPath> &outputRegion, int mode);
    void OffsetClip(QPointF logicalOffset);

    // Paths.
    void BeginPath();
    void EndPath() { pathOpen_ = false; }
    void AbortPath() { pathOpen_ = false; path_ = QPainterPath(); }
    void CloseFigure();
    void FillPath(bool stroke, bool fill);
    void SelectClipPath(int mode);

    bool TextAvailable() const { return textAvailable_; }

private:
    void Prepare(bool withPen, bool withBrush);
    QPen MakePen() const;
    QBrush MakeBrush(const MetafileBrush &b) const;
    void ApplyClip();
    // Adds logical shape to the open path (output coordinates) or draws it.
    void Shape(const QPainterPath &logical, bool fill, bool stroke);

    QImage &image_;
    QPainter painter_;
    QTransform deviceToOutput_;
    QPointF pixelsPerMm_;
    std::vector<MetafileObject> objects_;
    size_t firstFree_ = 0;
    std::vector<MetafileState> saved_;
    QPainterPath path_;  // output coordinates
    bool pathOpen_ = false;
    bool textAvailable_ = false;
};

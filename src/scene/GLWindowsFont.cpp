#include "scene/GLWindowsFont.h"

#include "platform/Errors.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kDefaultPixelHeight = 11;
// Far beyond what any atlas holds; larger heights are measured as this one (and so refused).
constexpr int kMaxPixelHeight = 4096;

// |height| limited to kMaxPixelHeight, without overflow for the most negative value.
int PixelsOf(int height) {
    const long long pixels = height < 0 ? -static_cast<long long>(height) : height;
    return int(std::min<long long>(pixels, kMaxPixelHeight));
}
constexpr int kFallbackPoints = 6;

// Resets a flag when the scope ends, also on error.
struct FlagGuard {
    explicit FlagGuard(bool &flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    bool &flag_;
};

} // namespace

int TGLFontDescription::Size() const {
    const int pixels = Height == 0 ? kDefaultPixelHeight : PixelsOf(Height);
    return int(std::lround(pixels * 72.0 / 96.0));
}

void TGLFontDescription::SetSize(int points) {
    Height = -int(std::lround(std::min(PixelsOf(points) * 96.0 / 72.0, double(kMaxPixelHeight))));
}

TGLWindowsBitmapFont::TGLWindowsBitmapFont() : TGLWindowsBitmapFont(TGLFontDescription{}) {}

TGLWindowsBitmapFont::TGLWindowsBitmapFont(const TGLFontDescription &font) : font_(font) {
    SetGlyphsAlpha(tiaAlphaFromIntensity);
    Ranges().Add(32, 125); // builds the atlas
}

void TGLWindowsBitmapFont::SetFont(const TGLFontDescription &font) {
    if (font_ == font) return;
    font_ = font;
    BuildGlyphAtlas();
}

void TGLWindowsBitmapFont::RangesChanged() { BuildGlyphAtlas(); }

QFont TGLWindowsBitmapFont::SystemFont() const {
    QFont f;
    // A named family that is not installed stands in as the system's sans-serif family.
    if (!font_.Name.isEmpty() && QFontDatabase::hasFamily(font_.Name)) {
        f.setFamily(font_.Name);
    } else {
        f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("sans-serif")});
    }
    f.setStyleHint(QFont::SansSerif);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    f.setBold(font_.Bold);
    f.setItalic(font_.Italic);
    f.setUnderline(font_.Underline);
    f.setStrikeOut(font_.StrikeOut);
    f.setKerning(false);
    const int pixels = font_.Height == 0 ? kDefaultPixelHeight : PixelsOf(font_.Height);
    f.setPixelSize(pixels);
    if (font_.Height > 0) {
        // A positive height is the cell height: shrink the em size by the font's leading.
        const int cell = QFontMetrics(f).height();
        if (cell > 0) f.setPixelSize(std::max(1, int(std::lround(double(pixels) * pixels / cell))));
    }
    return f;
}

void TGLWindowsBitmapFont::BuildGlyphAtlas() {
    if (building_) return;
    FlagGuard guard(building_);

    ClearGlyphs();
    NotifyUsers();
    qfont_ = SystemFont();
    const QFontMetrics fm(qfont_);
    ascent_ = fm.ascent();

    int cellWidth = std::max({fm.horizontalAdvance(QStringLiteral("M")), fm.horizontalAdvance(QStringLiteral("W")),
                              fm.horizontalAdvance(QStringLiteral("_"))}) + 2;
    // The height of a one-line text ("\"_pI|," is the tallest mix) is the font's cell height,
    // ascent plus descent, whatever its characters.
    SetCharHeight(fm.height() + 2);
    if (font_.Italic) {
        SetItalicFix(-(cellWidth / 3));
        cellWidth += cellWidth / 3;
    } else {
        SetItalicFix(0);
    }
    SetCharWidth(cellWidth);

    for (int r = 0; r < Ranges().Count(); ++r) {
        const TBitmapFontRange &range = Ranges().Items(r);
        for (int c = range.StartASCII(); c <= range.StopASCII(); ++c) {
            const int advance = fm.horizontalAdvance(QString(QChar(ushort(c))));
            SetCharWidthOf(c, advance > 0 ? advance - ItalicFix() : 0);
        }
    }

    int width = 0, height = 0;
    if (!ChooseAtlasSize(width, height)) {
        GlyphPictureRef() = QImage();
        ClearGlyphs();
        MarkTextureDirty();
        font_.SetSize(kFallbackPoints);
        throw OrvantaError(QStringLiteral("Characters are too large or too many. Unable to create font texture."));
    }

    // Painted at AtlasScale texels per font pixel; the layout stays in font pixels.
    const int k = AtlasScale();
    QImage picture(width * k, height * k, QImage::Format_RGB32);
    picture.fill(Qt::black);
    {
        QPainter painter(&picture);
        painter.scale(k, k);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(qfont_);
        painter.setPen(Qt::white);
        LayoutGlyphs(width, height, &painter);
    }
    GlyphPictureRef() = std::move(picture);
    MarkTextureDirty();
    NotifyUsers();
}

void TGLWindowsBitmapFont::PaintGlyph(QPainter &painter, int code, int x, int y, const QRect &) {
    painter.drawText(x, y + ascent_, QString(QChar(ushort(code))));
}

unsigned TGLWindowsBitmapFont::TextureInternalFormat() const { return GL_ALPHA8; }

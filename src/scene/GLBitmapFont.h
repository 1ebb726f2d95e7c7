#pragma once
// Bitmap fonts: a texture atlas of glyphs, drawn as one textured quad per character.
//   TAlignment, TTextLayout   horizontal alignment of each line, vertical layout of a text
//   TBitmapFontRange(s)       the character codes a font holds
//   BitmapFontUser            a node that is told when its font changes or goes away
//   TGLCustomBitmapFont       cell sizes, spacing, filters, char widths and texture rectangles;
//                             the atlas layout (LayoutGlyphs) and size choice, TextWidthOf, the
//                             alignment and layout offsets, DrawString and the font texture
// The font whose atlas is painted from a system font is TGLWindowsBitmapFont (GLWindowsFont.h).
// Measuring and layout need no OpenGL; DrawString and the texture need a current context.

#include "scene/GLComponents.h"
#include "scene/GLGraphics.h"
#include "scene/GLTexture.h"

#include <QImage>
#include <QOpenGLContext>
#include <QPointer>
#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;
class TGLCustomBitmapFont;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// Where a glyph lies in the atlas, in texture coordinates (t runs upwards).
struct TGlyphRect {
    float Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TBitmapFontRange {
public:
    explicit TBitmapFontRange(TGLCustomBitmapFont *font) : font_(font) {}
    uint8_t StartASCII() const { return start_; }
    uint8_t StopASCII() const { return stop_; }
    int StartGlyphIdx() const { return startGlyphIdx_; }
    // A start above the stop raises the stop to it, and a stop below the start lowers the start.
    void SetStartASCII(uint8_t code);
    void SetStopASCII(uint8_t code);
    void SetStartGlyphIdx(int index); // values below 0 store 0
    int CharCount() const { return int(stop_) - int(start_) + 1; }

private:
    friend class TBitmapFontRanges;
    void Changed();
    TGLCustomBitmapFont *font_;
    uint8_t start_ = 32;
    uint8_t stop_ = 32;
    int startGlyphIdx_ = 0;
};

class TBitmapFontRanges {
public:
    explicit TBitmapFontRanges(TGLCustomBitmapFont *font) : font_(font) {}
    int Count() const { return int(items_.size()); }
    TBitmapFontRange &Items(int i) { return *items_[size_t(i)]; }
    const TBitmapFontRange &Items(int i) const { return *items_[size_t(i)]; }
    // Appends the range start..stop; a stop below the start is raised to it.
    TBitmapFontRange &Add(uint8_t start, uint8_t stop);
    void Delete(int i);
    void Clear();
    // Number of codes in all ranges together.
    int CharacterCount() const;

private:
    TGLCustomBitmapFont *font_;
    std::vector<std::unique_ptr<TBitmapFontRange>> items_;
};

class BitmapFontUser {
public:
    virtual void BitmapFontChanged() = 0;

protected:
    ~BitmapFontUser() = default;
};

class TGLCustomBitmapFont : public FreeNotifier {
public:
    TGLCustomBitmapFont();
    virtual ~TGLCustomBitmapFont();
    TGLCustomBitmapFont(const TGLCustomBitmapFont &) = delete;
    TGLCustomBitmapFont &operator=(const TGLCustomBitmapFont &) = delete;

    TBitmapFontRanges &Ranges() { return ranges_; }
    const TBitmapFontRanges &Ranges() const { return ranges_; }
    int CharWidth() const { return charWidth_; }
    int CharHeight() const { return charHeight_; }
    void SetCharWidth(int value);  // values below 2 store 1
    void SetCharHeight(int value); // values below 2 store 1
    int HSpace() const { return hSpace_; }
    int VSpace() const { return vSpace_; }
    void SetHSpace(int value); // negative values store 0
    void SetVSpace(int value); // negative values store 0
    int ItalicFix() const { return italicFix_; }
    void SetItalicFix(int value);
    TGLMinFilter MinFilter() const { return minFilter_; }
    TGLMagFilter MagFilter() const { return magFilter_; }
    // A different filter marks the texture dirty.
    void SetMinFilter(TGLMinFilter filter);
    void SetMagFilter(TGLMagFilter filter);
    TGLTextureImageAlpha GlyphsAlpha() const { return glyphsAlpha_; }
    void SetGlyphsAlpha(TGLTextureImageAlpha mode) { glyphsAlpha_ = mode; }

    // Per character code (0 for codes outside 0..255).
    int CharWidths(int code) const { return code >= 0 && code < 256 ? charWidths_[code] : 0; }
    TGlyphRect CharRects(int code) const { return code >= 0 && code < 256 ? charRects_[code] : TGlyphRect{}; }
    const QImage &GlyphPicture() const { return glyphPicture_; }

    // Texels per font pixel of the atlas: 1, 2 or 4. On screens with a device pixel ratio above
    // 1 the atlas is painted at that many times the resolution, so that texts drawn at s window
    // pixels per font pixel stay sharp; the layout, the widths and the texture rectangles (as
    // fractions of the atlas) do not change. A different value marks the texture dirty.
    int AtlasScale() const { return atlasScale_; }
    void SetAtlasScale(int scale);
    // The atlas scale for a device pixel ratio: the next of 1, 2, 4 not below it.
    static int AtlasScaleFor(float pixelRatio);

    // Measuring: length x (ItalicFix + HSpace) - HSpace + the sum of the char widths, over the
    // whole text or the characters from..to-1.
    int TextWidthOf(const QString &text) const { return TextWidthOf(text, 0, int(text.size())); }
    int TextWidthOf(const QString &text, int from, int to) const;
    // Pen offset of the line that starts at lineStart (it runs to the next carriage return).
    int AlignmentOffset(const QString &text, int lineStart, TAlignment alignment) const;
    // Offset of the first line's top above the anchor; lines = 1 + the carriage returns.
    int LayoutOffset(const QString &text, TTextLayout layout) const;

    // Atlas layout: the glyphs placed into a W x H atlas (painted when a painter is given).
    int LayoutGlyphs(int width, int height, QPainter *painter = nullptr);
    // The smallest atlas of 64..512 per side that places every glyph; false when none does.
    bool ChooseAtlasSize(int &width, int &height);

    // Draws the text with its anchor at the origin of the current matrices (y up; lines go
    // downwards). Needs a current context; prepares the texture when needed.
    void DrawString(const QString &text, TTextLayout layout, TAlignment alignment, const TGLColor &color);
    // Uploads the atlas (alpha = (R + G + B) div 3) with the font's internal format and filters.
    void PrepareFontTexture();
    // Deletes the texture object (now when its context is current, otherwise when it is next).
    void DestroyTextureHandle();
    unsigned TextureHandle() const { return handle_; }
    int TextureWidth() const { return texWidth_; }
    int TextureHeight() const { return texHeight_; }
    bool TextureDirty() const { return textureDirty_; }

    // The nodes drawing with this font; told to redraw on changes and when the font goes away.
    void RegisterUser(BitmapFontUser *user);
    void UnregisterUser(BitmapFontUser *user);
    int UserCount() const { return int(users_.size()); }

protected:
    friend class TBitmapFontRange;
    friend class TBitmapFontRanges;
    virtual void RangesChanged() { NotifyUsers(); }
    // Paints code c white on black with its top left at (x, y), clipped to cell.
    virtual void PaintGlyph(QPainter &painter, int code, int x, int y, const QRect &cell);
    // Runs before each upload (the system font rebuilds its atlas here).
    virtual void BeforePrepareTexture() {}
    // OpenGL internal format of the uploaded atlas.
    virtual unsigned TextureInternalFormat() const;

    void NotifyUsers();
    // Forgets the char widths and texture rectangles.
    void ClearGlyphs();
    void SetCharWidthOf(int code, int width) { if (code >= 0 && code < 256) charWidths_[code] = width; }
    QImage &GlyphPictureRef() { return glyphPicture_; }
    void MarkTextureDirty() { textureDirty_ = true; }

private:
    bool TextureUsable() const;

    TBitmapFontRanges ranges_{this};
    int charWidth_ = 16;
    int charHeight_ = 16;
    int hSpace_ = 1;
    int vSpace_ = 1;
    int italicFix_ = 0;
    int atlasScale_ = 1;
    TGLMinFilter minFilter_ = miLinear;
    TGLMagFilter magFilter_ = maLinear;
    TGLTextureImageAlpha glyphsAlpha_ = tiaDefault;
    int charWidths_[256] = {};
    TGlyphRect charRects_[256];
    QImage glyphPicture_;

    unsigned handle_ = 0;
    QPointer<QOpenGLContext> handleContext_;
    int texWidth_ = 0;
    int texHeight_ = 0;
    bool textureDirty_ = true;
    std::vector<BitmapFontUser *> users_;
};

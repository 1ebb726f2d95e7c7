#pragma once
// TGLWindowsBitmapFont: a bitmap font whose glyph atlas is painted from a system font.
//   TGLFontDescription    name, height in pixels (negative: character height), style; the
//                         colour is always white
//   TGLWindowsBitmapFont  builds the atlas (BuildGlyphAtlas) at creation and whenever the font
//                         or the ranges change; uploads it as a one-channel alpha texture
// The system font is the fontconfig sans-serif family (DejaVu Sans or Liberation Sans) when the
// named family is not installed, at the same pixel height and weight, measured and painted with
// QPainter on a QImage. Needs a QGuiApplication.

#include "scene/GLBitmapFont.h"

#include <QFont>
#include <QString>

struct TGLFontDescription {
    QString Name = QStringLiteral("MS Sans Serif");
    // Pixels; negative values give the character height (the em size), positive ones the cell
    // height including the internal leading. 0 means the default, 11 pixels.
    int Height = -11;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Charset = 1; // default character set

    // The size in points at 96 pixels per inch, and setting it (Height becomes its negative).
    int Size() const;
    void SetSize(int points);
    bool operator==(const TGLFontDescription &o) const {
        return Name == o.Name && Height == o.Height && Bold == o.Bold && Italic == o.Italic &&
               Underline == o.Underline && StrikeOut == o.StrikeOut && Charset == o.Charset;
    }
    bool operator!=(const TGLFontDescription &o) const { return !(*this == o); }
};

class TGLWindowsBitmapFont : public TGLCustomBitmapFont {
public:
    // Alpha from intensity, one range 32 to 125, and the atlas built at once.
    TGLWindowsBitmapFont();
    explicit TGLWindowsBitmapFont(const TGLFontDescription &font);

    const TGLFontDescription &Font() const { return font_; }
    // Rebuilds the atlas; raises the too-large error (see BuildGlyphAtlas).
    void SetFont(const TGLFontDescription &font);

    // Measures the glyphs, chooses the atlas size and paints the atlas. When no atlas of up to
    // 512 x 512 holds every glyph, sets the font size to 6 and raises "Characters are too large
    // or too many. Unable to create font texture.".
    void BuildGlyphAtlas();
    // The Qt font the description stands for.
    QFont SystemFont() const;

protected:
    void RangesChanged() override;
    void PaintGlyph(QPainter &painter, int code, int x, int y, const QRect &cell) override;
    void BeforePrepareTexture() override { BuildGlyphAtlas(); }
    unsigned TextureInternalFormat() const override;

private:
    TGLFontDescription font_;
    QFont qfont_;
    int ascent_ = 0;
    bool building_ = false;
};

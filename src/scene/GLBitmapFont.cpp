#include "scene/GLBitmapFont.h"

#include "scene/GLContext.h"

#include <QPainter>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kAtlasSides[] = {64, 128, 256, 512};
constexpr ushort kCarriageReturn = 13;
constexpr ushort kBlank = 32;
constexpr ushort kColourEscape = 255;

} // namespace

// ---------------------------------------------------------------------------------------------
// Ranges

void TBitmapFontRange::SetStartASCII(uint8_t code) {
    if (start_ == code) return;
    start_ = code;
    if (start_ > stop_) stop_ = start_;
    Changed();
}

void TBitmapFontRange::SetStopASCII(uint8_t code) {
    if (stop_ == code) return;
    stop_ = code;
    if (stop_ < start_) start_ = stop_;
    Changed();
}

void TBitmapFontRange::SetStartGlyphIdx(int index) {
    index = std::max(index, 0);
    if (startGlyphIdx_ == index) return;
    startGlyphIdx_ = index;
    Changed();
}

void TBitmapFontRange::Changed() {
    if (font_) font_->RangesChanged();
}

TBitmapFontRange &TBitmapFontRanges::Add(uint8_t start, uint8_t stop) {
    auto range = std::make_unique<TBitmapFontRange>(font_);
    range->start_ = start;
    range->stop_ = stop < start ? start : stop;
    items_.push_back(std::move(range));
    font_->RangesChanged();
    return *items_.back();
}

void TBitmapFontRanges::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    items_.erase(items_.begin() + i);
    font_->RangesChanged();
}

void TBitmapFontRanges::Clear() {
    if (items_.empty()) return;
    items_.clear();
    font_->RangesChanged();
}

int TBitmapFontRanges::CharacterCount() const {
    int n = 0;
    for (const auto &r : items_) n += r->CharCount();
    return n;
}

// ---------------------------------------------------------------------------------------------
// TGLCustomBitmapFont: fields

TGLCustomBitmapFont::TGLCustomBitmapFont() = default;

TGLCustomBitmapFont::~TGLCustomBitmapFont() {
    // Users forget the font before any of it is gone.
    NotifyFreed();
    users_.clear();
    DestroyTextureHandle();
}

void TGLCustomBitmapFont::SetCharWidth(int value) {
    value = value < 2 ? 1 : value;
    if (charWidth_ == value) return;
    charWidth_ = value;
    NotifyUsers();
}

void TGLCustomBitmapFont::SetCharHeight(int value) {
    value = value < 2 ? 1 : value;
    if (charHeight_ == value) return;
    charHeight_ = value;
    NotifyUsers();
}

void TGLCustomBitmapFont::SetHSpace(int value) {
    value = std::max(value, 0);
    if (hSpace_ == value) return;
    hSpace_ = value;
    NotifyUsers();
}

void TGLCustomBitmapFont::SetVSpace(int value) {
    value = std::max(value, 0);
    if (vSpace_ == value) return;
    vSpace_ = value;
    NotifyUsers();
}

void TGLCustomBitmapFont::SetItalicFix(int value) {
    if (italicFix_ == value) return;
    italicFix_ = value;
    NotifyUsers();
}

void TGLCustomBitmapFont::SetMinFilter(TGLMinFilter filter) {
    if (minFilter_ == filter) return;
    minFilter_ = filter;
    textureDirty_ = true;
    NotifyUsers();
}

void TGLCustomBitmapFont::SetMagFilter(TGLMagFilter filter) {
    if (magFilter_ == filter) return;
    magFilter_ = filter;
    textureDirty_ = true;
    NotifyUsers();
}

void TGLCustomBitmapFont::SetAtlasScale(int scale) {
    scale = scale >= 4 ? 4 : scale >= 2 ? 2 : 1;
    if (atlasScale_ == scale) return;
    atlasScale_ = scale;
    textureDirty_ = true;
}

int TGLCustomBitmapFont::AtlasScaleFor(float pixelRatio) {
    if (pixelRatio > 2.0f) return 4;
    if (pixelRatio > 1.0f) return 2;
    return 1;
}

void TGLCustomBitmapFont::RegisterUser(BitmapFontUser *user) {
    if (user && std::find(users_.begin(), users_.end(), user) == users_.end()) users_.push_back(user);
}

void TGLCustomBitmapFont::UnregisterUser(BitmapFontUser *user) {
    users_.erase(std::remove(users_.begin(), users_.end(), user), users_.end());
}

void TGLCustomBitmapFont::NotifyUsers() {
    for (size_t i = 0; i < users_.size(); ++i) users_[i]->BitmapFontChanged();
}

void TGLCustomBitmapFont::ClearGlyphs() {
    std::fill(std::begin(charWidths_), std::end(charWidths_), 0);
    std::fill(std::begin(charRects_), std::end(charRects_), TGlyphRect{});
}

// ---------------------------------------------------------------------------------------------
// Measuring

int TGLCustomBitmapFont::TextWidthOf(const QString &text, int from, int to) const {
    from = std::max(from, 0);
    to = std::min(to, int(text.size()));
    const int length = std::max(to - from, 0);
    int width = length * (italicFix_ + hSpace_) - hSpace_;
    for (int i = from; i < to; ++i) width += CharWidths(text[i].unicode());
    return width;
}

int TGLCustomBitmapFont::AlignmentOffset(const QString &text, int lineStart, TAlignment alignment) const {
    if (alignment == taLeftJustify) return 0;
    int lineEnd = int(text.indexOf(QChar(kCarriageReturn), lineStart));
    if (lineEnd < 0) lineEnd = int(text.size());
    const int width = TextWidthOf(text, lineStart, lineEnd);
    if (alignment == taRightJustify) return -width;
    return int(RoundHalfEven(float(-width) * 0.5f));
}

int TGLCustomBitmapFont::LayoutOffset(const QString &text, TTextLayout layout) const {
    if (layout == tlTop) return 0;
    const int lines = 1 + int(text.count(QChar(kCarriageReturn)));
    const int height = lines * (charHeight_ + vSpace_) - vSpace_;
    if (layout == tlBottom) return height;
    return int(RoundHalfEven(float(height) * 0.5f));
}

// ---------------------------------------------------------------------------------------------
// Atlas layout

void TGLCustomBitmapFont::PaintGlyph(QPainter &, int, int, int, const QRect &) {}

int TGLCustomBitmapFont::LayoutGlyphs(int width, int height, QPainter *painter) {
    int x = 0, y = 0, count = 0;
    for (int c = 0; c < 256; ++c) {
        const int wc = charWidths_[c];
        if (wc <= 0) continue;
        if (painter) {
            const QRect cell(x, y, wc + 2, charHeight_);
            painter->save();
            painter->setClipRect(cell);
            PaintGlyph(*painter, c, x + 1, y + 1, cell);
            painter->restore();
            const float w = float(width), h = float(height);
            charRects_[c].Left = (float(x) + 1.05f) / w;
            charRects_[c].Right = (float(x + wc + 2) - 1.05f) / w;
            charRects_[c].Top = (h - (float(y) + 0.05f)) / h;
            charRects_[c].Bottom = (h - (float(y + charHeight_) - 0.05f)) / h;
        }
        // The next code's cell must still fit on this row; otherwise a new row begins.
        const int next = c < 255 ? charWidths_[c + 1] : 0;
        if (c == 255 || x + (wc + 2) + next + 2 <= width) {
            x += wc + 2;
            ++count;
        } else {
            x = 0;
            y += charHeight_;
            if (y + charHeight_ > height) break;
            ++count;
        }
    }
    return count;
}

bool TGLCustomBitmapFont::ChooseAtlasSize(int &width, int &height) {
    int n = 0;
    for (int c = 0; c < 256; ++c)
        if (charWidths_[c] > 0) ++n;
    bool found = false;
    for (int h : kAtlasSides) {
        for (int w : kAtlasSides) {
            if (LayoutGlyphs(w, h) < n) continue;
            const long area = long(w) * h, bestArea = long(width) * height;
            if (!found || area < bestArea || (area == bestArea && std::abs(w - h) < std::abs(width - height))) {
                width = w;
                height = h;
                found = true;
            }
        }
    }
    return found;
}

// ---------------------------------------------------------------------------------------------
// Texture

unsigned TGLCustomBitmapFont::TextureInternalFormat() const { return GL_RGBA8; }

bool TGLCustomBitmapFont::TextureUsable() const {
    if (handle_ == 0 || handleContext_.isNull()) return false;
    QOpenGLContext *current = QOpenGLContext::currentContext();
    return current == handleContext_ || QOpenGLContext::areSharing(current, handleContext_.data());
}

void TGLCustomBitmapFont::DestroyTextureHandle() {
    if (handle_ != 0 && !handleContext_.isNull()) {
        if (QOpenGLContext::currentContext() == handleContext_) {
            const GLuint name = handle_;
            glDeleteTextures(1, &name);
        } else {
            QueueOrphanTexture(handleContext_.data(), handle_);
        }
    }
    handle_ = 0;
    handleContext_.clear();
    texWidth_ = texHeight_ = 0;
    textureDirty_ = true;
}

void TGLCustomBitmapFont::PrepareFontTexture() {
    QOpenGLContext *current = QOpenGLContext::currentContext();
    if (!current) return;
    // A texture made in a context that is gone, or in another one, cannot be used here.
    if (handle_ != 0 && !TextureUsable()) DestroyTextureHandle();
    if (handle_ == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        handle_ = name;
        handleContext_ = current;
    }
    glBindTexture(GL_TEXTURE_2D, handle_);
    BeforePrepareTexture();

    const TGLCapabilities &caps = TGLCapabilities::Current();
    const int limit = caps.maxTextureSize > 0 ? caps.maxTextureSize : 64;
    const int pw = glyphPicture_.width(), ph = glyphPicture_.height();
    const int w = pw > 0 ? RoundUpToPowerOf2(pw, limit) : 1;
    const int h = ph > 0 ? RoundUpToPowerOf2(ph, limit) : 1;
    // Rows from the bottom of the picture up (t runs upwards); the alpha is the intensity.
    std::vector<uint8_t> data(size_t(w) * size_t(h) * 4, 0);
    const int rows = std::min(ph, h), cols = std::min(pw, w);
    for (int y = 0; y < rows; ++y) {
        const QRgb *src = reinterpret_cast<const QRgb *>(glyphPicture_.constScanLine(y));
        uint8_t *dst = data.data() + size_t(h - 1 - y) * size_t(w) * 4;
        for (int x = 0; x < cols; ++x) {
            const int r = qRed(src[x]), g = qGreen(src[x]), b = qBlue(src[x]);
            dst[4 * x + 0] = uint8_t(r);
            dst[4 * x + 1] = uint8_t(g);
            dst[4 * x + 2] = uint8_t(b);
            dst[4 * x + 3] = uint8_t((r + g + b) / 3);
        }
    }

    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(MinFilterToGL(minFilter_)));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(MagFilterToGL(magFilter_)));
    const GLint internal = GLint(TextureInternalFormat());
    if (IsMipmapFilter(minFilter_)) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, internal, w, h, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    } else {
        if (caps.generateMipmap) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_FALSE);
        glTexImage2D(GL_TEXTURE_2D, 0, internal, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    }
    texWidth_ = w;
    texHeight_ = h;
    textureDirty_ = false;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TGLCustomBitmapFont::DrawString(const QString &text, TTextLayout layout, TAlignment alignment,
                                     const TGLColor &color) {
    if (glyphPicture_.isNull() || text.isEmpty()) return;
    if (textureDirty_ || !TextureUsable()) {
        try {
            PrepareFontTexture();
        } catch (const std::exception &) {
            // A font that can no longer build its atlas draws nothing; the frame goes on.
            return;
        }
        if (glyphPicture_.isNull() || handle_ == 0) return;
    }

    float x = float(AlignmentOffset(text, 0, alignment));
    float y = float(LayoutOffset(text, layout));
    float bottom = y - float(charHeight_);

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, handle_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(color.Red, color.Green, color.Blue, color.Alpha);
    glBegin(GL_QUADS);
    const int length = int(text.size());
    for (int i = 0; i < length; ++i) {
        const ushort c = text[i].unicode();
        if (c == kCarriageReturn) {
            x = float(AlignmentOffset(text, i + 1, alignment));
            y -= float(charHeight_ + vSpace_);
            bottom = y - float(charHeight_);
        } else if (c == kBlank) {
            x += float(charWidths_[kBlank] + italicFix_ + hSpace_);
        } else if (c > kBlank && c < kColourEscape) {
            const int wc = charWidths_[c];
            if (wc <= 0) continue;
            const TGlyphRect &r = charRects_[c];
            glTexCoord2f(r.Left, r.Top);
            glVertex2f(x, y);
            glTexCoord2f(r.Left, r.Bottom);
            glVertex2f(x, bottom);
            glTexCoord2f(r.Right, r.Bottom);
            glVertex2f(x + float(wc), bottom);
            glTexCoord2f(r.Right, r.Top);
            glVertex2f(x + float(wc), y);
            x += float(wc + hSpace_);
        } else if (c == kColourEscape) {
            // The next three characters give red, green and blue in hundredths; a text that
            // ends before them stops here.
            if (i + 3 >= length) break;
            glColor4f(float(text[i + 1].unicode()) / 100.0f, float(text[i + 2].unicode()) / 100.0f,
                      float(text[i + 3].unicode()) / 100.0f, color.Alpha);
            i += 3;
        }
    }
    glEnd();
    glPopAttrib();
}

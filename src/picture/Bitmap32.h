#pragma once
// TBitmap32: the 32-bit bitmap of decoded pictures, texture maps and placeholder pictures.
// Each pixel is one 32-bit value 0xAARRGGBB (bytes blue, green, red, alpha in memory); rows run
// from the top row down with no gaps between them.

#include "picture/StretchFilter.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

using TColor32 = uint32_t;

constexpr TColor32 Color32(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    return (TColor32(a) << 24) | (TColor32(r) << 16) | (TColor32(g) << 8) | TColor32(b);
}
constexpr uint8_t RedOf(TColor32 c) { return uint8_t(c >> 16); }
constexpr uint8_t GreenOf(TColor32 c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOf(TColor32 c) { return uint8_t(c); }
constexpr uint8_t AlphaOf(TColor32 c) { return uint8_t(c >> 24); }

// A pixel rectangle: Left/Top inclusive, Right/Bottom exclusive.
struct PixelRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int64_t Width() const { return int64_t(Right) - Left; }
    int64_t Height() const { return int64_t(Bottom) - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const PixelRect &) const = default;
};
// The common part of two rectangles (empty when they do not meet).
PixelRect IntersectRects(const PixelRect &a, const PixelRect &b);

// Font styles, combined as bits.
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// The font of text drawn into a bitmap. Size is in points at 96 dots per inch (8 points are
// 11 pixels). Windows system font names are drawn with the fontconfig sans-serif family.
struct TBitmapFont {
    QString Name = QStringLiteral("MS Sans Serif");
    int Size = 8;
    TColor32 Color = Color32(0, 0, 0);
    unsigned Style = 0;
    int PixelHeight() const;
};

class TBitmap32 {
public:
    TBitmap32() = default;
    TBitmap32(int width, int height) { SetSize(width, height); }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    PixelRect BoundsRect() const { return {0, 0, width_, height_}; }

    // New size; the contents are undefined (zero for a fresh buffer). Negative sizes count as 0.
    // Running out of memory raises OrvantaError.
    void SetSize(int width, int height);
    // The same for a caller that writes every pixel next: nothing is cleared, and the memory
    // the bitmap already holds is reused (no fresh pages to fault in for a picture of a size seen
    // before), so the contents are undefined.
    void SetSizeForOverwrite(int width, int height);

    TColor32 *Bits() { return bits_.data(); }
    const TColor32 *Bits() const { return bits_.data(); }
    TColor32 *ScanLine(int y) { return bits_.data() + size_t(y) * size_t(width_); }
    const TColor32 *ScanLine(int y) const { return bits_.data() + size_t(y) * size_t(width_); }
    TColor32 Pixel(int x, int y) const { return ScanLine(y)[x]; }
    void SetPixel(int x, int y, TColor32 c) { ScanLine(y)[x] = c; }

    // Every pixel := c.
    void Clear(TColor32 c);
    // Alpha byte of every pixel := a.
    void SetAlpha(uint8_t a);
    // The pixels of r that lie inside the bitmap := c.
    void FillRect(const PixelRect &r, TColor32 c);
    // Draws text in Font into r (left and top aligned), breaking lines between words where a
    // line would pass the right edge and at line breaks ("\r\n", "\n"); nothing outside r
    // changes. Needs a running QGuiApplication (for the fonts); raises OrvantaError without one.
    void DrawTextInRect(const PixelRect &r, const QString &text);
    // Mirrors the picture left to right in place.
    void MirrorLeftRight();
    // Copies the whole bitmap into dstRect of dst, resampled with StretchFilter and clipped to
    // dst; does nothing when this bitmap is empty. Raises OrvantaError when dst is empty.
    void DrawStretched(TBitmap32 &dst, const PixelRect &dstRect) const;

    TStretchFilter StretchFilter = sfNearest;
    TBitmapFont Font;

private:
    // Leaves new pixels uninitialised when the vector grows by resize(); assign() still fills.
    template <class T>
    struct UninitialisedAllocator : std::allocator<T> {
        template <class U>
        struct rebind {
            using other = UninitialisedAllocator<U>;
        };
        UninitialisedAllocator() = default;
        template <class U>
        UninitialisedAllocator(const UninitialisedAllocator<U> &) noexcept {}
        template <class U>
        void construct(U *p) noexcept {
            ::new (static_cast<void *>(p)) U;
        }
        template <class U, class... Args>
        void construct(U *p, Args &&...args) {
            ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
        }
    };
    void Resize(int width, int height, bool clear);

    int width_ = 0;
    int height_ = 0;
    std::vector<TColor32, UninitialisedAllocator<TColor32>> bits_;
};

#pragma once
// TBitmap32: the 32-bit bitmap of decoded pictures, texture maps and placeholder pictures.
// Each pixel is one 32-bit value 0xAARRGGBB (bytes blue, green, red, alpha in memory); rows run
// from the top row down with no gaps between them.

#include <cstddef>
#include <cstdint>
#include <vector>

using TColor32 = uint32_t;

constexpr TColor32 Color32(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    return (TColor32(a) << 24) | (TColor32(r) << 16) | (TColor32(g) << 8) | TColor32(b);
}
constexpr uint8_t RedOf(TColor32 c) { return uint8_t(c >> 16); }
constexpr uint8_t GreenOf(TColor32 c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOf(TColor32 c) { return uint8_t(c); }
constexpr uint8_t AlphaOf(TColor32 c) { return uint8_t(c >> 24); }

class TBitmap32 {
public:
    TBitmap32() = default;
    TBitmap32(int width, int height) { SetSize(width, height); }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }

    // New size; the contents are undefined (zero for a fresh buffer). Negative sizes count as 0.
    void SetSize(int width, int height);

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

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<TColor32> bits_;
};

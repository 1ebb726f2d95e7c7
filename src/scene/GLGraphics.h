#pragma once
// Texture-side images.
//   TGLColor         four single floats red, green, blue, alpha
//   PixelBufferView  the seam to the picture layer: width, height and 32-bit 0xAARRGGBB pixels,
//                    rows from the top down (a TBitmap32's memory is exactly this)
//   TGLBitmap32      the texture image: 4 bytes red, green, blue, alpha per pixel, rows from the
//                    bottom row of the picture upwards
//   brightness / gamma tables and image alpha modes applied before upload

#include <QColor>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <vector>

struct TGLColor {
    float Red = 0, Green = 0, Blue = 0, Alpha = 1;
    bool operator==(const TGLColor &o) const {
        return Red == o.Red && Green == o.Green && Blue == o.Blue && Alpha == o.Alpha;
    }
    bool operator!=(const TGLColor &o) const { return !(*this == o); }
    const float *Data() const { return &Red; }
};

// From a Qt colour (the settings' colours), alpha included.
inline TGLColor ColorFromQColor(const QColor &c) {
    return {float(c.redF()), float(c.greenF()), float(c.blueF()), float(c.alphaF())};
}

struct PixelBufferView {
    int width = 0;
    int height = 0;
    const uint32_t *pixels = nullptr;
    // Pixels from one row to the next; 0 means width (rows without gaps).
    ptrdiff_t stride = 0;
};

enum TGLTextureImageAlpha {
    tiaDefault, tiaAlphaFromIntensity, tiaSuperBlackTransparent, tiaLuminance, tiaLuminanceSqrt,
    tiaOpaque, tiaTopLeftPointColorTransparent, tiaInverseLuminance, tiaInverseLuminanceSqrt
};

// The largest side a texture image may have; larger claims are refused before allocating.
constexpr int kMaxTextureImageSide = 16384;

class TGLBitmap32 {
public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }

    // New size, contents zero. Raises OrvantaError for negative sizes or sides above the limit.
    void SetSize(int width, int height);
    // Drops the pixels and their memory.
    void Clear();

    uint8_t *Data() { return data_.data(); }
    const uint8_t *Data() const { return data_.data(); }
    // Row y counted from the bottom row of the picture.
    uint8_t *ScanLine(int y) { return data_.data() + size_t(y) * size_t(width_) * 4; }
    const uint8_t *ScanLine(int y) const { return data_.data() + size_t(y) * size_t(width_) * 4; }
    // The pixel at (x, y) of the picture, y from the top, as 0xAARRGGBB.
    uint32_t PixelFromTop(int x, int y) const;

    // Fills from a top-down 0xAARRGGBB buffer: rows reversed, bytes reordered to R, G, B, A.
    // Raises OrvantaError for a malformed view (negative size, missing pixels, bad stride).
    void AssignFromPixels(const PixelBufferView &view);
    // Fills from any QImage (converted to 32-bit ARGB first).
    void AssignFromImage(const QImage &image);

    // Maps the red, green and blue bytes through a table.
    void MapColors(const uint8_t table[256]);
    void ApplyImageAlpha(TGLTextureImageAlpha mode);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> data_;
};

// Entry v = Round(v x B) in single precision, ties to even, limited to 0..255.
void BuildBrightnessTable(float brightness, uint8_t table[256]);
// Entry v = Round(255 x (v / 255)^e) with e = 1 / G, or 10 when G < 0.1 (so G <= 0 is safe).
void BuildGammaTable(float gamma, uint8_t table[256]);
// Rounds to the nearest integer, halves to the even neighbour.
long RoundHalfEven(float value);

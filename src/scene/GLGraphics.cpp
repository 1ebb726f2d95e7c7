#include "scene/GLGraphics.h"

#include "platform/Errors.h"

#include <cmath>
#include <cstring>

long RoundHalfEven(float value) { return std::lrint(value); } // default rounding mode: to nearest even

void TGLBitmap32::SetSize(int width, int height) {
    if (width < 0 || height < 0 || width > kMaxTextureImageSide || height > kMaxTextureImageSide)
        throw OrvantaError(QStringLiteral("Texture image size %1 x %2 is not supported").arg(width).arg(height));
    std::vector<uint8_t> fresh(size_t(width) * size_t(height) * 4, 0);
    data_.swap(fresh);
    width_ = width;
    height_ = height;
}

void TGLBitmap32::Clear() {
    std::vector<uint8_t>().swap(data_);
    width_ = height_ = 0;
}

uint32_t TGLBitmap32::PixelFromTop(int x, int y) const {
    const uint8_t *p = ScanLine(height_ - 1 - y) + size_t(x) * 4;
    return (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | uint32_t(p[2]);
}

void TGLBitmap32::AssignFromPixels(const PixelBufferView &view) {
    if (view.width < 0 || view.height < 0)
        throw OrvantaError(QStringLiteral("Texture image size %1 x %2 is not supported").arg(view.width).arg(view.height));
    const ptrdiff_t stride = view.stride == 0 ? view.width : view.stride;
    if (view.width > 0 && view.height > 0 && (!view.pixels || stride < view.width))
        throw OrvantaError(QStringLiteral("Texture image pixels are missing"));
    SetSize(view.width, view.height);
    for (int y = 0; y < height_; ++y) {
        const uint32_t *src = view.pixels + ptrdiff_t(y) * stride;
        uint8_t *dst = ScanLine(height_ - 1 - y);
        for (int x = 0; x < width_; ++x, dst += 4) {
            const uint32_t c = src[x];
            dst[0] = uint8_t(c >> 16);
            dst[1] = uint8_t(c >> 8);
            dst[2] = uint8_t(c);
            dst[3] = uint8_t(c >> 24);
        }
    }
}

void TGLBitmap32::AssignFromImage(const QImage &image) {
    if (image.isNull()) {
        Clear();
        return;
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    PixelBufferView view;
    view.width = argb.width();
    view.height = argb.height();
    view.pixels = reinterpret_cast<const uint32_t *>(argb.constBits());
    view.stride = argb.bytesPerLine() / 4;
    AssignFromPixels(view);
}

void TGLBitmap32::MapColors(const uint8_t table[256]) {
    uint8_t *p = data_.data();
    const size_t n = size_t(width_) * size_t(height_);
    for (size_t i = 0; i < n; ++i, p += 4) {
        p[0] = table[p[0]];
        p[1] = table[p[1]];
        p[2] = table[p[2]];
    }
}

void TGLBitmap32::ApplyImageAlpha(TGLTextureImageAlpha mode) {
    if (mode == tiaDefault || Empty()) return;
    uint8_t *p = data_.data();
    const size_t n = size_t(width_) * size_t(height_);
    // The top-left pixel of the picture is the first pixel of its last row here.
    const uint8_t *topLeft = ScanLine(height_ - 1);
    const uint8_t kr = topLeft[0], kg = topLeft[1], kb = topLeft[2];
    for (size_t i = 0; i < n; ++i, p += 4) {
        const int intensity = (p[0] + p[1] + p[2]) / 3;
        switch (mode) {
        case tiaAlphaFromIntensity: p[3] = uint8_t(intensity); break;
        case tiaSuperBlackTransparent: p[3] = (p[0] | p[1] | p[2]) ? 255 : 0; break;
        case tiaLuminance: p[0] = p[1] = p[2] = p[3] = uint8_t(intensity); break;
        case tiaLuminanceSqrt:
            p[0] = p[1] = p[2] = p[3] = uint8_t(std::lrint(std::sqrt(intensity / 255.0f) * 255.0f));
            break;
        case tiaOpaque: p[3] = 255; break;
        case tiaTopLeftPointColorTransparent:
            p[3] = (p[0] == kr && p[1] == kg && p[2] == kb) ? 0 : 255;
            break;
        case tiaInverseLuminance: p[0] = p[1] = p[2] = p[3] = uint8_t(255 - intensity); break;
        case tiaInverseLuminanceSqrt:
            p[0] = p[1] = p[2] = p[3] = uint8_t(255 - std::lrint(std::sqrt(intensity / 255.0f) * 255.0f));
            break;
        case tiaDefault: break;
        }
    }
}

void BuildBrightnessTable(float brightness, uint8_t table[256]) {
    for (int v = 0; v < 256; ++v) {
        const float scaled = float(v) * brightness;
        long r = std::isfinite(scaled) ? RoundHalfEven(scaled) : (scaled > 0 ? 255 : 0);
        if (r > 255) r = 255;
        if (r < 0) r = 0;
        table[v] = uint8_t(r);
    }
}

void BuildGammaTable(float gamma, uint8_t table[256]) {
    const float e = (gamma < 0.1f || !std::isfinite(gamma)) ? 10.0f : 1.0f / gamma;
    for (int v = 0; v < 256; ++v) {
        const float x = float(v) / 255.0f;
        long r = RoundHalfEven(255.0f * std::pow(x, e));
        if (r > 255) r = 255;
        if (r < 0) r = 0;
        table[v] = uint8_t(r);
    }
}

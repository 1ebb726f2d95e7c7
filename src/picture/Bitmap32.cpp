#include "picture/Bitmap32.h"

#include <algorithm>

void TBitmap32::SetSize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (width_ == 0 || height_ == 0)
        width_ = height_ = 0;
    bits_.assign(size_t(width_) * size_t(height_), 0);
}

void TBitmap32::Clear(TColor32 c) { std::fill(bits_.begin(), bits_.end(), c); }

void TBitmap32::SetAlpha(uint8_t a) {
    const TColor32 mask = TColor32(a) << 24;
    for (TColor32 &p : bits_)
        p = (p & 0x00FFFFFFu) | mask;
}

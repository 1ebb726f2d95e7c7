#pragma once
// Comparing two pictures of the same size in tests.

#include "picture/Bitmap32.h"

#include <cstdint>
#include <cstdlib>

namespace orvanta::test {

// Mean absolute difference per colour channel (alpha left out), in levels 0..255.
inline double MeanDifference(const TBitmap32 &a, const TBitmap32 &b) {
    int64_t sum = 0;
    const int64_t n = int64_t(a.Width()) * a.Height();
    for (int64_t i = 0; i < n; ++i)
        for (int shift : {0, 8, 16})
            sum += std::abs(int((a.Bits()[i] >> shift) & 255) - int((b.Bits()[i] >> shift) & 255));
    return n ? double(sum) / double(3 * n) : 0.0;
}

} // namespace orvanta::test

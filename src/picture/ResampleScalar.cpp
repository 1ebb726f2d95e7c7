// The reference pixel loops of the stretch transfer, written to read like the method they
// implement. Sums are 32-bit with wrap-around (taken in unsigned arithmetic so that the wrap
// is defined); the vectorised loops reproduce them bit for bit.

#include "picture/ResampleInternal.h"

#include <algorithm>

namespace resample::scalar {

namespace {

uint32_t Channel(TColor32 p, int ch) { return (p >> (8 * ch)) & 0xFFu; }

} // namespace

void Kernel(const Target &t, const TBitmap32 &src, const MappingTable &cols,
            const MappingTable &rows, bool clamp) {
    const int firstX = cols.minIndex;
    const int lastX = cols.maxIndex;
    if (cols.count() <= 0 || rows.count() <= 0 || lastX < firstX)
        return;
    // One row of four sums per source column, reused for every destination row.
    std::vector<int32_t> V(size_t(lastX - firstX + 1) * 4);
    for (int64_t j = 0; j < rows.count(); ++j) {
        TColor32 *out = t.dst->ScanLine(int(t.dstY0 + j));
        // Vertical pass.
        for (int x = firstX; x <= lastX; ++x) {
            for (int ch = 0; ch < 4; ++ch) {
                uint32_t sum = 0;
                for (const ClusterEntry *e = rows.begin(j); e != rows.end(j); ++e)
                    sum += uint32_t(e->weight) * Channel(src.Pixel(x, e->index), ch);
                V[size_t(x - firstX) * 4 + ch] = int32_t(sum);
            }
        }
        // Horizontal pass.
        for (int64_t i = 0; i < cols.count(); ++i) {
            TColor32 pixel = 0;
            for (int ch = 0; ch < 4; ++ch) {
                uint32_t sum = 0;
                for (const ClusterEntry *e = cols.begin(i); e != cols.end(i); ++e)
                    sum += uint32_t(e->weight) * uint32_t(V[size_t(e->index - firstX) * 4 + ch]);
                int32_t T = int32_t(sum);
                if (clamp)
                    T = std::clamp<int32_t>(T, 0, 255 * 65536);
                const int32_t value = T >> 16; // Floor(T / 65536); no rounding offset
                pixel |= (uint32_t(value) & 0xFFu) << (8 * ch);
            }
            out[t.dstX0 + i] = pixel;
        }
    }
}

void Bilinear(const Target &t, const TBitmap32 &src, const Axis &ax, const BilinearMap &cols,
              const Axis &ay, const BilinearMap &rows) {
    for (int64_t j = 0; j < ay.count(); ++j) {
        const int Py = rows.P[size_t(j)];
        const uint32_t Wy = uint32_t(rows.W[size_t(j)]);
        TColor32 *out = t.dst->ScanLine(int(t.dstY0 + j));
        for (int64_t i = 0; i < ax.count(); ++i) {
            const int Px = cols.P[size_t(i)];
            const uint32_t Wx = uint32_t(cols.W[size_t(i)]);
            const TColor32 a = src.Pixel(Px, Py), b = src.Pixel(Px + 1, Py);
            const TColor32 c = src.Pixel(Px, Py + 1), d = src.Pixel(Px + 1, Py + 1);
            TColor32 pixel = 0;
            for (int ch = 0; ch < 4; ++ch) {
                const uint32_t top = (Channel(a, ch) * Wx + Channel(b, ch) * (256 - Wx)) / 256;
                const uint32_t bottom = (Channel(c, ch) * Wx + Channel(d, ch) * (256 - Wx)) / 256;
                const uint32_t value = (top * Wy + bottom * (256 - Wy)) / 256;
                pixel |= value << (8 * ch);
            }
            out[t.dstX0 + i] = pixel;
        }
    }
}

void BlockAverage(const Target &t, const TBitmap32 &src, const Axis &ax, const BlockMap &cols,
                  const Axis &ay, const BlockMap &rows) {
    for (int64_t j = 0; j < ay.count(); ++j) {
        const int y0 = rows.first[size_t(j)], y1 = rows.last[size_t(j)];
        TColor32 *out = t.dst->ScanLine(int(t.dstY0 + j));
        for (int64_t i = 0; i < ax.count(); ++i) {
            const int x0 = cols.first[size_t(i)], x1 = cols.last[size_t(i)];
            const uint64_t N = uint64_t(x1 - x0) * uint64_t(y1 - y0);
            uint64_t sum[4] = {0, 0, 0, 0};
            for (int y = y0; y < y1; ++y) {
                const TColor32 *row = src.ScanLine(y);
                for (int x = x0; x < x1; ++x)
                    for (int ch = 0; ch < 4; ++ch)
                        sum[ch] += Channel(row[x], ch);
            }
            TColor32 pixel = 0;
            for (int ch = 0; ch < 4; ++ch) {
                uint32_t value;
                if (N <= (1u << 24)) {
                    // e = Floor(2^24 / N); (sum * e) shr 24 in 32 bits: sum <= 255 N keeps the
                    // product below 2^32. Slightly below the exact average when N does not
                    // divide 2^24.
                    const uint32_t e = uint32_t((1u << 24) / N);
                    value = (uint32_t(sum[ch]) * e) >> 24;
                } else {
                    // Blocks of more than 2^24 pixels: e would be 0 and the sums would not fit
                    // 32 bits, so the exact average (rounded down) is taken instead.
                    value = uint32_t(sum[ch] / N);
                }
                pixel |= value << (8 * ch);
            }
            out[t.dstX0 + i] = pixel;
        }
    }
}

} // namespace resample::scalar

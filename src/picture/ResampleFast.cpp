// Vectorised loops of the stretch transfer (AVX2, chosen at run time). They compute exactly
// what the reference loops in ResampleScalar.cpp compute:
// - kernel: 16-bit weight pairs times 16-bit channels summed in 32 bits (vpmaddwd) for the
//   vertical pass, 32-bit products for the horizontal pass; sums wrap modulo 2^32 as the
//   reference's do, so the order of the additions cannot change a bit;
// - bilinear and block average: the same integer formulas on packed 16- and 32-bit lanes.
// Each loop returns false without drawing when its data do not fit its lanes.

#include "picture/ResampleInternal.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>

#define ORVANTA_AVX2 __attribute__((target("avx2")))

namespace resample {

bool FastAvailable() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

namespace fast {

namespace {

// Low byte of each 32-bit lane, packed into the low 32 bits: B, G, R, A back into one pixel.
ORVANTA_AVX2 inline uint32_t PackLowBytes(__m128i v) {
    const __m128i mask = _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    return uint32_t(_mm_cvtsi128_si32(_mm_shuffle_epi8(v, mask)));
}

ORVANTA_AVX2 inline __m128i LoadPixel(const TColor32 *p) {
    return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(int(*p)));
}

uint32_t Channel(TColor32 p, int ch) { return (p >> (8 * ch)) & 0xFFu; }

} // namespace

ORVANTA_AVX2 bool Kernel(const Target &t, const TBitmap32 &src, const MappingTable &cols,
                         const MappingTable &rows, bool clamp) {
    for (const ClusterEntry &e : rows.entries)
        if (e.weight < -32768 || e.weight > 32767)
            return false;
    const int firstX = cols.minIndex;
    const int n = cols.maxIndex - firstX + 1;
    if (n <= 0)
        return false;
    std::vector<int32_t> V(size_t(n) * 4);
    size_t maxCluster = 0;
    for (int64_t j = 0; j < rows.count(); ++j)
        maxCluster = std::max(maxCluster, size_t(rows.end(j) - rows.begin(j)));
    const size_t maxPairs = (maxCluster + 1) / 2;
    std::vector<const TColor32 *> row0(maxPairs), row1(maxPairs);
    std::vector<int32_t> pairWeight(maxPairs);
    std::vector<int32_t> w0(maxPairs), w1(maxPairs);

    const __m128i lo = _mm_setzero_si128();
    const __m128i hi = _mm_set1_epi32(255 * 65536);
    for (int64_t j = 0; j < rows.count(); ++j) {
        // Pairs of source rows with their weights as two 16-bit halves.
        const ClusterEntry *e = rows.begin(j);
        const size_t count = size_t(rows.end(j) - e);
        size_t pairs = 0;
        for (size_t k = 0; k < count; k += 2, ++pairs) {
            const bool second = k + 1 < count;
            row0[pairs] = src.ScanLine(e[k].index) + firstX;
            row1[pairs] = second ? src.ScanLine(e[k + 1].index) + firstX : row0[pairs];
            w0[pairs] = e[k].weight;
            w1[pairs] = second ? e[k + 1].weight : 0;
            pairWeight[pairs] = int32_t((uint32_t(w1[pairs]) << 16) | (uint32_t(w0[pairs]) & 0xFFFFu));
        }

        // Vertical pass, eight columns at a time.
        int x = 0;
        for (; x + 8 <= n; x += 8) {
            __m256i acc0 = _mm256_setzero_si256(), acc1 = acc0, acc2 = acc0, acc3 = acc0;
            for (size_t p = 0; p < pairs; ++p) {
                const __m256i w = _mm256_set1_epi32(pairWeight[p]);
                const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(row0[p] + x));
                const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(row1[p] + x));
                const __m256i a03 = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(a));
                const __m256i b03 = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(b));
                const __m256i a47 = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(a, 1));
                const __m256i b47 = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(b, 1));
                // Lanes: unpacklo gives pixels (0 | 2), unpackhi (1 | 3); likewise 4..7.
                acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(_mm256_unpacklo_epi16(a03, b03), w));
                acc1 = _mm256_add_epi32(acc1, _mm256_madd_epi16(_mm256_unpackhi_epi16(a03, b03), w));
                acc2 = _mm256_add_epi32(acc2, _mm256_madd_epi16(_mm256_unpacklo_epi16(a47, b47), w));
                acc3 = _mm256_add_epi32(acc3, _mm256_madd_epi16(_mm256_unpackhi_epi16(a47, b47), w));
            }
            int32_t *v = V.data() + size_t(x) * 4;
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(v), _mm256_permute2x128_si256(acc0, acc1, 0x20));
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(v + 8), _mm256_permute2x128_si256(acc0, acc1, 0x31));
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(v + 16), _mm256_permute2x128_si256(acc2, acc3, 0x20));
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(v + 24), _mm256_permute2x128_si256(acc2, acc3, 0x31));
        }
        for (; x < n; ++x) {
            for (int ch = 0; ch < 4; ++ch) {
                uint32_t sum = 0;
                for (size_t p = 0; p < pairs; ++p)
                    sum += uint32_t(w0[p]) * Channel(row0[p][x], ch) + uint32_t(w1[p]) * Channel(row1[p][x], ch);
                V[size_t(x) * 4 + size_t(ch)] = int32_t(sum);
            }
        }

        // Horizontal pass.
        TColor32 *out = t.dst->ScanLine(int(t.dstY0 + j)) + t.dstX0;
        for (int64_t i = 0; i < cols.count(); ++i) {
            __m128i acc = _mm_setzero_si128();
            for (const ClusterEntry *c = cols.begin(i); c != cols.end(i); ++c) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(V.data() + size_t(c->index - firstX) * 4));
                acc = _mm_add_epi32(acc, _mm_mullo_epi32(v, _mm_set1_epi32(c->weight)));
            }
            if (clamp)
                acc = _mm_min_epi32(_mm_max_epi32(acc, lo), hi);
            out[i] = PackLowBytes(_mm_srai_epi32(acc, 16));
        }
    }
    return true;
}

ORVANTA_AVX2 bool Bilinear(const Target &t, const TBitmap32 &src, const Axis &ax,
                           const BilinearMap &cols, const Axis &ay, const BilinearMap &rows) {
    const int64_t nx = ax.count();
    if (nx <= 0)
        return true;
    // Per column the weight pair (W, 256 - W) as two 16-bit halves.
    std::vector<int32_t> wcol(static_cast<size_t>(nx));
    for (int64_t i = 0; i < nx; ++i)
        wcol[size_t(i)] = int32_t((uint32_t(256 - cols.W[size_t(i)]) << 16) | uint32_t(cols.W[size_t(i)]));
    // Two rows interpolated across, kept while consecutive destination rows share them.
    std::vector<TColor32> bufA(static_cast<size_t>(nx)), bufB(static_cast<size_t>(nx));
    TColor32 *top = bufA.data(), *bottom = bufB.data();
    int topRow = -1, bottomRow = -1;
    const __m128i interleave = _mm_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, -1, -1, -1, -1, -1, -1, -1, -1);
    auto across = [&](int y, TColor32 *out) ORVANTA_AVX2 {
        const TColor32 *in = src.ScanLine(y);
        for (int64_t i = 0; i < nx; ++i) {
            // Pixels P and P + 1, channel by channel side by side: a*W + b*(256 - W) per lane.
            const __m128i ab = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(in + cols.P[size_t(i)]));
            const __m128i pairs = _mm_cvtepu8_epi16(_mm_shuffle_epi8(ab, interleave));
            const __m128i sum = _mm_madd_epi16(pairs, _mm_set1_epi32(wcol[size_t(i)]));
            out[i] = PackLowBytes(_mm_srli_epi32(sum, 8));
        }
    };
    for (int64_t j = 0; j < ay.count(); ++j) {
        const int Py = rows.P[size_t(j)];
        if (topRow != Py) {
            if (bottomRow == Py) {
                std::swap(top, bottom);
                std::swap(topRow, bottomRow);
            } else {
                across(Py, top);
                topRow = Py;
            }
        }
        if (bottomRow != Py + 1) {
            across(Py + 1, bottom);
            bottomRow = Py + 1;
        }
        const uint32_t Wy = uint32_t(rows.W[size_t(j)]);
        const __m256i wt = _mm256_set1_epi16(short(Wy));
        const __m256i wb = _mm256_set1_epi16(short(256 - Wy));
        TColor32 *out = t.dst->ScanLine(int(t.dstY0 + j)) + t.dstX0;
        int64_t i = 0;
        for (; i + 8 <= nx; i += 8) {
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(top + i));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(bottom + i));
            // (top Wy + bottom (256 - Wy)) stays below 2^16, so 16-bit lanes hold it exactly.
            const __m256i lo = _mm256_srli_epi16(
                _mm256_add_epi16(_mm256_mullo_epi16(_mm256_cvtepu8_epi16(_mm256_castsi256_si128(a)), wt),
                                 _mm256_mullo_epi16(_mm256_cvtepu8_epi16(_mm256_castsi256_si128(b)), wb)), 8);
            const __m256i hi = _mm256_srli_epi16(
                _mm256_add_epi16(_mm256_mullo_epi16(_mm256_cvtepu8_epi16(_mm256_extracti128_si256(a, 1)), wt),
                                 _mm256_mullo_epi16(_mm256_cvtepu8_epi16(_mm256_extracti128_si256(b, 1)), wb)), 8);
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i),
                                _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8));
        }
        for (; i < nx; ++i) {
            TColor32 pixel = 0;
            for (int ch = 0; ch < 4; ++ch)
                pixel |= ((Channel(top[i], ch) * Wy + Channel(bottom[i], ch) * (256 - Wy)) / 256) << (8 * ch);
            out[i] = pixel;
        }
    }
    return true;
}

ORVANTA_AVX2 bool BlockAverage(const Target &t, const TBitmap32 &src, const Axis &ax,
                               const BlockMap &cols, const Axis &ay, const BlockMap &rows) {
    const int64_t nx = ax.count();
    int64_t maxW = 0, maxH = 0;
    for (int64_t i = 0; i < nx; ++i)
        maxW = std::max<int64_t>(maxW, cols.last[size_t(i)] - cols.first[size_t(i)]);
    for (int64_t j = 0; j < ay.count(); ++j)
        maxH = std::max<int64_t>(maxH, rows.last[size_t(j)] - rows.first[size_t(j)]);
    if (maxW * maxH > (int64_t(1) << 24))
        return false; // the reference takes 64-bit sums there
    std::vector<int32_t> acc(size_t(nx) * 4);
    for (int64_t j = 0; j < ay.count(); ++j) {
        const int y0 = rows.first[size_t(j)], y1 = rows.last[size_t(j)];
        std::fill(acc.begin(), acc.end(), 0);
        for (int y = y0; y < y1; ++y) {
            const TColor32 *in = src.ScanLine(y);
            for (int64_t i = 0; i < nx; ++i) {
                __m128i s = _mm_setzero_si128();
                const int x1 = cols.last[size_t(i)];
                for (int x = cols.first[size_t(i)]; x < x1; ++x)
                    s = _mm_add_epi32(s, LoadPixel(in + x));
                __m128i *a = reinterpret_cast<__m128i *>(acc.data() + size_t(i) * 4);
                _mm_storeu_si128(a, _mm_add_epi32(_mm_loadu_si128(a), s));
            }
        }
        TColor32 *out = t.dst->ScanLine(int(t.dstY0 + j)) + t.dstX0;
        const uint32_t h = uint32_t(y1 - y0);
        for (int64_t i = 0; i < nx; ++i) {
            const uint32_t N = uint32_t(cols.last[size_t(i)] - cols.first[size_t(i)]) * h;
            const __m128i e = _mm_set1_epi32(int((1u << 24) / N));
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i *>(acc.data() + size_t(i) * 4));
            out[i] = PackLowBytes(_mm_srli_epi32(_mm_mullo_epi32(s, e), 24));
        }
    }
    return true;
}

} // namespace fast
} // namespace resample

// The per-axis maps of the stretch transfer: the kernel table and mapping tables of the kernel
// resampler, the bilinear map, the block boundaries of the block average and the nearest
// neighbour columns. All of it runs once per destination column and row, never per pixel.

#include "picture/ResampleInternal.h"

#include <algorithm>
#include <cmath>

namespace resample {

namespace {

constexpr float kPi = 3.14159265358979323846f;

float Sinc(float u) {
    if (u == 0.0f)
        return 1.0f;
    const float x = kPi * u;
    return std::sin(x) / x;
}

int64_t FloorToInt(float v) { return int64_t(std::floor(v)); }
int64_t CeilToInt(float v) { return int64_t(std::ceil(v)); }

int ClampIndex(int64_t j, int lo, int hi) { return int(std::clamp<int64_t>(j, lo, int64_t(hi) - 1)); }

} // namespace

const char *MethodName(Method m) {
    switch (m) {
    case Method::Nothing: return "nothing";
    case Method::Copy: return "copy";
    case Method::Nearest: return "nearest";
    case Method::Kernel: return "kernel";
    case Method::Bilinear: return "bilinear";
    case Method::BlockAverage: return "block average";
    }
    return "?";
}

Choice ChooseMethod(int64_t srcW, int64_t srcH, int64_t dstW, int64_t dstH, TStretchFilter filter) {
    if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0)
        return {Method::Nothing, sfLinear};
    if (dstW == srcW && dstH == srcH)
        return {Method::Copy, sfLinear};
    switch (filter) {
    case sfNearest:
        return {Method::Nearest, sfLinear};
    case sfDraft:
        if (srcW < dstW || srcH < dstH) {
            if (srcW < 2 || srcH < 2)
                return {Method::Kernel, sfLinear};
            return {Method::Bilinear, sfLinear};
        }
        return {Method::BlockAverage, sfLinear};
    case sfLinear:
        if (dstW > srcW && dstH > srcH && srcW > 1 && srcH > 1)
            return {Method::Bilinear, sfLinear};
        return {Method::Kernel, sfLinear};
    case sfCosine:
    case sfSpline:
    case sfLanczos:
    case sfMitchell:
        return {Method::Kernel, filter};
    }
    return {Method::Nothing, sfLinear};
}

float KernelValue(TStretchFilter kernel, float t) {
    const float a = std::fabs(t);
    switch (kernel) {
    case sfLinear:
        return a < 1.0f ? 1.0f - a : 0.0f;
    case sfCosine:
        return a < 1.0f ? (std::cos(kPi * t) + 1.0f) / 2.0f : 0.0f;
    case sfSpline:
        if (a < 1.0f)
            return a * a * a / 2.0f - a * a + 2.0f / 3.0f;
        if (a < 2.0f) {
            const float b = 2.0f - a;
            return b * b * b / 6.0f;
        }
        return 0.0f;
    case sfLanczos:
        return a < 3.0f ? Sinc(a) * Sinc(a / 3.0f) : 0.0f;
    case sfMitchell:
        if (a < 1.0f)
            return (7.0f * a * a * a - 12.0f * a * a + 16.0f / 3.0f) / 6.0f;
        if (a < 2.0f)
            return (-(7.0f / 3.0f) * a * a * a + 12.0f * a * a - 20.0f * a + 32.0f / 3.0f) / 6.0f;
        return 0.0f;
    default:
        return 0.0f;
    }
}

int KernelRadius(TStretchFilter kernel) {
    switch (kernel) {
    case sfSpline:
    case sfMitchell: return 2;
    case sfLanczos: return 3;
    default: return 1;
    }
}

bool KernelClamps(TStretchFilter kernel) { return kernel == sfLanczos || kernel == sfMitchell; }

int64_t RoundEven(float v) { return int64_t(std::nearbyint(v)); }

MappingTable BuildMappingTable(const Axis &axis, TStretchFilter kernel) {
    MappingTable m;
    const int64_t n = std::max<int64_t>(axis.count(), 0);
    m.start.reserve(size_t(n) + 1);
    m.start.push_back(0);
    const int64_t srcW = axis.srcW();
    if (srcW <= 0)
        return m;
    if (srcW == 1) {
        // The one source index (index 0 of a source that starts at 0) takes all the weight.
        for (int64_t i = 0; i < n; ++i) {
            m.entries.push_back({axis.srcLo, 256});
            m.start.push_back(uint32_t(m.entries.size()));
        }
        m.minIndex = m.maxIndex = axis.srcLo;
        return m;
    }

    const float s = float(axis.dstW) / float(srcW);
    const float inv = 1.0f / s;
    const int R = KernelRadius(kernel);
    const bool shrinking = s < 1.0f;
    const float r = shrinking ? float(R) * inv : float(R);
    m.minIndex = axis.srcHi;
    m.maxIndex = axis.srcLo - 1;
    for (int64_t i = axis.from; i < axis.to; ++i) {
        const float c = (float(i) + 0.5f) * inv + float(axis.srcLo) - 0.5f;
        const size_t first = m.entries.size();
        int sum = 0;
        const int64_t jhi = CeilToInt(c + r);
        for (int64_t j = FloorToInt(c - r); j <= jhi; ++j) {
            int w;
            if (shrinking)
                w = int(RoundEven(KernelValue(kernel, (c - float(j)) * s) * 256.0f * s));
            else
                w = int(RoundEven(KernelValue(kernel, c - float(j)) * 256.0f));
            if (w != 0) {
                m.entries.push_back({ClampIndex(j, axis.srcLo, axis.srcHi), w});
                sum += w;
            }
        }
        const size_t count = m.entries.size() - first;
        if (count == 0)
            m.entries.push_back({ClampIndex(FloorToInt(c), axis.srcLo, axis.srcHi), 256});
        else if (sum != 256)
            m.entries[first + (count - 1) / 2].weight -= sum - 256;
        for (size_t e = first; e < m.entries.size(); ++e) {
            m.minIndex = std::min(m.minIndex, m.entries[e].index);
            m.maxIndex = std::max(m.maxIndex, m.entries[e].index);
        }
        m.start.push_back(uint32_t(m.entries.size()));
    }
    return m;
}

BilinearMap BuildBilinearMap(const Axis &axis) {
    BilinearMap m;
    const int64_t n = std::max<int64_t>(axis.count(), 0);
    m.P.resize(size_t(n));
    m.W.resize(size_t(n));
    const float q = float(axis.srcW()) / float(axis.dstW);
    const float lo = float(axis.srcLo);
    const float hi = float(axis.srcHi - 1);
    for (int64_t i = 0; i < n; ++i) {
        float f = q * (float(axis.from + i) + 0.5f) + float(axis.srcLo) - 0.5f;
        f = std::clamp(f, lo, hi);
        const float p = std::floor(f);
        int P = int(p);
        int W = 256 - int(RoundEven((f - p) * 256.0f));
        // The last source index has no right neighbour: move back one and give it all the weight.
        // P grows with the destination index, so these are exactly the entries at the end.
        if (P + 1 == axis.srcHi && P > axis.srcLo) {
            P -= 1;
            W = 0;
        }
        m.P[size_t(i)] = P;
        m.W[size_t(i)] = W;
    }
    return m;
}

BlockMap BuildBlockMap(const Axis &axis) {
    BlockMap m;
    const int64_t n = std::max<int64_t>(axis.count(), 0);
    m.first.resize(size_t(n));
    m.last.resize(size_t(n));
    const int64_t srcW = axis.srcW();
    const float q = float(srcW) / float(axis.dstW);
    // 16.16 step. The boundary (k * F) shr 16 is taken in 64 bits and bounded by the source, so
    // sources of 65536 pixels and more per side keep their blocks inside the source; below
    // that it equals the 32-bit product.
    const uint64_t F = uint64_t(q * 65536.0f);
    for (int64_t i = 0; i < n; ++i) {
        const uint64_t k = uint64_t(axis.from + i); // block k + 1, counted from 1
        int64_t first = int64_t(std::min<uint64_t>((k * F) >> 16, uint64_t(srcW - 1)));
        int64_t last = int64_t(std::min<uint64_t>(((k + 1) * F) >> 16, uint64_t(srcW)));
        last = std::max(last, first + 1);
        m.first[size_t(i)] = int(axis.srcLo + first);
        m.last[size_t(i)] = int(axis.srcLo + last);
    }
    return m;
}

std::vector<int> BuildNearestMap(const Axis &axis) {
    const int64_t n = std::max<int64_t>(axis.count(), 0);
    std::vector<int> m(static_cast<size_t>(n));
    const float q = float(axis.srcW()) / float(axis.dstW);
    for (int64_t i = 0; i < n; ++i) {
        if (axis.dstW < 2)
            m[size_t(i)] = int((int64_t(axis.srcLo) + axis.srcHi - 1) / 2);
        else
            m[size_t(i)] = ClampIndex(int64_t(float(axis.from + i) * q + float(axis.srcLo)),
                                      axis.srcLo, axis.srcHi);
    }
    return m;
}

} // namespace resample

#pragma once
// Internals of the stretch transfer: the choice of method, the kernel table, the per-axis maps
// and the pixel loops in a plain reference form and a vectorised form that gives the same bits.
// Used by Resample*.cpp, the tests and the benchmark.

#include "picture/Bitmap32.h"
#include "picture/StretchFilter.h"

#include <cstdint>
#include <vector>

namespace resample {

// Which method a transfer uses.
enum class Method { Nothing, Copy, Nearest, Kernel, Bilinear, BlockAverage };
const char *MethodName(Method m);
struct Choice {
    Method method = Method::Nothing;
    TStretchFilter kernel = sfLinear; // the kernel, for Method::Kernel
};
Choice ChooseMethod(int64_t srcW, int64_t srcH, int64_t dstW, int64_t dstH, TStretchFilter filter);

// Kernel table: K(t) in single precision, the radius, and whether results are clamped.
float KernelValue(TStretchFilter kernel, float t);
int KernelRadius(TStretchFilter kernel);
bool KernelClamps(TStretchFilter kernel);

// Round to nearest, ties to even, of a single value.
int64_t RoundEven(float v);

// One axis of a transfer: the source range [srcLo, srcHi), the destination range of
// dstW indices counted from 0, and the indices [from, to) that are actually drawn.
struct Axis {
    int srcLo = 0;
    int srcHi = 0;
    int64_t dstW = 0;
    int64_t from = 0;
    int64_t to = 0;
    int64_t srcW() const { return int64_t(srcHi) - srcLo; }
    int64_t count() const { return to - from; }
};

// Mapping table of the kernel resampler: cluster i (for destination index from + i) is
// entries[start[i] .. start[i + 1]).
struct ClusterEntry {
    int index;
    int weight;
};
struct MappingTable {
    std::vector<uint32_t> start;
    std::vector<ClusterEntry> entries;
    int minIndex = 0; // smallest and largest source index of all entries
    int maxIndex = -1;
    int64_t count() const { return int64_t(start.size()) - 1; }
    const ClusterEntry *begin(int64_t i) const { return entries.data() + start[i]; }
    const ClusterEntry *end(int64_t i) const { return entries.data() + start[i + 1]; }
};
MappingTable BuildMappingTable(const Axis &axis, TStretchFilter kernel);

// Bilinear map: source index P and weight W (0..256) of P; P + 1 gets 256 - W.
struct BilinearMap {
    std::vector<int> P;
    std::vector<int> W;
};
BilinearMap BuildBilinearMap(const Axis &axis);

// Block average boundaries: destination index from + i averages source [first[i], last[i]).
struct BlockMap {
    std::vector<int> first;
    std::vector<int> last;
};
BlockMap BuildBlockMap(const Axis &axis);

// Nearest neighbour: the source index of each drawn destination index.
std::vector<int> BuildNearestMap(const Axis &axis);

// The pixel loops. Drawn index i of the x axis and j of the y axis (counted from Axis::from)
// is written to the destination pixel (dstX0 + i, dstY0 + j).
struct Target {
    TBitmap32 *dst;
    int dstX0;
    int dstY0;
};
enum class Impl { Scalar, Fast };
const char *ImplName(Impl impl);
bool FastAvailable();
Impl DefaultImpl(); // Fast where the processor has it

namespace scalar {
void Kernel(const Target &t, const TBitmap32 &src, const MappingTable &cols,
            const MappingTable &rows, bool clamp);
void Bilinear(const Target &t, const TBitmap32 &src, const Axis &ax, const BilinearMap &cols,
              const Axis &ay, const BilinearMap &rows);
void BlockAverage(const Target &t, const TBitmap32 &src, const Axis &ax, const BlockMap &cols,
                  const Axis &ay, const BlockMap &rows);
} // namespace scalar

namespace fast {
// Each returns false (having drawn nothing) when its preconditions do not hold; the caller
// then runs the scalar loop.
bool Kernel(const Target &t, const TBitmap32 &src, const MappingTable &cols,
            const MappingTable &rows, bool clamp);
bool Bilinear(const Target &t, const TBitmap32 &src, const Axis &ax, const BilinearMap &cols,
              const Axis &ay, const BilinearMap &rows);
bool BlockAverage(const Target &t, const TBitmap32 &src, const Axis &ax, const BlockMap &cols,
                  const Axis &ay, const BlockMap &rows);
} // namespace fast

// The whole transfer with a chosen implementation; returns the method it used.
Method StretchTransferWith(Impl impl, TBitmap32 &dst, const PixelRect &dstRect,
                           const PixelRect &dstClip, const TBitmap32 &src,
                           const PixelRect &srcRect, TStretchFilter filter, TDrawMode mode);

} // namespace resample

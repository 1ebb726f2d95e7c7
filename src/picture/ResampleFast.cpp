// Vectorised loops of the stretch transfer (AVX2, chosen at run time). Placeholder: the
// scalar loops run until these are filled in.
#include "picture/ResampleInternal.h"

namespace resample {
bool FastAvailable() { return false; }
namespace fast {
bool Kernel(const Target &, const TBitmap32 &, const MappingTable &, const MappingTable &, bool) { return false; }
bool Bilinear(const Target &, const TBitmap32 &, const Axis &, const BilinearMap &, const Axis &, const BilinearMap &) { return false; }
bool BlockAverage(const Target &, const TBitmap32 &, const Axis &, const BlockMap &, const Axis &, const BlockMap &) { return false; }
}
}

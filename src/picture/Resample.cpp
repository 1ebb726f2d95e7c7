// The stretch transfer: checks, clipping, the choice of method and the copy and nearest
// neighbour loops; the kernel, bilinear and block-average loops live in ResampleScalar.cpp
// (reference) and ResampleFast.cpp (vectorised, same results).

#include "picture/Resample.h"

#include "picture/ResampleInternal.h"
#include "platform/Errors.h"

#include <cstring>

namespace resample {

const char *ImplName(Impl impl) { return impl == Impl::Fast ? "fast" : "scalar"; }

Impl DefaultImpl() { return FastAvailable() ? Impl::Fast : Impl::Scalar; }

namespace {

void Copy(const Target &t, const TBitmap32 &src, int srcX, int srcY, int64_t w, int64_t h) {
    for (int64_t j = 0; j < h; ++j)
        std::memcpy(t.dst->ScanLine(int(t.dstY0 + j)) + t.dstX0, src.ScanLine(int(srcY + j)) + srcX,
                    size_t(w) * sizeof(TColor32));
}

void Nearest(const Target &t, const TBitmap32 &src, const std::vector<int> &cols,
             const std::vector<int> &rows) {
    for (size_t j = 0; j < rows.size(); ++j) {
        const TColor32 *in = src.ScanLine(rows[j]);
        TColor32 *out = t.dst->ScanLine(int(t.dstY0 + int64_t(j))) + t.dstX0;
        for (size_t i = 0; i < cols.size(); ++i)
            out[i] = in[cols[i]];
    }
}

} // namespace

Method StretchTransferWith(Impl impl, TBitmap32 &dst, const PixelRect &dstRect,
                           const PixelRect &dstClip, const TBitmap32 &src,
                           const PixelRect &srcRect, TStretchFilter filter, TDrawMode mode) {
    if (dst.Empty())
        throw OrvantaError(QStringLiteral("Destination bitmap is nil or empty"));
    if (srcRect.Left < 0 || srcRect.Top < 0 || srcRect.Right > src.Width() ||
        srcRect.Bottom > src.Height() || srcRect.Right < srcRect.Left || srcRect.Bottom < srcRect.Top)
        throw OrvantaError(QStringLiteral("Source rectangle is invalid"));
    if (int(filter) < 0 || int(filter) >= kStretchFilterCount)
        throw OrvantaError(QStringLiteral("Unknown stretch filter"));
    // Blending modes are not used by the program; refusing them beats drawing them wrongly.
    if (mode != dmOpaque)
        throw OrvantaError(QStringLiteral("Only the opaque draw mode is supported"));

    const PixelRect clip = IntersectRects(IntersectRects(dstClip, dst.BoundsRect()), dstRect);
    if (clip.IsEmpty())
        return Method::Nothing;

    const int64_t srcW = srcRect.Width(), srcH = srcRect.Height();
    const int64_t dstW = dstRect.Width(), dstH = dstRect.Height();
    const Choice choice = ChooseMethod(srcW, srcH, dstW, dstH, filter);
    const Axis ax{srcRect.Left, srcRect.Right, dstW, int64_t(clip.Left) - dstRect.Left,
                  int64_t(clip.Right) - dstRect.Left};
    const Axis ay{srcRect.Top, srcRect.Bottom, dstH, int64_t(clip.Top) - dstRect.Top,
                  int64_t(clip.Bottom) - dstRect.Top};
    const Target t{&dst, clip.Left, clip.Top};
    const bool fast = impl == Impl::Fast && FastAvailable();

    switch (choice.method) {
    case Method::Nothing:
        break;
    case Method::Copy:
        Copy(t, src, int(srcRect.Left + ax.from), int(srcRect.Top + ay.from), ax.count(), ay.count());
        break;
    case Method::Nearest:
        Nearest(t, src, BuildNearestMap(ax), BuildNearestMap(ay));
        break;
    case Method::Kernel: {
        const MappingTable cols = BuildMappingTable(ax, choice.kernel);
        const MappingTable rows = BuildMappingTable(ay, choice.kernel);
        const bool clamp = KernelClamps(choice.kernel);
        if (!fast || !fast::Kernel(t, src, cols, rows, clamp))
            scalar::Kernel(t, src, cols, rows, clamp);
        break;
    }
    case Method::Bilinear: {
        const BilinearMap cols = BuildBilinearMap(ax);
        const BilinearMap rows = BuildBilinearMap(ay);
        if (!fast || !fast::Bilinear(t, src, ax, cols, ay, rows))
            scalar::Bilinear(t, src, ax, cols, ay, rows);
        break;
    }
    case Method::BlockAverage: {
        const BlockMap cols = BuildBlockMap(ax);
        const BlockMap rows = BuildBlockMap(ay);
        if (!fast || !fast::BlockAverage(t, src, ax, cols, ay, rows))
            scalar::BlockAverage(t, src, ax, cols, ay, rows);
        break;
    }
    }
    return choice.method;
}

} // namespace resample

void StretchTransfer(TBitmap32 &dst, const PixelRect &dstRect, const PixelRect &dstClip,
                     const TBitmap32 &src, const PixelRect &srcRect, TStretchFilter filter,
                     TDrawMode mode) {
    resample::StretchTransferWith(resample::DefaultImpl(), dst, dstRect, dstClip, src, srcRect,
                                  filter, mode);
}

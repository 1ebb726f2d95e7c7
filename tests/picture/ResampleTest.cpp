// The stretch transfer: method choice, the edge cases of the method, hand-computed pixels for
// tiny pictures, and the vectorised loops against the reference loops.

#include "picture/Bitmap32.h"
#include "picture/Resample.h"
#include "picture/ResampleInternal.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <thread>
#include <vector>

using resample::Impl;
using resample::Method;

namespace {

const TStretchFilter kAllFilters[] = {sfNearest, sfDraft,   sfLinear,  sfCosine,
                                      sfSpline,  sfLanczos, sfMitchell};

TColor32 Gray(int v) { return Color32(uint8_t(v), uint8_t(v), uint8_t(v), 255); }

// A bitmap of one row (or, transposed, one column) holding gray values.
TBitmap32 Line(const std::vector<int> &v, bool vertical = false) {
    TBitmap32 b(vertical ? 1 : int(v.size()), vertical ? int(v.size()) : 1);
    for (size_t i = 0; i < v.size(); ++i)
        b.Bits()[i] = Gray(v[i]);
    return b;
}

TBitmap32 Random(int w, int h, std::mt19937 &rng) {
    TBitmap32 b(w, h);
    for (int i = 0; i < w * h; ++i)
        b.Bits()[i] = rng();
    return b;
}

// Stretches the whole of src into a fresh w x h bitmap; returns the method used.
Method Stretch(const TBitmap32 &src, TBitmap32 &dst, int w, int h, TStretchFilter filter,
               Impl impl = resample::DefaultImpl()) {
    dst.SetSize(w, h);
    return resample::StretchTransferWith(impl, dst, dst.BoundsRect(), dst.BoundsRect(), src,
                                         src.BoundsRect(), filter, dmOpaque);
}

// The gray values (blue byte) of every pixel, with a check that gray stayed gray (the alpha
// byte, 255 in the source, is resampled like the others and is checked where it matters).
std::vector<int> Values(const TBitmap32 &b) {
    std::vector<int> v;
    for (int i = 0; i < b.Width() * b.Height(); ++i) {
        const TColor32 p = b.Bits()[i];
        EXPECT_EQ(RedOf(p), BlueOf(p));
        EXPECT_EQ(GreenOf(p), BlueOf(p));
        v.push_back(BlueOf(p));
    }
    return v;
}

bool SameBits(const TBitmap32 &a, const TBitmap32 &b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Bits(), a.Bits() + size_t(a.Width()) * a.Height(), b.Bits());
}

std::string Name(TStretchFilter f) { return StretchFilterName(f).toStdString(); }

} // namespace

// ---- method choice ------------------------------------------------------------------------

TEST(StretchMethod, ChoiceTable) {
    struct Case {
        int sw, sh, dw, dh;
        TStretchFilter f;
        Method m;
        TStretchFilter kernel;
    } cases[] = {
        {512, 256, 512, 256, sfLanczos, Method::Copy, sfLinear},
        {512, 256, 512, 256, sfDraft, Method::Copy, sfLinear},
        {10, 10, 20, 5, sfNearest, Method::Nearest, sfLinear},
        {100, 100, 256, 256, sfLinear, Method::Bilinear, sfLinear},
        {300, 100, 256, 256, sfLinear, Method::Kernel, sfLinear},
        {1, 100, 256, 256, sfLinear, Method::Kernel, sfLinear},  // SrcW = 1
        {100, 100, 256, 100, sfLinear, Method::Kernel, sfLinear}, // equal height
        {300, 100, 256, 256, sfDraft, Method::Bilinear, sfLinear}, // enlarging one way
        {100, 1, 256, 256, sfDraft, Method::Kernel, sfLinear},     // SrcH < 2
        {1024, 1024, 512, 512, sfDraft, Method::BlockAverage, sfLinear},
        {1024, 512, 512, 512, sfDraft, Method::BlockAverage, sfLinear},
        {4000, 3000, 512, 512, sfCosine, Method::Kernel, sfCosine},
        {40, 30, 512, 512, sfSpline, Method::Kernel, sfSpline},
        {40, 30, 512, 512, sfLanczos, Method::Kernel, sfLanczos},
        {40, 30, 512, 512, sfMitchell, Method::Kernel, sfMitchell},
        {0, 30, 512, 512, sfMitchell, Method::Nothing, sfLinear},
    };
    for (const Case &c : cases) {
        const resample::Choice got = resample::ChooseMethod(c.sw, c.sh, c.dw, c.dh, c.f);
        EXPECT_EQ(got.method, c.m) << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh << " "
                                   << Name(c.f) << " took " << resample::MethodName(got.method);
        if (got.method == Method::Kernel) {
            EXPECT_EQ(got.kernel, c.kernel) << Name(c.f);
        }
    }
}

TEST(StretchMethod, LinearEnlargingIsBilinearAndShrinkingOneWayIsKernel) {
    std::mt19937 rng(1);
    TBitmap32 map;
    EXPECT_EQ(Stretch(Random(100, 100, rng), map, 256, 256, sfLinear), Method::Bilinear);
    EXPECT_EQ(Stretch(Random(300, 100, rng), map, 256, 256, sfLinear), Method::Kernel);
}

// ---- errors and clipping -------------------------------------------------------------------

TEST(StretchTransfer, ErrorMessages) {
    TBitmap32 src(4, 4), empty, dst(4, 4);
    try {
        StretchTransfer(empty, {0, 0, 4, 4}, {0, 0, 4, 4}, src, src.BoundsRect(), sfLinear, dmOpaque);
        FAIL() << "no error for an empty destination";
    } catch (const OrvantaError &e) {
        EXPECT_EQ(e.Message(), QString("Destination bitmap is nil or empty"));
    }
    const PixelRect outside[] = {{0, 0, 5, 4}, {-1, 0, 3, 4}, {0, 1, 4, 5}, {3, 0, 2, 4}};
    for (const PixelRect &r : outside) {
        try {
            StretchTransfer(dst, dst.BoundsRect(), dst.BoundsRect(), src, r, sfLinear, dmOpaque);
            FAIL() << "no error for source rectangle " << r.Left << "," << r.Top << "," << r.Right
                   << "," << r.Bottom;
        } catch (const OrvantaError &e) {
            EXPECT_EQ(e.Message(), QString("Source rectangle is invalid"));
        }
    }
}

TEST(StretchTransfer, EmptySourceDrawsNothing) {
    TBitmap32 empty, dst(8, 8);
    dst.Clear(Gray(7));
    empty.StretchFilter = sfLanczos;
    empty.DrawStretched(dst, dst.BoundsRect());
    StretchTransfer(dst, dst.BoundsRect(), dst.BoundsRect(), empty, {0, 0, 0, 0}, sfLanczos, dmOpaque);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(dst.Bits()[i], Gray(7));
}

// A clip rectangle only chooses which pixels are written: each written pixel equals the one
// an unclipped transfer computes, and nothing outside the clip (or the bitmap) changes.
TEST(StretchTransfer, ClipWritesExactlyTheUnclippedPixels) {
    std::mt19937 rng(2);
    const TBitmap32 src = Random(37, 23, rng);
    for (TStretchFilter f : kAllFilters) {
        for (Impl impl : {Impl::Scalar, Impl::Fast}) {
            TBitmap32 full(50, 40);
            const PixelRect dstRect{-7, -3, 61, 45}; // reaches outside the bitmap
            resample::StretchTransferWith(impl, full, dstRect, full.BoundsRect(), src,
                                          src.BoundsRect(), f, dmOpaque);
            TBitmap32 part(50, 40);
            part.Clear(0x12345678u);
            const PixelRect clip{9, 5, 31, 27};
            resample::StretchTransferWith(impl, part, dstRect, clip, src, src.BoundsRect(), f,
                                          dmOpaque);
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 50; ++x) {
                    const bool inside = x >= 9 && x < 31 && y >= 5 && y < 27;
                    ASSERT_EQ(part.Pixel(x, y), inside ? full.Pixel(x, y) : 0x12345678u)
                        << Name(f) << " " << resample::ImplName(impl) << " at " << x << "," << y;
                }
        }
    }
}

// Destination rectangles at the ends of the int range: the maps are built for the clipped
// part only and all arithmetic stays in range (the sanitizer build checks it). A flat source
// stays flat with every method used here (Draft enlarges, so it is bilinear or kernel).
TEST(StretchTransfer, ExtremeDestinationRectangles) {
    TBitmap32 src(9, 7);
    src.Clear(Color32(12, 34, 56, 78));
    const PixelRect rects[] = {
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
        {INT32_MIN, 0, 5, 16},
        {3, INT32_MIN, INT32_MAX, 9},
        {-1000000, -1000000, 1000000, 1000000},
    };
    for (const PixelRect &r : rects)
        for (TStretchFilter f : kAllFilters)
            for (Impl impl : {Impl::Scalar, Impl::Fast}) {
                TBitmap32 dst(16, 16);
                dst.Clear(0);
                resample::StretchTransferWith(impl, dst, r, dst.BoundsRect(), src, src.BoundsRect(), f, dmOpaque);
                for (int y = 0; y < 16; ++y)
                    for (int x = 0; x < 16; ++x) {
                        const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
                        ASSERT_EQ(dst.Pixel(x, y), inside ? Color32(12, 34, 56, 78) : 0u)
                            << Name(f) << " " << resample::ImplName(impl) << " at " << x << "," << y;
                    }
            }
}

// ---- edge cases ----------------------------------------------------------------------------

TEST(StretchEdgeCases, SameSizeCopiesExactlyWithEveryFilter) {
    std::mt19937 rng(3);
    const TBitmap32 src = Random(512, 256, rng);
    for (TStretchFilter f : kAllFilters) {
        TBitmap32 dst;
        EXPECT_EQ(Stretch(src, dst, 512, 256, f), Method::Copy) << Name(f);
        EXPECT_TRUE(SameBits(src, dst)) << Name(f);
    }
}

TEST(StretchEdgeCases, OnePixelWithLanczosFills) {
    TBitmap32 src(1, 1);
    src.SetPixel(0, 0, Color32(200, 100, 50, 77));
    TBitmap32 dst;
    for (Impl impl : {Impl::Scalar, Impl::Fast}) {
        Stretch(src, dst, 256, 128, sfLanczos, impl);
        for (int i = 0; i < 256 * 128; ++i)
            ASSERT_EQ(dst.Bits()[i], Color32(200, 100, 50, 77)) << i;
    }
}

// Draft 1024 -> 512 averages 2 x 2 blocks: (sum x 4194304) shr 24 = sum div 4.
TEST(StretchEdgeCases, DraftHalvingAveragesTwoByTwoBlocks) {
    std::mt19937 rng(4);
    const TBitmap32 src = Random(1024, 1024, rng);
    for (Impl impl : {Impl::Scalar, Impl::Fast}) {
        TBitmap32 dst;
        ASSERT_EQ(Stretch(src, dst, 512, 512, sfDraft, impl), Method::BlockAverage);
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
                for (int ch = 0; ch < 4; ++ch) {
                    int sum = 0;
                    for (int dy = 0; dy < 2; ++dy)
                        for (int dx = 0; dx < 2; ++dx)
                            sum += (src.Pixel(2 * x + dx, 2 * y + dy) >> (8 * ch)) & 0xFF;
                    ASSERT_EQ(int((dst.Pixel(x, y) >> (8 * ch)) & 0xFF), sum / 4)
                        << resample::ImplName(impl) << " " << x << "," << y << " ch " << ch;
                }
    }
}

TEST(StretchEdgeCases, NearestThreeToOneTakesTheMiddleColumn) {
    TBitmap32 dst;
    EXPECT_EQ(Stretch(Line({10, 20, 30}), dst, 1, 1, sfNearest), Method::Nearest);
    EXPECT_EQ(Values(dst), std::vector<int>({20}));
    Stretch(Line({10, 20, 30}, true), dst, 1, 1, sfNearest);
    EXPECT_EQ(Values(dst), std::vector<int>({20}));
}

// Hard black/white edges ring with the negative lobes; the clamp keeps every channel in range,
// and the ringing shows as 0 and 255 where the unclamped sums would pass them.
TEST(StretchEdgeCases, LanczosAndMitchellStayInRangeAtHardEdges) {
    for (TStretchFilter f : {sfLanczos, sfMitchell}) {
        int clampedLow = 0, clampedHigh = 0;
        for (int n : {5, 16, 61}) {
            std::vector<int> v(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                v[size_t(i)] = (i / 2) % 2 ? 255 : 0;
            for (int d : {3, 7, 40, 255}) {
                TBitmap32 dst;
                Stretch(Line(v), dst, d, 1, f, Impl::Scalar);
                const resample::MappingTable t = resample::BuildMappingTable({0, n, d, 0, d}, f);
                for (int64_t i = 0; i < t.count(); ++i) {
                    int64_t H = 0;
                    for (auto e = t.begin(i); e != t.end(i); ++e)
                        H += int64_t(e->weight) * v[size_t(e->index)];
                    // The sum the clamp sees: 256 (the one row) x the column sum.
                    const int64_t T = 256 * H;
                    clampedLow += T < 0;
                    clampedHigh += T > 255 * 65536;
                    const int64_t want = T < 0 ? 0 : T > 255 * 65536 ? 255 : T >> 16;
                    ASSERT_EQ(BlueOf(dst.Pixel(int(i), 0)), want) << Name(f) << " " << n << "->" << d;
                }
            }
        }
        // Both ends of the clamp were needed.
        EXPECT_GT(clampedLow, 0) << Name(f);
        EXPECT_GT(clampedHigh, 0) << Name(f);
    }
}

TEST(MappingTable, EveryClusterSumsTo256AndStaysInTheSource) {
    const int sizes[] = {1, 2, 3, 4, 7, 16, 100, 255, 256, 383, 1000, 4000};
    for (TStretchFilter f : {sfLinear, sfCosine, sfSpline, sfLanczos, sfMitchell})
        for (int src : sizes)
            for (int dst : {1, 2, 3, 7, 256, 512, 2048}) {
                const resample::MappingTable t = resample::BuildMappingTable({0, src, dst, 0, dst}, f);
                ASSERT_EQ(t.count(), dst);
                for (int64_t i = 0; i < dst; ++i) {
                    int sum = 0;
                    ASSERT_NE(t.begin(i), t.end(i));
                    for (auto e = t.begin(i); e != t.end(i); ++e) {
                        ASSERT_GE(e->index, 0);
                        ASSERT_LT(e->index, src);
                        sum += e->weight;
                    }
                    ASSERT_EQ(sum, 256) << Name(f) << " " << src << "->" << dst << " cluster " << i;
                }
            }
}

// ---- hand-computed pixels ------------------------------------------------------------------
//
// Source: one row 10, 60, 160, 250 (gray). One row into one row: the row axis has SrcW = 1, so
// every row cluster is (0, 256) and a channel value is Floor(256 H / 65536) = H div 256, where H
// is the sum over the column cluster of weight x value. Each case runs along x and, transposed,
// along y, so a swapped axis fails. Kernel values below are K in single precision (4 digits);
// no rounded product lies within 0.02 of a tie. "j:K(t)->w" lists every non-zero weight in
// order of j; indices below 0 or above 3 clamp to 0 and 3. A cluster whose sum S is not 256
// gets S - 256 taken off entry (n - 1) div 2.
//
// 4 -> 3 (shrinking): s = 0.75, 1/s = 1.3333334, c = (x + 0.5) 1.3333334 - 0.5 = 0.1666667,
// 1.5, 2.8333335 for x = 0, 1, 2; t = (c - j) 0.75; w = Round(K(t) 256 0.75) = Round(192 K(t)).
//   Linear (r = 1.3333334):
//     x=0: -1:K(0.875)=0.125->24  0:K(0.125)=0.875->168  1:K(-0.625)=0.375->72; S=264, entry 1
//          -> 160: weights on values 24+160 on 10, 72 on 60; H = 1840 + 4320 = 6160 -> 24.
//     x=1: 1:K(0.375)=0.625->120  2:->120; S=240, entry 0 -> 136; H = 8160 + 19200 = 27360 -> 106.
//     x=2: mirror of x=0: 72 on 160, 184 on 250; H = 11520 + 46000 = 57520 -> 224.
//   Cosine: x=0: -1:K(0.875)=0.0381->7  0:K(0.125)=0.9619->185  1:K(-0.625)=0.3087->59; S=251,
//          entry 1 -> 190; H = 197*10 + 59*60 = 5510 -> 21.
//     x=1: 1:K(0.375)=0.6913->133  2:->133; S=266, entry 0 -> 123; H = 7380 + 21280 = 28660 -> 111.
//     x=2: 59 on 160, 197 on 250; H = 9440 + 49250 = 58690 -> 229.
//   Spline (r = 2.6666667): x=0: -2:K(1.625)=0.0088->2  -1:K(0.875)=0.2360->45
//          0:K(0.125)=0.6520->125  1:K(-0.625)=0.3981->76  2:K(-1.375)=0.0407->8; S=256;
//          H = 172*10 + 76*60 + 8*160 = 7560 -> 29.
//     x=1: 0:K(1.125)=0.1117->21  1:K(0.375)=0.5524->106  2:->106  3:->21; S=254, entry 1 -> 108;
//          H = 210 + 6480 + 16960 + 5250 = 28900 -> 112.
//     x=2: 8 on 60, 76 on 160, 172 on 250; H = 480 + 12160 + 43000 = 55640 -> 217.
//   Lanczos (r = 4): x=0: -3:K(2.375)=0.0303->6  -2:K(1.625)=-0.1054->-20  -1:K(0.875)=0.1205->23
//          0:K(0.125)=0.9717->187  1:K(-0.625)=0.4376->84  2:K(-1.375)=-0.1473->-28
//          3:K(-2.125)=0.0204->4; S=256; H = 196*10 + 84*60 - 28*160 + 4*250 = 3520 -> 13.
//     x=1: -2:K(2.625)=0.0156->3  -1:K(1.875)=-0.0306->-6  0:K(1.125)=-0.0849->-16
//          1:K(0.375)=0.7642->147  2:->147  3:->-16  4:->-6  5:->3; S=256;
//          H = -19*10 + 147*60 + 147*160 - 19*250 = 27400 -> 107.
//     x=2: mirror of x=0: H = 4*10 - 28*60 + 84*160 + 196*250 = 60800 -> 237.
//   Mitchell (r = 2.6666667): x=0: -2:K(1.625)=-0.0264->-5  -1:K(0.875)=0.1392->27
//          0:K(0.125)=0.8599->165  1:K(-0.625)=0.3925->75  2:K(-1.375)=-0.0353->-7; S=255,
//          entry 2 -> 166; H = 188*10 + 75*60 - 7*160 = 5260 -> 20.
//     x=1: -1:K(1.875)=-0.0044->-1  0:K(1.125)=0.0053->1  1:K(0.375)=0.6692->128  2:->128
//          3:->1  4:->-1; S=256; H = 0*10 + 128*60 + 128*160 + 0*250 = 28160 -> 110.
//     x=2: -7 on 60, 75 on 160, 188 on 250; H = -420 + 12000 + 47000 = 58580 -> 228.
TEST(HandComputed, KernelsFourToThree) {
    struct Case {
        TStretchFilter f;
        std::vector<int> want;
    } cases[] = {
        {sfLinear, {24, 106, 224}},  {sfCosine, {21, 111, 229}},  {sfSpline, {29, 112, 217}},
        {sfLanczos, {13, 107, 237}}, {sfMitchell, {20, 110, 228}},
    };
    for (const Case &c : cases)
        for (bool vertical : {false, true})
            for (Impl impl : {Impl::Scalar, Impl::Fast}) {
                TBitmap32 dst;
                const TBitmap32 src = Line({10, 60, 160, 250}, vertical);
                EXPECT_EQ(Stretch(src, dst, vertical ? 1 : 3, vertical ? 3 : 1, c.f, impl), Method::Kernel);
                EXPECT_EQ(Values(dst), c.want) << Name(c.f) << (vertical ? " vertical " : " ")
                                               << resample::ImplName(impl);
            }
}

// The Lanczos 4 -> 3 cluster of x = 0 as derived above, entry by entry (before and after the
// fix-up nothing is merged: equal source indices stay separate entries).
TEST(HandComputed, LanczosClusterEntries) {
    const resample::MappingTable t = resample::BuildMappingTable({0, 4, 3, 0, 3}, sfLanczos);
    std::vector<std::pair<int, int>> got;
    for (auto e = t.begin(0); e != t.end(0); ++e)
        got.push_back({e->index, e->weight});
    const std::vector<std::pair<int, int>> want = {{0, 6}, {0, -20}, {0, 23}, {0, 187},
                                                   {1, 84}, {2, -28}, {3, 4}};
    EXPECT_EQ(got, want);
    // Mitchell x = 0: the sum 255 is mended on entry (5 - 1) div 2 = 2.
    const resample::MappingTable m = resample::BuildMappingTable({0, 4, 3, 0, 3}, sfMitchell);
    got.clear();
    for (auto e = m.begin(0); e != m.end(0); ++e)
        got.push_back({e->index, e->weight});
    EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{0, -5}, {0, 27}, {0, 166}, {1, 75}, {2, -7}}));
}

// 4 -> 7 (enlarging): s = 1.75, 1/s = 0.5714286, r = R, w = Round(256 K(c - j)),
// c = -0.2142857, 0.3571429, 0.9285715, 1.5, 2.0714288, 2.6428573, 3.2142859.
//   Linear: x=0: -1:K(0.7857)=0.2143->55  0:->201 (both on 10) -> 10.
//     x=1: 0:K(0.3571)=0.6429->165  1:K(-0.6429)->91; H = 1650 + 5460 = 7110 -> 27.
//     x=2: 0:->18  1:->238; H = 180 + 14280 = 14460 -> 56.   x=3: 128, 128; H = 28160 -> 110.
//     x=4: 2:->238 3:->18; H = 38080 + 4500 = 42580 -> 166.
//     x=5: 2:->91  3:->165; H = 14560 + 41250 = 55810 -> 218.   x=6: 201 + 55 on 250 -> 250.
//   Cosine: x=0: 28 + 228 on 10 -> 10; x=1: 184, 72: H = 1840 + 4320 = 6160 -> 24;
//     x=2: 3, 253: H = 30 + 15180 = 15210 -> 59; x=3: 128, 128 -> 110; x=4: 253, 3 on 160, 250:
//     H = 40480 + 750 = 41230 -> 161; x=5: 72, 184: H = 11520 + 46000 = 57520 -> 224; x=6 -> 250.
//   Spline: x=0: -1:K(0.7857)=0.2918->75  0:K(0.2143)=0.6257->160  1:K(1.2143)=0.0808->21;
//     S=256; H = 235*10 + 21*60 = 3610 -> 14.
//     x=1: -1:->11  0:->144  1:->99  2:->2; H = 1550 + 5940 + 320 = 7810 -> 30.
//     x=2: 0:K(0.9286)=0.2047->52  1:K(0.0714)=0.6617->169  2:K(1.0714)=0.1334->34; S=255,
//          entry 1 -> 170; H = 520 + 10200 + 5440 = 16160 -> 63.
//     x=3: 5, 123, 123, 5; S=256; H = 50 + 7380 + 19680 + 1250 = 28360 -> 110.
//     x=4: 34, 170 (mended), 52 on 60, 160, 250: H = 2040 + 27200 + 13000 = 42240 -> 165.
//     x=5: 2, 99, 144 + 11 on 60, 160, 250: H = 120 + 15840 + 38750 = 54710 -> 213.
//     x=6: 21 on 160, 235 on 250: H = 3360 + 58750 = 62110 -> 242.
//   Lanczos: x=0: -3:->1  -2:->-15  -1:K(0.7857)=0.2250->58  0:K(0.2143)=0.9184->235
//          1:K(1.2143)=-0.1228->-31  2:->7; S=255, entry 2 -> 59; H = 280*10 - 31*60 + 7*160 =
//          2060 -> 8.
//     x=1: 8, -38, 201, 106, -26, 4 at j=-2..3; S=255, entry 2 -> 202;
//          H = 172*10 + 106*60 - 26*160 + 4*250 = 4920 -> 19.
//     x=2: -4, 17, 254, -14, 3 at j=-1..3; S=256; H = 130 + 15240 - 2240 + 750 = 13880 -> 54.
//     x=3: 6, -35, 156, 156, -35, 6 at j=-1..4; S=254, entry 2 -> 158;
//          H = -290 + 9480 + 24960 - 7250 = 26900 -> 105.
//     x=4: 3, -14, 254, 17, -4 at j=0..4; H = 30 - 840 + 40640 + 3250 = 43080 -> 168.
//     x=5: 4, -26, 106, 201, -38, 8 at j=0..5; S=255, entry 2 -> 107;
//          H = 40 - 1560 + 17120 + 171*250 = 58350 -> 227.
//     x=6: 7, -31, 235, 58, -15, 1 at j=1..6; S=255, entry 2 -> 236; H = 420 - 4960 + 280*250 =
//          65460; 256 H = 16757760 > 255*65536 = 16711680, so the clamp gives 255.
//   Mitchell: x=0: -3, 56, 207, -4 at j=-2..1; S=256; H = 260*10 - 4*60 = 2360 -> 9.
//     x=1: -9, 176, 95, -6 at j=-1..2; H = 1670 + 5700 - 960 = 6410 -> 25.
//     x=2: 25, 225, 6 at j=0..2; H = 250 + 13500 + 960 = 14710 -> 57.
//     x=3: -9, 137, 137, -9; H = -90 + 8220 + 21920 - 2250 = 27800 -> 108.
//     x=4: 6, 225, 25 at j=1..3; H = 360 + 36000 + 6250 = 42610 -> 166.
//     x=5: -6, 95, 176, -9 at j=1..4; H = -360 + 15200 + 167*250 = 56590 -> 221.
//     x=6: -4, 207, 56, -3 at j=2..5; H = -640 + 260*250 = 64360 -> 251.
TEST(HandComputed, KernelsFourToSeven) {
    struct Case {
        TStretchFilter f;
        std::vector<int> want;
    } cases[] = {
        {sfLinear, {10, 27, 56, 110, 166, 218, 250}},  {sfCosine, {10, 24, 59, 110, 161, 224, 250}},
        {sfSpline, {14, 30, 63, 110, 165, 213, 242}},  {sfLanczos, {8, 19, 54, 105, 168, 227, 255}},
        {sfMitchell, {9, 25, 57, 108, 166, 221, 251}},
        // Draft enlarging a one-row source: SrcH < 2, so the Linear kernel.
        {sfDraft, {10, 27, 56, 110, 166, 218, 250}},
    };
    for (const Case &c : cases)
        for (bool vertical : {false, true})
            for (Impl impl : {Impl::Scalar, Impl::Fast}) {
                TBitmap32 dst;
                const TBitmap32 src = Line({10, 60, 160, 250}, vertical);
                EXPECT_EQ(Stretch(src, dst, vertical ? 1 : 7, vertical ? 7 : 1, c.f, impl), Method::Kernel);
                EXPECT_EQ(Values(dst), c.want) << Name(c.f) << (vertical ? " vertical " : " ")
                                               << resample::ImplName(impl);
            }
}

// Nearest: q = 4/3 = 1.3333334: Trunc(0), Trunc(1.3333334), Trunc(2.6666667) = 0, 1, 2.
// q = 4/7 = 0.5714286: x q = 0, 0.571, 1.143, 1.714, 2.286, 2.857, 3.429 -> 0 0 1 1 2 2 3.
TEST(HandComputed, Nearest) {
    for (bool vertical : {false, true}) {
        TBitmap32 dst;
        const TBitmap32 src = Line({10, 60, 160, 250}, vertical);
        Stretch(src, dst, vertical ? 1 : 3, vertical ? 3 : 1, sfNearest);
        EXPECT_EQ(Values(dst), std::vector<int>({10, 60, 160}));
        Stretch(src, dst, vertical ? 1 : 7, vertical ? 7 : 1, sfNearest);
        EXPECT_EQ(Values(dst), std::vector<int>({10, 10, 60, 60, 160, 160, 250}));
    }
}

// Block average (Draft shrinking). F = Trunc(q 65536); block k ends before (k F) shr 16.
//  4 -> 3: q = 1.3333334, F = Trunc(87381.34) = 87381; ends 1, 174762 shr 16 = 2,
//          262143 shr 16 = 3: blocks [0,1) [1,2) [2,3); the last column is never read -> 10 60 160.
//  6 -> 4: q = 1.5, F = 98304; ends 1, 3, 4, 6: blocks [0,1) [1,3) [3,4) [4,6).
//          Values 10 60 160 250 30 201: 10; N=2, e=2^23: (220 e) shr 24 = 110; 250;
//          (231 e) shr 24 = 115.
//  9 -> 3: q = 3, blocks of 3, e = Floor(2^24 / 3) = 5592405; all 100: (300 e) shr 24 =
//          1677721500 shr 24 = 99 (just below the exact 100). Alpha 255 likewise becomes
//          (765 e) shr 24 = 254 there, and stays 255 in blocks of 1 and 2.
TEST(HandComputed, BlockAverage) {
    for (bool vertical : {false, true})
        for (Impl impl : {Impl::Scalar, Impl::Fast}) {
            TBitmap32 dst;
            auto run = [&](const std::vector<int> &v, int n) {
                EXPECT_EQ(Stretch(Line(v, vertical), dst, vertical ? 1 : n, vertical ? n : 1, sfDraft, impl),
                          Method::BlockAverage);
                return Values(dst);
            };
            EXPECT_EQ(run({10, 60, 160, 250}, 3), std::vector<int>({10, 60, 160}));
            EXPECT_EQ(run({10, 60, 160, 250, 30, 201}, 4), std::vector<int>({10, 110, 250, 115}));
            EXPECT_EQ(AlphaOf(dst.Pixel(0, 0)), 255);
            EXPECT_EQ(run(std::vector<int>(9, 100), 3), std::vector<int>({99, 99, 99}));
            EXPECT_EQ(AlphaOf(dst.Pixel(0, 0)), 254);
        }
}

// Bilinear (Linear enlarging both ways), 4 x 2 -> 7 x 3. Rows: 10 60 160 250 and 200 100 40 0.
// Columns: q = 0.5714286, f = q (x + 0.5) - 0.5 clamped to 0..3:
//   x: 0      1          2          3    4          5          6
//   f: 0      0.3571429  0.9285715  1.5  2.0714288  2.6428573  3 (from 3.2142859)
//   P: 0      0          0          1    2          2          3 -> 2 (end fix-up)
//   W: 256    256-91=165 256-238=18 128  256-18=238 256-165=91 256 -> 0
// Rows: q = 0.6666667: f = -0.1666667 -> 0 (P 0, W 256); 0.5 (P 0, W 128); 1.1666667 -> 1, fixed
// up to P 0, W 0.
// top (row 0) = (a W + b (256 - W)) div 256: 10, 7110 div 256 = 27, 14460 div 256 = 56, 110,
//   42580 div 256 = 166, 55810 div 256 = 218, 250.
// bottom (row 1): 200, (33000 + 9100) div 256 = 164, (3600 + 23800) div 256 = 107, 70,
//   9520 div 256 = 37, 3640 div 256 = 14, 0.
// Row 1 of the result, W = 128: (top + bottom) div 2 = 105, 95, 81, 90, 101, 116, 125.
// Transposed (2 x 4 -> 3 x 7) the horizontal step comes first across the other axis, and the
// truncations fall elsewhere: the middle column (W = 128) first gives (v + u) div 2 per source
// row = 105, 80, 100, 125, then down the rows with the column table above: 105,
// (105*165 + 80*91) div 256 = 24605 div 256 = 96, (1890 + 19040) div 256 = 81, 90,
// (23800 + 2250) div 256 = 101, (9100 + 20625) div 256 = 116, 125. Only 96 differs from 95.
TEST(HandComputed, Bilinear) {
    TBitmap32 src(4, 2), srcT(2, 4);
    const int rows[2][4] = {{10, 60, 160, 250}, {200, 100, 40, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            src.SetPixel(x, y, Gray(rows[y][x]));
            srcT.SetPixel(y, x, Gray(rows[y][x]));
        }
    const std::vector<int> want = {10,  27,  56,  110, 166, 218, 250, 105, 95, 81, 90,
                                   101, 116, 125, 200, 164, 107, 70,  37,  14, 0};
    for (TStretchFilter f : {sfLinear, sfDraft})
        for (Impl impl : {Impl::Scalar, Impl::Fast}) {
            TBitmap32 dst;
            EXPECT_EQ(Stretch(src, dst, 7, 3, f, impl), Method::Bilinear);
            EXPECT_EQ(Values(dst), want) << Name(f) << " " << resample::ImplName(impl);
            EXPECT_EQ(Stretch(srcT, dst, 3, 7, f, impl), Method::Bilinear);
            std::vector<int> got = Values(dst), transposed;
            for (int x = 0; x < 3; ++x)
                for (int y = 0; y < 7; ++y)
                    transposed.push_back(got[size_t(y * 3 + x)]);
            std::vector<int> wantT = want;
            wantT[8] = 96;
            EXPECT_EQ(transposed, wantT) << Name(f) << " transposed " << resample::ImplName(impl);
        }
}

// Channels are resampled alike and apart: permuting the bytes of every source pixel permutes
// the bytes of every result pixel the same way.
TEST(StretchTransfer, ChannelsAreIndependent) {
    std::mt19937 rng(5);
    const TBitmap32 src = Random(29, 17, rng);
    TBitmap32 rotated(29, 17);
    for (int i = 0; i < 29 * 17; ++i)
        rotated.Bits()[i] = (src.Bits()[i] << 8) | (src.Bits()[i] >> 24);
    for (TStretchFilter f : kAllFilters)
        for (auto [w, h] : {std::pair{64, 40}, std::pair{11, 7}, std::pair{50, 9}}) {
            TBitmap32 a, b;
            Stretch(src, a, w, h, f, Impl::Scalar);
            Stretch(rotated, b, w, h, f, Impl::Scalar);
            for (int i = 0; i < w * h; ++i)
                ASSERT_EQ(b.Bits()[i], (a.Bits()[i] << 8) | (a.Bits()[i] >> 24)) << Name(f) << " " << i;
        }
}

// ---- the vectorised loops give the reference bits -------------------------------------------

TEST(FastPath, EqualsReferenceOnRandomPictures) {
    if (!resample::FastAvailable())
        GTEST_SKIP() << "no vectorised loops on this processor";
    std::mt19937 rng(6);
    std::uniform_int_distribution<int> side(1, 300);
    for (int round = 0; round < 40; ++round) {
        const int sw = side(rng), sh = side(rng), dw = side(rng), dh = side(rng);
        const TBitmap32 src = Random(sw, sh, rng);
        for (TStretchFilter f : kAllFilters) {
            TBitmap32 a, b;
            const Method m = Stretch(src, a, dw, dh, f, Impl::Scalar);
            Stretch(src, b, dw, dh, f, Impl::Fast);
            ASSERT_TRUE(SameBits(a, b)) << Name(f) << " " << sw << "x" << sh << " -> " << dw << "x"
                                        << dh << " (" << resample::MethodName(m) << ")";
        }
    }
}

// Shapes the random sizes rarely hit: very thin pictures, both ways, and sizes around the
// vector widths.
TEST(FastPath, EqualsReferenceOnThinAndOddShapes) {
    if (!resample::FastAvailable())
        GTEST_SKIP() << "no vectorised loops on this processor";
    std::mt19937 rng(7);
    const std::pair<int, int> shapes[] = {{1, 1}, {1, 300}, {300, 1}, {2, 2}, {7, 9}, {8, 8},
                                          {9, 31}, {16, 3}, {33, 65}, {255, 2}, {3, 257}};
    for (auto [sw, sh] : shapes) {
        const TBitmap32 src = Random(sw, sh, rng);
        for (auto [dw, dh] : shapes)
            for (TStretchFilter f : kAllFilters) {
                TBitmap32 a, b;
                const Method m = Stretch(src, a, dw, dh, f, Impl::Scalar);
                Stretch(src, b, dw, dh, f, Impl::Fast);
                ASSERT_TRUE(SameBits(a, b)) << Name(f) << " " << sw << "x" << sh << " -> " << dw
                                            << "x" << dh << " (" << resample::MethodName(m) << ")";
            }
    }
}

// Sub-rectangles of the source and clipped, offset destinations: both loops read only inside
// the source rectangle and agree bit for bit.
TEST(FastPath, EqualsReferenceOnSourceRectanglesAndClips) {
    if (!resample::FastAvailable())
        GTEST_SKIP() << "no vectorised loops on this processor";
    std::mt19937 rng(8);
    std::uniform_int_distribution<int> coord(0, 120);
    for (int round = 0; round < 30; ++round) {
        const TBitmap32 src = Random(121, 97, rng);
        int l = coord(rng), r = coord(rng), t = coord(rng) % 97, b = coord(rng) % 97;
        if (l > r) std::swap(l, r);
        if (t > b) std::swap(t, b);
        const PixelRect srcRect{l, t, r + 1, b + 1};
        const PixelRect dstRect{coord(rng) - 60, coord(rng) - 60, coord(rng) + 10, coord(rng) + 10};
        const PixelRect clip{coord(rng) / 2, coord(rng) / 2, coord(rng), coord(rng)};
        for (TStretchFilter f : kAllFilters) {
            TBitmap32 a(90, 80), c(90, 80);
            a.Clear(0xDEADBEEFu);
            c.Clear(0xDEADBEEFu);
            resample::StretchTransferWith(Impl::Scalar, a, dstRect, clip, src, srcRect, f, dmOpaque);
            resample::StretchTransferWith(Impl::Fast, c, dstRect, clip, src, srcRect, f, dmOpaque);
            ASSERT_TRUE(SameBits(a, c)) << Name(f) << " round " << round;
        }
    }
}

// Transfers on several threads at once give what they give alone: no shared mutable state.
TEST(StretchTransfer, ThreadsDoNotInterfere) {
    std::mt19937 rng(9);
    std::vector<TBitmap32> sources;
    for (int i = 0; i < 4; ++i)
        sources.push_back(Random(150 + 37 * i, 120 - 13 * i, rng));
    auto work = [&](int i, TBitmap32 &out) {
        for (TStretchFilter f : kAllFilters) {
            TBitmap32 dst;
            Stretch(sources[size_t(i)], dst, 64 + 50 * i, 200 - 30 * i, f);
            if (f == TStretchFilter(i + 2))
                out = dst;
        }
    };
    std::vector<TBitmap32> alone(4), together(4);
    for (int i = 0; i < 4; ++i)
        work(i, alone[size_t(i)]);
    for (int repeat = 0; repeat < 3; ++repeat) {
        std::vector<std::thread> threads;
        for (int i = 0; i < 4; ++i)
            threads.emplace_back(work, i, std::ref(together[size_t(i)]));
        for (std::thread &t : threads)
            t.join();
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(SameBits(alone[size_t(i)], together[size_t(i)])) << i;
    }
}

// ---- large pictures -------------------------------------------------------------------------

// 30000-pixel sides with every filter: nothing reads outside the source (the sanitizer build
// checks), and a flat picture stays flat: kernel weights sum to 256, bilinear weights to 256,
// and Draft enlarges one way here, so it takes the bilinear path.
TEST(LargePictures, ThirtyThousandPixelSides) {
    for (auto [sw, sh] : {std::pair{30000, 3}, std::pair{3, 30000}}) {
        TBitmap32 src(sw, sh);
        src.Clear(Gray(128));
        for (TStretchFilter f : kAllFilters)
            for (Impl impl : {Impl::Scalar, Impl::Fast}) {
                // 256 along the long side; a few rows across keep the reference loops quick.
                TBitmap32 dst;
                const int dw = sw > sh ? 256 : 8, dh = sw > sh ? 8 : 256;
                Stretch(src, dst, dw, dh, f, impl);
                for (int i = 0; i < dw * dh; ++i)
                    ASSERT_EQ(dst.Bits()[i], Gray(128)) << Name(f) << " " << sw << "x" << sh;
            }
    }
}

// Above 65536 pixels per side the 16.16 block boundaries would wrap in 32 bits; they are kept
// inside the source, so the right end of the map still shows the right end of the picture.
TEST(LargePictures, BlockAverageBeyondSixteenBitSides) {
    const int sw = 70000, sh = 300;
    TBitmap32 src(sw, sh);
    src.Clear(Gray(0));
    for (int y = 0; y < sh; ++y)
        for (int x = sw - 1000; x < sw; ++x)
            src.SetPixel(x, y, Gray(255));
    for (Impl impl : {Impl::Scalar, Impl::Fast}) {
        TBitmap32 dst;
        ASSERT_EQ(Stretch(src, dst, 256, 256, sfDraft, impl), Method::BlockAverage);
        for (int y = 0; y < 256; ++y) {
            EXPECT_EQ(BlueOf(dst.Pixel(0, y)), 0);
            EXPECT_GE(BlueOf(dst.Pixel(255, y)), 254) << resample::ImplName(impl);
        }
        const resample::BlockMap m = resample::BuildBlockMap({0, sw, 256, 0, 256});
        for (int i = 0; i < 256; ++i) {
            ASSERT_LT(m.first[size_t(i)], m.last[size_t(i)]);
            ASSERT_LE(m.last[size_t(i)], sw);
            if (i > 0) {
                ASSERT_EQ(m.first[size_t(i)], m.last[size_t(i - 1)]);
            }
        }
    }
}

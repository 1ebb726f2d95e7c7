#include "picture/TextureMap.h"

#include "picture/Resample.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cstdint>

int BestMapSize(int n) {
    // The smallest power of two b (from 4 on) with n < 1.5 b, within 256..2048. Sides too long
    // for any b up to 2^24 get the largest map, as every side from 1536 on does.
    int64_t result = 0;
    for (int64_t b = 4; b <= (int64_t(1) << 24); b *= 2) {
        if (2 * int64_t(n) < 3 * b) {
            result = b;
            break;
        }
    }
    if (result == 0)
        return 2048;
    return int(std::clamp<int64_t>(result, 256, 2048));
}

PixelRect TextureMapRect(int sourceWidth, int sourceHeight, const TextureMapSettings &settings) {
    if (settings.useBestMapSize)
        return {0, 0, BestMapSize(sourceWidth), BestMapSize(sourceHeight)};
    const int s = settings.mapSize;
    if (s != 256 && s != 512 && s != 1024 && s != 2048)
        throw OrvantaError(QStringLiteral("Invalid texture map size: %1").arg(s));
    return {0, 0, s, s};
}

void BuildTextureMap(const TBitmap32 &source, PictureSize pictureSize, TBitmap32 &map,
                     const TextureMapSettings &settings) {
    const PixelRect r = TextureMapRect(pictureSize.Width, pictureSize.Height, settings);
    map.StretchFilter = settings.filter;
    if (source.Empty()) {
        map.SetSize(r.Right, r.Bottom);
        return;
    }
    // The transfer below writes every pixel of the map.
    map.SetSizeForOverwrite(r.Right, r.Bottom);
    StretchTransfer(map, r, map.BoundsRect(), source, source.BoundsRect(), settings.filter, dmOpaque);
}

void BuildTextureMap(const TBitmap32 &source, TBitmap32 &map, const TextureMapSettings &settings) {
    BuildTextureMap(source, {source.Width(), source.Height()}, map, settings);
}

DecodeRequest TextureMapDecodeRequest(const TextureMapSettings &settings) {
    DecodeRequest request;
    // Nearest and Draft pick or average whole source pixels, so their maps of a reduced picture
    // differ visibly pixel by pixel from those of the full one: those decode at full size.
    if (settings.filter == sfNearest || settings.filter == sfDraft)
        return request;
    request.MinimumSize = [settings](int w, int h) {
        const PixelRect r = TextureMapRect(w, h, settings);
        return PictureSize{r.Right, r.Bottom};
    };
    return request;
}

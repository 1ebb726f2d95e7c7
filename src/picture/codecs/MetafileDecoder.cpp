#include "picture/codecs/MetafileDecoder.h"

#include "picture/codecs/EmfPlayer.h"
#include "picture/codecs/WmfPlayer.h"
#include "platform/Errors.h"

#include <QImage>

#include <cstring>
#include <new>

namespace {

[[noreturn]] void Fail(const char *shortName) {
    throw OrvantaError(QStringLiteral("Cannot load image. Invalid or unexpected %1 image format.").arg(shortName));
}

void CheckSize(int64_t w, int64_t h, int64_t maxPixels, const char *shortName) {
    if (w <= 0 || h <= 0 || w > 1 << 20 || h > 1 << 20 || w * h > maxPixels)
        Fail(shortName);
}

// A white picture of the given size, on which the records are played.
QImage WhitePicture(int w, int h, const char *shortName) {
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull())
        Fail(shortName);
    image.fill(Qt::white);
    return image;
}

void CopyOut(const QImage &image, TBitmap32 &bitmap) {
    bitmap.SetSize(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(bitmap.ScanLine(y), image.constScanLine(y), size_t(image.width()) * 4);
    bitmap.SetAlpha(255);
}

} // namespace

void DecodeMetafile(const QByteArray &data, TBitmap32 &bitmap) { DecodeMetafile(data, bitmap, kMetafileMaxPixels); }

void DecodeMetafile(const QByteArray &data, TBitmap32 &bitmap, int64_t maxPixels) {
    const uint8_t *p = reinterpret_cast<const uint8_t *>(data.constData());
    const size_t n = size_t(data.size());
    const bool emf = EmfLooksLike(p, n);
    const char *shortName = emf ? "EMF" : "WMF";
    try {
        if (emf) {
            const EmfInfo info = EmfProbe(p, n);
            CheckSize(info.width, info.height, maxPixels, shortName);
            QImage image = WhitePicture(info.width, info.height, shortName);
            {
                MetafileCanvas canvas(image, info.deviceToOutput, info.devicePixelsPerMm);
                EmfPlay(p, n, info, canvas);
            }
            CopyOut(image, bitmap);
        } else {
            if (!WmfLooksLike(p, n))
                Fail(shortName);
            const WmfInfo info = WmfProbe(p, n);
            CheckSize(info.width, info.height, maxPixels, shortName);
            QImage image = WhitePicture(info.width, info.height, shortName);
            {
                MetafileCanvas canvas(image, QTransform(), QPointF(96 / 25.4, 96 / 25.4));
                WmfPlay(p, n, info, canvas);
            }
            CopyOut(image, bitmap);
        }
    } catch (const std::bad_alloc &) {
        Fail(shortName);
    }
}

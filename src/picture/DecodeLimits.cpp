#include "picture/DecodeLimits.h"

#include "platform/Errors.h"

#include <QFile>
#include <new>

namespace decode_limits {

void CheckPictureSize(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0)
        throw OrvantaError(QStringLiteral("Cannot load image. The picture has no pixels (%1 x %2).")
                               .arg(width).arg(height));
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
        throw OrvantaError(
            QStringLiteral("Cannot load image. The picture is too large (%1 x %2 pixels; at most %3 pixels).")
                .arg(width).arg(height).arg(kMaxPicturePixels));
}

void CheckDataPromise(int64_t pixels, int64_t fileBytes, int64_t maxPixelsPerByte) {
    if (pixels <= kPromiseFreePixels)
        return;
    if (fileBytes < 0 || pixels / maxPixelsPerByte > fileBytes)
        RaiseTooShort();
}

void RaiseTooShort() {
    throw OrvantaError(
        QStringLiteral("Cannot load image. The file is too short for the picture its header describes."));
}

namespace {
void Size(TBitmap32 &bitmap, int width, int height, bool clear) {
    CheckPictureSize(width, height);
    try {
        if (clear)
            bitmap.SetSize(width, height);
        else
            bitmap.SetSizeForOverwrite(width, height);
    } catch (const std::bad_alloc &) {
        throw OrvantaError(QStringLiteral("Cannot load image. Not enough memory for %1 x %2 pixels.")
                               .arg(width).arg(height));
    }
}
} // namespace

void SizeBitmap(TBitmap32 &bitmap, int width, int height) { Size(bitmap, width, height, true); }

void SizeBitmapForOverwrite(TBitmap32 &bitmap, int width, int height) { Size(bitmap, width, height, false); }

QByteArray ReadWholeFile(const QString &fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw OrvantaError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    const qint64 size = file.size();
    if (size > kMaxFileBytes)
        throw OrvantaError(QStringLiteral("Cannot load image. The file \"%1\" is too large.").arg(fileName));
    QByteArray data;
    try {
        data = file.readAll();
    } catch (const std::bad_alloc &) {
        throw OrvantaError(QStringLiteral("Cannot load image. Not enough memory to read \"%1\".").arg(fileName));
    }
    if (file.error() != QFileDevice::NoError)
        throw OrvantaError(QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, file.errorString()));
    return data;
}

void RaiseInvalidFormat(const char *shortName) {
    throw OrvantaError(QStringLiteral("Cannot load image. Invalid or unexpected %1 image format.")
                           .arg(QString::fromLatin1(shortName)));
}

} // namespace decode_limits

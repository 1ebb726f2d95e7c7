#pragma once
// Limits every decoder keeps to, so a picture file cannot make the program exhaust memory:
// a picture may have at most 2^28 pixels, and checked arithmetic guards every size a file claims.

#include "picture/Bitmap32.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace decode_limits {

constexpr int64_t kMaxPicturePixels = int64_t(1) << 28;
constexpr int kMaxPictureSide = 1 << 20;
// Files larger than this are not read into memory at all.
constexpr int64_t kMaxFileBytes = int64_t(1) << 30;

// Raises OrvantaError unless 0 < width, height and width x height <= kMaxPicturePixels.
void CheckPictureSize(int64_t width, int64_t height);

// Pictures up to this size may come from any file (64 MB of bitmap at most); larger ones must be
// backed by enough data.
constexpr int64_t kPromiseFreePixels = int64_t(1) << 24;

// Raises OrvantaError when a picture of more than kPromiseFreePixels pixels cannot come out of
// `fileBytes` bytes of data compressed at most `maxPixelsPerByte` to one.
void CheckDataPromise(int64_t pixels, int64_t fileBytes, int64_t maxPixelsPerByte);

// "Cannot load image. The file is too short for the picture its header describes."
[[noreturn]] void RaiseTooShort();

// Sizes the bitmap after CheckPictureSize; allocation failure becomes an OrvantaError.
void SizeBitmap(TBitmap32 &bitmap, int width, int height);
// The same for a decoder that writes every pixel: the bitmap's memory is not cleared.
void SizeBitmapForOverwrite(TBitmap32 &bitmap, int width, int height);

// Reads a whole file (at most kMaxFileBytes); raises the file's error text on failure.
QByteArray ReadWholeFile(const QString &fileName);

// "Cannot load image. Invalid or unexpected <shortName> image format."
[[noreturn]] void RaiseInvalidFormat(const char *shortName);

} // namespace decode_limits

#include "picture/codecs/MetafileDecoder.h"

#include "platform/Errors.h"

void DecodeMetafile(const QByteArray &, TBitmap32 &) {
    throw OrvantaError(QStringLiteral("Cannot load image. Invalid or unexpected %1 image format.").arg("WMF"));
}

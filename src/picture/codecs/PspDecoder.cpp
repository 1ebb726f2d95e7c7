#include "picture/codecs/PspDecoder.h"

#include "platform/Errors.h"

void DecodePsp(const QByteArray &, TBitmap32 &) {
    throw OrvantaError(QStringLiteral("Cannot load image. Invalid or unexpected %1 image format.").arg("PSP"));
}

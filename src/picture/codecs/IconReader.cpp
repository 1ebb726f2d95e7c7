#include "picture/codecs/IconReader.h"

#include "platform/Errors.h"

void ReadIcon(const QByteArray &, TBitmap32 &) {
    throw OrvantaError(QStringLiteral("Cannot load image. Invalid or unexpected %1 image format.").arg("ICO"));
}

#pragma once
// Preparing one picture for the wall: decode (with retries under other extensions through
// working copies), the placeholder pictures, mirroring and the texture map. A pure function of
// the path, the picture-quality settings and the work folder: no scene, no OpenGL, safe on
// any thread. Attaching the result to the wall is the main window's job.

#include "picture/Bitmap32.h"
#include "picture/TextureMap.h"

#include <QString>

struct PreparedPicture {
    QString Path;            // as given
    TBitmap32 Map;           // the texture map (mirrored picture, resampled)
    int ShownWidth = 0;      // size of what is shown: the decoded picture or the placeholder
    int ShownHeight = 0;
    int PixelWidth = 0;      // size of the decoded picture; 0 when decoding failed
    int PixelHeight = 0;
    bool Failed = false;     // every attempt failed: the "Cannot load" placeholder is shown
    QString FirstError;      // the message of the first failed attempt
};

// The number of decode attempts: the file itself, then copies under rows 0..40 of the format table.
constexpr int kDecodeAttempts = 42;

PreparedPicture PreparePicture(const QString &path, const TextureMapSettings &settings);

// The two placeholder pictures (512 x 256, not mirrored).
void DrawCannotLoadPlaceholder(TBitmap32 &bitmap, const QString &path, const QString &error);
void DrawNoPreviewPlaceholder(TBitmap32 &bitmap, const QString &path);

#pragma once
// GIF decoder on giflib: the first image of the file, drawn at its place on the logical screen,
// with the transparent colour switched off (transparent pixels show their palette colour).

#include "picture/Bitmap32.h"

#include <QByteArray>

// Raises OrvantaError "Cannot load image. Invalid or unexpected GIF image format." on a broken
// file, and the decode limits' messages.
void DecodeGif(const QByteArray &data, TBitmap32 &bitmap);

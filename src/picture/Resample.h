#pragma once
// The stretch transfer: copies a rectangle of one 32-bit bitmap into a rectangle of another,
// resampled with one of the seven stretch filters. Thread-safe (no shared state); the work
// buffers hold one row, never a second copy of the picture.

#include "picture/Bitmap32.h"
#include "picture/StretchFilter.h"

// Writes the pixels of dstRect that lie inside dstClip and inside dst. Raises OrvantaError
// "Destination bitmap is nil or empty" when dst is empty and "Source rectangle is invalid"
// when srcRect reaches outside src. An empty source rectangle draws nothing.
void StretchTransfer(TBitmap32 &dst, const PixelRect &dstRect, const PixelRect &dstClip,
                     const TBitmap32 &src, const PixelRect &srcRect, TStretchFilter filter,
                     TDrawMode mode);

#pragma once
// Decoders on ImageMagick's MagickCore for BMP/DIB/RLE, Targa, PCX, portable maps, Photoshop,
// Photo CD, SGI and DDS. The coder is always named by the file's extension (never guessed from
// the content), only these coders may run, no delegate program is ever started, and resource
// limits (memory, map, area, disk, width, height, threads) and a time limit per decode apply.

#include "picture/Bitmap32.h"

#include <QByteArray>

// MagickCore coder names used by the decoder table.
namespace magick_coder {
inline constexpr const char *Bmp = "BMP";
inline constexpr const char *Targa = "TGA";
inline constexpr const char *Pcx = "PCX";
inline constexpr const char *Ppm = "PPM";
inline constexpr const char *Pgm = "PGM";
inline constexpr const char *Pbm = "PBM";
inline constexpr const char *Photoshop = "PSD";
inline constexpr const char *PhotoCd = "PCD";
inline constexpr const char *Sgi = "SGI";
inline constexpr const char *Dds = "DDS";
} // namespace magick_coder

// Starts MagickCore once for the process (thread-safe; every decode calls it).
void InitMagick();

// Decodes data with the named coder into bitmap. Raises OrvantaError
// "Cannot load image. Invalid or unexpected <shortName> image format." when the coder refuses
// the data, and the decode limits' messages.
void DecodeWithMagick(const QByteArray &data, const char *coder, const char *shortName, TBitmap32 &bitmap);

#pragma once
// EPS preview decoder: a binary EPS file (bytes C5 D0 D3 C6) carries a TIFF preview of its
// PostScript; that preview is the picture. Other EPS files would need a PostScript interpreter
// and are refused.

#include "picture/Bitmap32.h"

#include <QByteArray>
#include <cstdint>
#include <optional>

// Where the TIFF preview lies in a binary EPS file (already checked to lie inside the data).
struct EpsTiffPreview {
    uint32_t offset;
    uint32_t length;
};

// Reads the 30-byte binary EPS header; nothing when the data is no binary EPS file or carries
// no TIFF preview inside the data.
std::optional<EpsTiffPreview> FindEpsTiffPreview(const QByteArray &data);

// Raises OrvantaError "Cannot load image. Invalid or unexpected EPS image format." for an EPS
// file without a usable TIFF preview, and the TIFF decoder's messages for a broken preview.
void DecodeEps(const QByteArray &data, TBitmap32 &bitmap);

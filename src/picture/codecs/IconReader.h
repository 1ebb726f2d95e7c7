#pragma once
// Windows icon reader: picks one image of an icon file and draws it over black.

#include "picture/Bitmap32.h"

#include <QByteArray>

// Reads the icon file in data into bitmap (the chosen image's size, alpha 255). Raises
// OrvantaError on failure.
void ReadIcon(const QByteArray &data, TBitmap32 &bitmap);

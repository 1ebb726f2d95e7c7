#pragma once
#include <QImage>

// Draws button picture index (0..6); a null image for other indexes.
QImage PaintButtonArt(int index);

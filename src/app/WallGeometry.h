#pragma once
// Where a picture stands on the wall and how big its plane is.

#include <utility>

// Slots are 21 units apart (the holder extent 20 plus a gap of 1), columns per row
// towards -X, rows towards -Y; 0 columns is one endless row.
inline std::pair<float, float> GridSlot(int index, int columns) {
    if (columns > 0)
        return {-21.0f * float(index % columns), -21.0f * float(index / columns)};
    return {-21.0f * float(index), 0.0f};
}

// The shown picture fitted into a 20 x 20 square with its aspect ratio kept. A picture with no
// pixels (nothing could be shown) gets the placeholder's 20 x 10.
inline std::pair<float, float> PlaneSize(int pixelWidth, int pixelHeight) {
    if (pixelWidth <= 0 || pixelHeight <= 0)
        return {20.0f, 10.0f};
    if (pixelHeight < pixelWidth)
        return {20.0f, 20.0f / float(pixelWidth) * float(pixelHeight)};
    return {20.0f / float(pixelHeight) * float(pixelWidth), 20.0f};
}

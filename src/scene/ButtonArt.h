#pragma once
// The artwork of the seven 40 x 40 screen buttons, drawn for Orvanta, and the button material
// library that shows them.
//   ButtonArtImage(i)       picture i (0..6) as 40 x 40 pixels of 24-bit colour: next,
//                           previous, browse, zoom all, full screen, zoom in, zoom out
//   LoadButtonMaterials(l)  appends the seven button materials "LibMaterial", "LibMaterial1"
//                           ... "LibMaterial6" with their pictures and texture settings
// The pictures are drawn with QPainter (no text), the same on every system.

#include <QImage>

class TGLMaterialLibrary;

constexpr int kButtonArtCount = 7;
constexpr int kButtonArtSide = 40;

// A null image for an index outside 0..6.
QImage ButtonArtImage(int index);
void LoadButtonMaterials(TGLMaterialLibrary &library);

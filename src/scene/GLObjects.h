#pragma once
// The two node kinds of the picture wall.
//   TGLDummyCube  invisible grouping node with CubeSize (draws a wire cube only when
//                 VisibleAtRunTime is set)
//   TGLPlane      a flat textured rectangle in the node's XY plane, facing +Z

#include "scene/GLScene.h"

#include <cstdint>

class TGLDummyCube : public TGLCameraInvariantObject {
public:
    explicit TGLDummyCube(TComponentOwner *owner = nullptr);

    float CubeSize() const { return cubeSize_; }
    void SetCubeSize(float size);
    const TGLColor &EdgeColor() const { return edgeColor_; }
    void SetEdgeColor(const TGLColor &color);
    bool VisibleAtRunTime() const { return visibleAtRunTime_; }
    void SetVisibleAtRunTime(bool visible);
    bool Amalgamate() const { return amalgamate_; }
    void SetAmalgamate(bool value);

    TVector4f HalfExtents() const override;
    // The mean of the children's barycenters; the world position without children.
    TVector4f Barycenter() override;

protected:
    void BuildList(TRenderContextInfo &rci) override;

private:
    float cubeSize_ = 1;
    TGLColor edgeColor_{1, 1, 1, 1};
    bool visibleAtRunTime_ = false;
    bool amalgamate_ = false;
};

enum TPlaneStyle : uint8_t { psSingleQuad = 1, psTileTexture = 2 };
using TPlaneStyles = uint8_t; // a set of TPlaneStyle bits

class TGLPlane : public TGLSceneObject {
public:
    explicit TGLPlane(TComponentOwner *owner = nullptr);

    float Width() const { return width_; }
    float Height() const { return height_; }
    float XOffset() const { return xOffset_; }
    float YOffset() const { return yOffset_; }
    float XScope() const { return xScope_; }
    float YScope() const { return yScope_; }
    int32_t XTiles() const { return xTiles_; }
    int32_t YTiles() const { return yTiles_; }
    TPlaneStyles Style() const { return style_; }
    bool NoZWrite() const { return noZWrite_; }
    void SetWidth(float v) { SetStructureField(width_, v); }
    void SetHeight(float v) { SetStructureField(height_, v); }
    void SetXOffset(float v) { SetStructureField(xOffset_, v); }
    void SetYOffset(float v) { SetStructureField(yOffset_, v); }
    void SetXScope(float v) { SetStructureField(xScope_, v); }
    void SetYScope(float v) { SetStructureField(yScope_, v); }
    // Tile counts below 1 store 1 (a grid needs at least one cell).
    void SetXTiles(int32_t v);
    void SetYTiles(int32_t v);
    void SetStyle(TPlaneStyles style);
    void SetNoZWrite(bool value);

    TVector4f HalfExtents() const override;

    // Texture coordinate ranges of the drawn rectangle: s from sMin to sMax, t likewise.
    void TextureRanges(float &sMin, float &sMax, float &tMin, float &tMax) const;

protected:
    void BuildList(TRenderContextInfo &rci) override;

private:
    float width_ = 1, height_ = 1;
    float xOffset_ = 0, yOffset_ = 0;
    float xScope_ = 1, yScope_ = 1;
    int32_t xTiles_ = 1, yTiles_ = 1;
    TPlaneStyles style_ = psSingleQuad | psTileTexture;
    bool noZWrite_ = false;
};

#pragma once
// Quadric scene objects drawn with their material.
//   TGLAnnulus  a ring of height Height between inner and outer radii at its bottom and top,
//               with a chosen set of parts (inner sides, outer sides, bottom, top). Its axis is
//               the object's y axis; with four slices the ring is a square frame.

#include "scene/GLScene.h"

#include <cstdint>

struct GLUquadric;

enum TAnnulusPart : uint8_t { anInnerSides = 1, anOuterSides = 2, anBottom = 4, anTop = 8 };
using TAnnulusParts = uint8_t; // a set of TAnnulusPart bits

class TGLAnnulus : public TGLSceneObject {
public:
    explicit TGLAnnulus(TComponentOwner *owner = nullptr);
    ~TGLAnnulus() override;

    float BottomRadius() const { return bottomRadius_; }
    float TopRadius() const { return topRadius_; }
    float BottomInnerRadius() const { return bottomInnerRadius_; }
    float TopInnerRadius() const { return topInnerRadius_; }
    float Height() const { return height_; }
    int Slices() const { return slices_; }
    int Stacks() const { return stacks_; }
    int Loops() const { return loops_; }
    TAnnulusParts Parts() const { return parts_; }
    void SetBottomRadius(float v) { SetStructureField(bottomRadius_, v); }
    void SetTopRadius(float v) { SetStructureField(topRadius_, v); }
    void SetBottomInnerRadius(float v) { SetStructureField(bottomInnerRadius_, v); }
    void SetTopInnerRadius(float v) { SetStructureField(topInnerRadius_, v); }
    void SetHeight(float v) { SetStructureField(height_, v); }
    // Counts below 1 store 1 (a quadric needs at least one slice, stack and loop).
    void SetSlices(int v) { SetStructureField(slices_, v < 1 ? 1 : v); }
    void SetStacks(int v) { SetStructureField(stacks_, v < 1 ? 1 : v); }
    void SetLoops(int v) { SetStructureField(loops_, v < 1 ? 1 : v); }
    void SetParts(TAnnulusParts parts) { SetStructureField(parts_, parts); }

protected:
    void BuildList(TRenderContextInfo &rci) override;

private:
    float bottomRadius_ = 0.5f, topRadius_ = 0.5f;
    float bottomInnerRadius_ = 0.3f, topInnerRadius_ = 0.3f;
    float height_ = 1;
    int slices_ = 16, stacks_ = 4, loops_ = 1;
    TAnnulusParts parts_ = anInnerSides | anOuterSides | anBottom | anTop;
    GLUquadric *quadric_ = nullptr;
};

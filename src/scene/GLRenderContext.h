#pragma once
// TRenderContextInfo: what one drawing pass (a frame or a pick) hands down the scene tree.
// Filled by TGLSceneBuffer before the objects root is rendered; nodes read it while drawing.

#include "scene/SceneMath.h"

#include <vector>

class TGLSceneBuffer;
class TGLScene;
class TGLCamera;
class TGLBaseSceneObject;

enum TGLObjectsSorting { osInherited, osNone, osRenderFarthestFirst, osRenderBlendedLast, osRenderNearestFirst };
enum TGLVisibilityCulling { vcInherited, vcNone, vcObjectBased, vcHierarchical };
enum TDrawState { dsRendering, dsPicking };

// One child waiting to be drawn in sorted order, with its squared distance to the camera.
struct RenderSortEntry {
    float distance2;
    TGLBaseSceneObject *node;
};

struct TRenderContextInfo {
    TGLSceneBuffer *buffer = nullptr;
    TGLScene *scene = nullptr;
    TGLCamera *camera = nullptr;
    TDrawState drawState = dsRendering;
    // The viewport of the pass in framebuffer pixels, and the render DPI (96 x pixel ratio).
    int viewPortWidth = 1;
    int viewPortHeight = 1;
    int renderDPI = 96;
    TGLObjectsSorting objectsSorting = osRenderBlendedLast;
    TGLVisibilityCulling visibilityCulling = vcNone;
    TVector4f cameraPosition{0, 0, 0, 1};
    TVector4f cameraDirection{0, 0, 1, 0};
    TMatrix4f baseProjection;
    TMatrix4f modelViewMatrix;
    float nearClippingDistance = 1;
    float farClippingDistance = 100;
    // The buffer's face culling, used by materials that keep fcBufferDefault.
    bool bufferFaceCulling = false;
    bool bufferLighting = false;
    // Scratch storage owned by the buffer, kept across passes so drawing does not allocate.
    std::vector<RenderSortEntry> *sortScratch = nullptr;
    // In a picking pass: selection name i + 1 stands for pickNames[i].
    std::vector<TGLBaseSceneObject *> *pickNames = nullptr;
};

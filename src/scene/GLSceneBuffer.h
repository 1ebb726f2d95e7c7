#pragma once
// TGLSceneBuffer: the render buffer of a viewer. Holds the rendering context, the render
// settings and the matrices of the current pass; draws the scene of its camera (RenderFrame)
// and picks the node under a window point through the OpenGL selection mode (PickInRect).
// TGLPickList: the picked nodes with their depths, nearest first.
// Window positions (pick rectangles) are logical pixels; the viewport is in framebuffer pixels
// (logical x PixelRatio).

#include "scene/GLCamera.h"
#include "scene/GLContext.h"
#include "scene/GLGraphics.h"
#include "scene/GLRenderContext.h"
#include "scene/GLScene.h"

#include <QRect>
#include <functional>
#include <memory>
#include <vector>

struct TPickRecord {
    TGLBaseSceneObject *AObject = nullptr;
    std::vector<int> SubObjects;
    float ZMin = 0; // 0 nearest, 1 farthest
    float ZMax = 0;
};

enum TPickSortType { psDefault, psName, psMinDepth, psMaxDepth };

class TGLPickList {
public:
    explicit TGLPickList(TPickSortType sortType = psMinDepth) : sortType_(sortType) {}
    int Count() const { return int(records_.size()); }
    const TPickRecord &Items(int i) const { return records_[size_t(i)]; }
    TGLBaseSceneObject *Hit(int i) const { return records_[size_t(i)].AObject; }
    void Clear() { records_.clear(); }
    void Add(TPickRecord record);
    // Sorts by the list's sort mode (minimum depth, smallest first, for psMinDepth).
    void Sort();

private:
    TPickSortType sortType_;
    std::vector<TPickRecord> records_;
};

enum TGLShadeModel { smDefault, smSmooth, smFlat };
enum TContextOption : unsigned {
    roDoubleBuffer = 1, roRenderToWindow = 2, roStencilBuffer = 4, roDestinationAlpha = 8,
    roStereo = 16, roTwoSideLighting = 32, roNoColorBufferClear = 64
};

class TGLSceneBuffer : public TGLScene::ChangeListener, private FreeListener {
public:
    TGLSceneBuffer();
    ~TGLSceneBuffer();
    TGLSceneBuffer(const TGLSceneBuffer &) = delete;
    TGLSceneBuffer &operator=(const TGLSceneBuffer &) = delete;

    // Settings
    const TGLColor &BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(const TGLColor &color); // notifies only on a different value
    float BackgroundAlpha() const { return backgroundAlpha_; }
    void SetBackgroundAlpha(float alpha);
    TGLColor AmbientColor{0.2f, 0.2f, 0.2f, 1};
    bool DepthTest = true;
    bool FaceCulling = true;
    bool Lighting = true;
    bool FogEnable = false;
    TGLShadeModel ShadeModel = smDefault;
    unsigned ContextOptions = roDoubleBuffer | roRenderToWindow;
    int ColorDepth = 24;
    int DepthPrecision = 24;
    TGLObjectsSorting ObjectsSorting = osRenderBlendedLast;
    TGLVisibilityCulling VisibilityCulling = vcNone;

    TGLCamera *Camera() const { return camera_; }
    void SetCamera(TGLCamera *camera);

    // Viewport (framebuffer pixels; width and height never below 1) and the pixel ratio.
    int ViewportWidth() const { return vpWidth_; }
    int ViewportHeight() const { return vpHeight_; }
    void ResizeViewport(int width, int height);
    double PixelRatio() const { return pixelRatio_; }
    void SetPixelRatio(double ratio) { pixelRatio_ = ratio > 0 ? ratio : 1; }
    int RenderDPI() const { return renderDPI_; }

    // Context
    // Takes the context, makes it current and sets up the render state. Raises the context's
    // errors; the buffer then has no context.
    void CreateRenderingContext(std::unique_ptr<TGLContext> context);
    void DestroyRenderingContext();
    TGLContext *RenderingContext() const { return context_.get(); }
    bool Rendering() const { return rendering_; }

    // Passes
    void RenderFrame();
    void PrepareMatrices(int left, int top, int width, int height, int dpi, const QRect *pickRegion);
    void SetupRenderState();
    // The caller owns the list. Empty without a camera or context, or while rendering.
    std::unique_ptr<TGLPickList> PickInRect(const QRect &rect, int countGuess);
    TGLBaseSceneObject *PickAt(int x, int y);

    const TMatrix4f &BaseProjection() const { return baseProjection_; }
    const TMatrix4f &ProjectionMatrix() const { return projection_; }
    const TMatrix4f &ModelViewMatrix() const { return modelView_; }
    void PushModelViewMatrix(const TMatrix4f &m);
    void PopModelViewMatrix();
    const TVector4f &CameraWorldPosition() const { return cameraPosition_; }

    // Hooks for the viewer: a change notice while idle, and the step before each frame.
    std::function<void()> OnChange;
    std::function<void()> OnBeforeFrame;
    // Frames drawn since creation.
    long FrameCount() const { return frameCount_; }

private:
    void SceneChanged() override;
    void ObjectFreed(FreeNotifier *object) override;
    void RenderScene(TDrawState state);
    void ListenToScene(TGLScene *scene);

    TGLColor backgroundColor_{0.941f, 0.941f, 0.941f, 1};
    float backgroundAlpha_ = 1;
    TGLCamera *camera_ = nullptr;
    TGLScene *scene_ = nullptr;
    std::unique_ptr<TGLContext> context_;
    int vpWidth_ = 1, vpHeight_ = 1;
    double pixelRatio_ = 1;
    int renderDPI_ = 96;
    int blueBits_ = 8;
    bool rendering_ = false;
    long frameCount_ = 0;
    TMatrix4f baseProjection_;
    TMatrix4f projection_;
    TMatrix4f modelView_;
    std::vector<TMatrix4f> modelViewStack_;
    TVector4f cameraPosition_{0, 0, 0, 1};
    std::vector<RenderSortEntry> sortScratch_;
    std::vector<TGLBaseSceneObject *> pickNames_;
};

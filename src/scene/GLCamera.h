#pragma once
// TGLCamera: a node that draws nothing; turns its position, target node, focal length and
// scene scale into the perspective projection (BuildFrustum) and the view (ApplyView).
// ComputeFrustum and FieldOfViewFor are the plain arithmetic, usable without a context.

#include "scene/GLScene.h"

enum TGLCameraStyle { csPerspective, csOrthogonal, csOrtho2D, csCustom, csInfinitePerspective };

struct TFrustumValues {
    bool valid = false; // false when the window is smaller than 1 x 1
    double left = 0, right = 0, bottom = 0, top = 0, nearPlane = 0, farPlane = 0;
};

// 2 x atan((m / 2) / focalLength) in degrees, m the smaller of width and height.
float FieldOfViewFor(float focalLength, int width, int height);
// The focal length that gives fieldOfView degrees over the smaller side.
float FocalLengthFor(float fieldOfView, int width, int height);

class TGLCamera : public TGLBaseSceneObject, private FreeListener {
public:
    explicit TGLCamera(TComponentOwner *owner = nullptr);
    ~TGLCamera() override;

    float FocalLength() const { return focalLength_; }
    void SetFocalLength(float value);    // values not above 0 store 1
    float DepthOfView() const { return depthOfView_; }
    void SetDepthOfView(float value);
    float NearPlaneBias() const { return nearPlaneBias_; }
    void SetNearPlaneBias(float value);  // values not above 0 store 1
    float SceneScale() const { return sceneScale_; }
    void SetSceneScale(float value);     // 0 stores 1
    TGLCameraStyle CameraStyle() const { return cameraStyle_; }
    void SetCameraStyle(TGLCameraStyle style);
    TGLBaseSceneObject *TargetObject() const { return target_; }
    void SetTargetObject(TGLBaseSceneObject *target);

    float NearPlane() const { return nearPlane_; }
    const TVector4f &LastDirection() const { return lastDirection_; }

    // The frustum for viewport (left, top, vpWidth, vpHeight) of a width x height window.
    TFrustumValues ComputeFrustum(int left, int top, int vpWidth, int vpHeight, int width, int height, int dpi) const;
    // Multiplies the perspective projection onto the current matrix and sets NearPlane.
    void BuildFrustum(int left, int top, int vpWidth, int vpHeight, int width, int height, int dpi);
    // Multiplies the look-at view onto the current matrix.
    void ApplyView();
    // Eye, centre and up of the view, as ApplyView uses them.
    void ViewVectors(TVector4f &eye, TVector4f &centre, TVector4f &up);

private:
    void ObjectFreed(FreeNotifier *object) override;

    float focalLength_ = 50;
    float depthOfView_ = 100;
    float nearPlaneBias_ = 1;
    float sceneScale_ = 1;
    TGLCameraStyle cameraStyle_ = csPerspective;
    TGLBaseSceneObject *target_ = nullptr;
    float nearPlane_ = 0;
    TVector4f lastDirection_{0, 0, 1, 0};
};

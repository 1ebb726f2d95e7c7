#include "scene/GLCamera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

float FieldOfViewFor(float focalLength, int width, int height) {
    const double m = std::min(width, height);
    return float(2.0 * std::atan((m / 2.0) / focalLength) * 180.0 / M_PI);
}

float FocalLengthFor(float fieldOfView, int width, int height) {
    const double m = std::min(width, height);
    return float(m / (2.0 * std::tan(fieldOfView * M_PI / 360.0)));
}

TGLCamera::TGLCamera(TComponentOwner *owner) : TGLBaseSceneObject(owner) {}

TGLCamera::~TGLCamera() {
    if (target_) target_->RemoveFreeListener(this);
    if (Scene() && Scene()->CurrentCamera() == this) Scene()->SetCurrentCamera(nullptr);
}

void TGLCamera::ObjectFreed(FreeNotifier *object) {
    if (object == target_) target_ = nullptr;
}

void TGLCamera::SetFocalLength(float value) {
    if (!(value > 0)) value = 1;
    if (focalLength_ == value) return;
    focalLength_ = value;
    MarkTransformChanged();
}

void TGLCamera::SetDepthOfView(float value) {
    if (depthOfView_ == value) return;
    depthOfView_ = value;
    MarkTransformChanged();
}

void TGLCamera::SetNearPlaneBias(float value) {
    if (!(value > 0)) value = 1;
    if (nearPlaneBias_ == value) return;
    nearPlaneBias_ = value;
    NotifyChange();
}

void TGLCamera::SetSceneScale(float value) {
    if (value == 0 || !std::isfinite(value)) value = 1;
    if (sceneScale_ == value) return;
    sceneScale_ = value;
    NotifyChange();
}

void TGLCamera::SetCameraStyle(TGLCameraStyle style) {
    if (cameraStyle_ == style) return;
    cameraStyle_ = style;
    NotifyChange();
}

void TGLCamera::SetTargetObject(TGLBaseSceneObject *target) {
    if (target_ == target) return;
    if (target_) target_->RemoveFreeListener(this);
    target_ = target;
    if (target_) target_->AddFreeListener(this);
    MarkTransformChanged();
}

TFrustumValues TGLCamera::ComputeFrustum(int left, int top, int vpWidth, int vpHeight, int width, int height, int dpi) const {
    TFrustumValues f;
    if (width < 1 || height < 1) return f;
    const double w = width, h = height, L = left, T = top, W = vpWidth, H = vpHeight;
    const double M = std::max(w, h);
    const double qx = nearPlaneBias_ / (w * sceneScale_);
    f.right = w * ((2 * W + 2 * L - w) * qx) / (2 * M);
    f.left = -w * ((w - 2 * L) * qx) / (2 * M);
    const double qy = nearPlaneBias_ / (h * sceneScale_);
    f.top = h * ((2 * H + 2 * T - h) * qy) / (2 * M);
    f.bottom = -h * ((h - 2 * T) * qy) / (2 * M);
    f.nearPlane = double(focalLength_) * 2 * dpi / (25.4 * M) * nearPlaneBias_;
    f.farPlane = f.nearPlane + depthOfView_;
    f.valid = true;
    return f;
}

void TGLCamera::BuildFrustum(int left, int top, int vpWidth, int vpHeight, int width, int height, int dpi) {
    const TFrustumValues f = ComputeFrustum(left, top, vpWidth, vpHeight, width, height, dpi);
    if (!f.valid) return;
    nearPlane_ = float(f.nearPlane);
    glFrustum(f.left, f.right, f.bottom, f.top, f.nearPlane, f.farPlane);
}

void TGLCamera::ViewVectors(TVector4f &eye, TVector4f &centre, TVector4f &up) {
    eye = WorldPosition();
    if (target_) {
        centre = target_->WorldPosition();
    } else {
        // Without a target the camera looks along its own world direction.
        const TMatrix4f &w = WorldTransform();
        centre = VectorAdd(eye, VectorNormalize(TVector4f{w.m[2][0], w.m[2][1], w.m[2][2], 0}));
    }
    up = Up().AsVector();
}

void TGLCamera::ApplyView() {
    TVector4f eye, centre, up;
    ViewVectors(eye, centre, up);
    const TVector4f dir = VectorNormalize(VectorSub(centre, eye));
    if (dir.X != 0 || dir.Y != 0 || dir.Z != 0) lastDirection_ = dir;
    gluLookAt(eye.X, eye.Y, eye.Z, centre.X, centre.Y, centre.Z, up.X, up.Y, up.Z);
}

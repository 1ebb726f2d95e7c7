#include "scene/GLCoordinates.h"

TGLCoordinates::TGLCoordinates(CoordinatesOwner *owner, float x, float y, float z, float w)
    : owner_(owner), v_{x, y, z, w} {}

void TGLCoordinates::Notify() {
    if (owner_) owner_->CoordinatesChanged(this);
}

void TGLCoordinates::SetX(float value) { v_.X = value; Notify(); }
void TGLCoordinates::SetY(float value) { v_.Y = value; Notify(); }
void TGLCoordinates::SetZ(float value) { v_.Z = value; Notify(); }
void TGLCoordinates::SetW(float value) { v_.W = value; Notify(); }

void TGLCoordinates::SetComponent(int index, float value) {
    switch (index) {
    case 0: v_.X = value; break;
    case 1: v_.Y = value; break;
    case 2: v_.Z = value; break;
    case 3: v_.W = value; break;
    default: return;
    }
    Notify();
}

void TGLCoordinates::SetPoint(float x, float y, float z) { v_ = {x, y, z, 1}; Notify(); }
void TGLCoordinates::SetVector(float x, float y, float z) { v_ = {x, y, z, 0}; Notify(); }
void TGLCoordinates::SetVector(float x, float y, float z, float w) { v_ = {x, y, z, w}; Notify(); }
void TGLCoordinates::SetAsVector(const TVector4f &v) { v_ = v; Notify(); }
void TGLCoordinates::Assign(const TGLCoordinates &other) { v_ = other.v_; Notify(); }

#pragma once
// TGLCoordinates: four single-precision components (X, Y, Z, W) owned by a node. A point has
// W = 1, a vector W = 0. Every write, also of an unchanged value, notifies the owner at once.

#include "scene/SceneMath.h"

class TGLCoordinates;

// Whoever owns coordinates and wants to hear about their writes.
class CoordinatesOwner {
public:
    virtual void CoordinatesChanged(TGLCoordinates *sender) = 0;

protected:
    ~CoordinatesOwner() = default;
};

class TGLCoordinates {
public:
    TGLCoordinates(CoordinatesOwner *owner, float x, float y, float z, float w);

    float X() const { return v_.X; }
    float Y() const { return v_.Y; }
    float Z() const { return v_.Z; }
    float W() const { return v_.W; }
    const TVector4f &AsVector() const { return v_; }
    float Component(int index) const { return v_[index]; }

    void SetX(float value);
    void SetY(float value);
    void SetZ(float value);
    void SetW(float value);
    // 0 = X, 1 = Y, 2 = Z, 3 = W; other indices are ignored.
    void SetComponent(int index, float value);
    // A point: X, Y, Z and W = 1.
    void SetPoint(float x, float y, float z);
    // A vector: X, Y, Z and W = 0.
    void SetVector(float x, float y, float z);
    void SetVector(float x, float y, float z, float w);
    void SetAsVector(const TVector4f &v);
    // Copies all four components of another coordinates object.
    void Assign(const TGLCoordinates &other);

    // Writes without notifying: used by the owner while it adjusts its own values.
    void SetSilently(const TVector4f &v) { v_ = v; }

private:
    void Notify();

    CoordinatesOwner *owner_;
    TVector4f v_;
};

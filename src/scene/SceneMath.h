#pragma once
// Small single-precision vector and matrix helpers of the scene layer.
// Matrices are used the OpenGL way with row vectors: a point p maps to p * M, row 3 holds the
// translation, and the memory layout (16 floats, row after row) is what glLoadMatrixf expects.

#include <cmath>

struct TVector4f {
    float X = 0, Y = 0, Z = 0, W = 0;
    constexpr float operator[](int i) const { return i == 0 ? X : i == 1 ? Y : i == 2 ? Z : W; }
};

struct TMatrix4f {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    const float *Data() const { return &m[0][0]; }
    float *Data() { return &m[0][0]; }
    bool IsIdentity() const;
    static TMatrix4f Identity() { return TMatrix4f{}; }
};

// Vector operations on the X, Y, Z part; W of the result is 0 unless stated.
TVector4f VectorMake(float x, float y, float z, float w = 0);
TVector4f VectorAdd(const TVector4f &a, const TVector4f &b);
TVector4f VectorSub(const TVector4f &a, const TVector4f &b);
TVector4f VectorScale(const TVector4f &a, float f);
TVector4f VectorCross(const TVector4f &a, const TVector4f &b);
float VectorDot(const TVector4f &a, const TVector4f &b);
float VectorLength(const TVector4f &a);
float VectorDistance2(const TVector4f &a, const TVector4f &b);
// Unit vector of a; the zero vector stays zero.
TVector4f VectorNormalize(const TVector4f &a);

// a * b: first a, then b (row vectors).
TMatrix4f MatrixMultiply(const TMatrix4f &a, const TMatrix4f &b);
// p * m for a point (W taken from p).
TVector4f VectorTransform(const TVector4f &p, const TMatrix4f &m);
// Inverse of a matrix whose upper 3 x 3 part is a rotation (orthonormal rows).
TMatrix4f MatrixRigidInverse(const TMatrix4f &m);
// General inverse; the identity when the matrix is singular.
TMatrix4f MatrixInvert(const TMatrix4f &m);

#include "scene/SceneMath.h"

#include <utility>

bool TMatrix4f::IsIdentity() const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != (r == c ? 1.0f : 0.0f)) return false;
    return true;
}

TVector4f VectorMake(float x, float y, float z, float w) { return TVector4f{x, y, z, w}; }
TVector4f VectorAdd(const TVector4f &a, const TVector4f &b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z, 0}; }
TVector4f VectorSub(const TVector4f &a, const TVector4f &b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z, 0}; }
TVector4f VectorScale(const TVector4f &a, float f) { return {a.X * f, a.Y * f, a.Z * f, 0}; }

TVector4f VectorCross(const TVector4f &a, const TVector4f &b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X, 0};
}

float VectorDot(const TVector4f &a, const TVector4f &b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
float VectorLength(const TVector4f &a) { return std::sqrt(VectorDot(a, a)); }

float VectorDistance2(const TVector4f &a, const TVector4f &b) {
    const TVector4f d = VectorSub(a, b);
    return VectorDot(d, d);
}

TVector4f VectorNormalize(const TVector4f &a) {
    const float len = VectorLength(a);
    if (len == 0) return {0, 0, 0, 0};
    return VectorScale(a, 1.0f / len);
}

TMatrix4f MatrixMultiply(const TMatrix4f &a, const TMatrix4f &b) {
    TMatrix4f r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
    return r;
}

TVector4f VectorTransform(const TVector4f &p, const TMatrix4f &m) {
    TVector4f r;
    r.X = p.X * m.m[0][0] + p.Y * m.m[1][0] + p.Z * m.m[2][0] + p.W * m.m[3][0];
    r.Y = p.X * m.m[0][1] + p.Y * m.m[1][1] + p.Z * m.m[2][1] + p.W * m.m[3][1];
    r.Z = p.X * m.m[0][2] + p.Y * m.m[1][2] + p.Z * m.m[2][2] + p.W * m.m[3][2];
    r.W = p.X * m.m[0][3] + p.Y * m.m[1][3] + p.Z * m.m[2][3] + p.W * m.m[3][3];
    return r;
}

TMatrix4f MatrixRigidInverse(const TMatrix4f &m) {
    TMatrix4f r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = m.m[j][i];
    for (int j = 0; j < 3; ++j)
        r.m[3][j] = -(m.m[3][0] * r.m[0][j] + m.m[3][1] * r.m[1][j] + m.m[3][2] * r.m[2][j]);
    r.m[0][3] = r.m[1][3] = r.m[2][3] = 0;
    r.m[3][3] = 1;
    return r;
}

TMatrix4f MatrixInvert(const TMatrix4f &src) {
    // Gauss-Jordan elimination with partial pivoting, in double precision.
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            a[i][j] = src.m[i][j];
            a[i][j + 4] = (i == j) ? 1.0 : 0.0;
        }
    for (int c = 0; c < 4; ++c) {
        int p = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
        if (std::fabs(a[p][c]) < 1e-30) return TMatrix4f::Identity();
        if (p != c)
            for (int j = 0; j < 8; ++j) std::swap(a[p][j], a[c][j]);
        const double inv = 1.0 / a[c][c];
        for (int j = 0; j < 8; ++j) a[c][j] *= inv;
        for (int r = 0; r < 4; ++r) {
            if (r == c || a[r][c] == 0) continue;
            const double f = a[r][c];
            for (int j = 0; j < 8; ++j) a[r][j] -= f * a[c][j];
        }
    }
    TMatrix4f r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = float(a[i][j + 4]);
    return r;
}

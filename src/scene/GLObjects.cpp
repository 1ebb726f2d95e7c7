#include "scene/GLObjects.h"

#include <GL/gl.h>

#include <cmath>

// ---------------------------------------------------------------------------------------------
// TGLDummyCube

TGLDummyCube::TGLDummyCube(TComponentOwner *owner) : TGLCameraInvariantObject(owner) {}

void TGLDummyCube::SetCubeSize(float size) {
    if (cubeSize_ == size) return;
    cubeSize_ = size;
    MarkStructureChanged();
}

void TGLDummyCube::SetEdgeColor(const TGLColor &color) {
    if (edgeColor_ == color) return;
    edgeColor_ = color;
    NotifyChange();
}

void TGLDummyCube::SetVisibleAtRunTime(bool visible) {
    if (visibleAtRunTime_ == visible) return;
    visibleAtRunTime_ = visible;
    MarkStructureChanged();
}

void TGLDummyCube::SetAmalgamate(bool value) {
    if (amalgamate_ == value) return;
    amalgamate_ = value;
    NotifyChange();
}

TVector4f TGLDummyCube::HalfExtents() const {
    const float h = std::fabs(cubeSize_) * 0.5f;
    return {h, h, h, 0};
}

TVector4f TGLDummyCube::Barycenter() {
    const int n = ChildCount();
    if (n == 0) return WorldPosition();
    TVector4f sum{0, 0, 0, 0};
    for (int i = 0; i < n; ++i) sum = VectorAdd(sum, GetChild(i)->Barycenter());
    TVector4f mean = VectorScale(sum, 1.0f / float(n));
    mean.W = 1;
    return mean;
}

void TGLDummyCube::BuildList(TRenderContextInfo &) {
    if (!visibleAtRunTime_) return;
    const float h = cubeSize_ * 0.5f;
    glColor4fv(edgeColor_.Data());
    glBegin(GL_LINES);
    for (int axis = 0; axis < 3; ++axis)
        for (int a = -1; a <= 1; a += 2)
            for (int b = -1; b <= 1; b += 2) {
                float p0[3], p1[3];
                const int u = (axis + 1) % 3, v = (axis + 2) % 3;
                p0[axis] = -h; p1[axis] = h;
                p0[u] = p1[u] = float(a) * h;
                p0[v] = p1[v] = float(b) * h;
                glVertex3fv(p0);
                glVertex3fv(p1);
            }
    glEnd();
}

// ---------------------------------------------------------------------------------------------
// TGLPlane

namespace {
constexpr double kMaxGridCells = 1 << 20;
}

TGLPlane::TGLPlane(TComponentOwner *owner) : TGLSceneObject(owner) {}

void TGLPlane::SetXTiles(int32_t v) { SetStructureField(xTiles_, v < 1 ? 1 : v); }
void TGLPlane::SetYTiles(int32_t v) { SetStructureField(yTiles_, v < 1 ? 1 : v); }
void TGLPlane::SetStyle(TPlaneStyles style) { SetStructureField(style_, style); }

void TGLPlane::SetNoZWrite(bool value) {
    if (noZWrite_ == value) return;
    noZWrite_ = value;
    NotifyChange();
}

TVector4f TGLPlane::HalfExtents() const { return {std::fabs(width_) * 0.5f, std::fabs(height_) * 0.5f, 0, 0}; }

void TGLPlane::TextureRanges(float &sMin, float &sMax, float &tMin, float &tMax) const {
    if (style_ & psTileTexture) {
        sMin = xOffset_;
        sMax = float(xTiles_) * xScope_ + xOffset_;
        tMin = yOffset_;
        tMax = float(yTiles_) * yScope_ + yOffset_;
    } else {
        sMin = 0;
        sMax = xScope_;
        tMin = 0;
        tMax = yScope_;
    }
}

void TGLPlane::BuildList(TRenderContextInfo &) {
    const float w = width_ * 0.5f, h = height_ * 0.5f;
    float s0, s1, t0, t1;
    TextureRanges(s0, s1, t0, t1);
    if (noZWrite_) glDepthMask(GL_FALSE);
    glNormal3f(0, 0, 1);
    // A grid of more cells than any screen shows is drawn as one quad (same picture).
    const bool singleQuad = (style_ & psSingleQuad) || double(xTiles_) * double(yTiles_) > kMaxGridCells;
    if (singleQuad) {
        glBegin(GL_QUADS);
        glTexCoord2f(s1, t1); glVertex2f(w, h);
        glTexCoord2f(s0, t1); glVertex2f(-w, h);
        glTexCoord2f(s0, t0); glVertex2f(-w, -h);
        glTexCoord2f(s1, t0); glVertex2f(w, -h);
        glEnd();
    } else {
        // YTiles strips of XTiles cells over the same rectangle and texture mapping.
        const float dx = 2 * w / float(xTiles_), dy = 2 * h / float(yTiles_);
        const float ds = (s1 - s0) / float(xTiles_), dt = (t1 - t0) / float(yTiles_);
        for (int row = 0; row < yTiles_; ++row) {
            const float y0 = -h + dy * float(row), y1 = y0 + dy;
            const float tt0 = t0 + dt * float(row), tt1 = tt0 + dt;
            glBegin(GL_TRIANGLE_STRIP);
            for (int col = 0; col <= xTiles_; ++col) {
                const float x = -w + dx * float(col), s = s0 + ds * float(col);
                glTexCoord2f(s, tt1); glVertex2f(x, y1);
                glTexCoord2f(s, tt0); glVertex2f(x, y0);
            }
            glEnd();
        }
    }
    if (noZWrite_) glDepthMask(GL_TRUE);
}

#include "scene/GLSkydome.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kDegToRad = kPi / 180.0f;

float ClampElevation(float degrees) { return std::clamp(degrees, -90.0f, 90.0f); }

TGLColor Mix(const TGLColor &a, const TGLColor &b, float t) {
    return {a.Red + (b.Red - a.Red) * t, a.Green + (b.Green - a.Green) * t, a.Blue + (b.Blue - a.Blue) * t,
            a.Alpha + (b.Alpha - a.Alpha) * t};
}

// A direction at elevation phi and azimuth theta (radians), as a point.
void SphereVertex(float phi, float theta) {
    const float c = std::cos(phi);
    glVertex4f(c * std::cos(theta), c * std::sin(theta), std::sin(phi), 1.0f);
}

void Colour(const TGLColor &c) { glColor4f(c.Red, c.Green, c.Blue, c.Alpha); }

} // namespace

// ---------------------------------------------------------------------------------------------
// TSkyDomeBand

void TSkyDomeBand::SetStartAngle(float degrees) {
    degrees = ClampElevation(degrees);
    if (startAngle_ == degrees) return;
    startAngle_ = degrees;
    if (startAngle_ > stopAngle_) stopAngle_ = startAngle_;
    Changed();
}

void TSkyDomeBand::SetStopAngle(float degrees) {
    degrees = ClampElevation(degrees);
    if (stopAngle_ == degrees) return;
    stopAngle_ = degrees;
    if (stopAngle_ < startAngle_) startAngle_ = stopAngle_;
    Changed();
}

void TSkyDomeBand::SetStartColor(const TGLColor &color) {
    if (startColor_ == color) return;
    startColor_ = color;
    Changed();
}

void TSkyDomeBand::SetStopColor(const TGLColor &color) {
    if (stopColor_ == color) return;
    stopColor_ = color;
    Changed();
}

void TSkyDomeBand::SetSlices(int value) {
    value = std::max(value, 3);
    if (slices_ == value) return;
    slices_ = value;
    Changed();
}

void TSkyDomeBand::SetStacks(int value) {
    value = std::max(value, 1);
    if (stacks_ == value) return;
    stacks_ = value;
    Changed();
}

void TSkyDomeBand::Changed() {
    if (dome_) dome_->NotifyChange();
}

void TSkyDomeBand::BuildList() const {
    if (startAngle_ == stopAngle_) return;
    const int s = slices_;
    const float step = 2.0f * kPi / float(s);
    for (int k = 0; k < stacks_; ++k) {
        const float t0 = float(k) / float(stacks_), t1 = float(k + 1) / float(stacks_);
        const float phi0 = startAngle_ + (stopAngle_ - startAngle_) * t0;
        const float phi1 = startAngle_ + (stopAngle_ - startAngle_) * t1;
        const TGLColor c0 = Mix(startColor_, stopColor_, t0), c1 = Mix(startColor_, stopColor_, t1);
        const float r0 = phi0 * kDegToRad, r1 = phi1 * kDegToRad;
        if (phi0 == -90.0f) {
            glBegin(GL_TRIANGLE_FAN);
            Colour(c0);
            glVertex4f(0, 0, -1, 1);
            Colour(c1);
            for (int j = 0; j <= s; ++j) SphereVertex(r1, float(j) * step);
            glEnd();
        } else if (phi1 != 90.0f) {
            glBegin(GL_TRIANGLE_STRIP);
            for (int j = 0; j <= s; ++j) {
                const float theta = float(j) * step;
                Colour(c0);
                SphereVertex(r0, theta);
                Colour(c1);
                SphereVertex(r1, theta);
            }
            glEnd();
        } else {
            glBegin(GL_TRIANGLE_FAN);
            Colour(c1);
            glVertex4f(0, 0, 1, 1);
            Colour(c0);
            for (int j = s; j >= 0; --j) SphereVertex(r0, float(j) * step);
            glEnd();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// TGLSkyDome

TGLSkyDome::TGLSkyDome(TComponentOwner *owner) : TGLCameraInvariantObject(owner) {}

TSkyDomeBand &TGLSkyDome::AddBand() {
    bands_.push_back(std::make_unique<TSkyDomeBand>(this));
    NotifyChange();
    return *bands_.back();
}

void TGLSkyDome::ClearBands() {
    if (bands_.empty()) return;
    bands_.clear();
    NotifyChange();
}

void TGLSkyDome::SetOptions(unsigned options) {
    if (options_ == options) return;
    options_ = options;
    NotifyChange();
}

void TGLSkyDome::BuildList(TRenderContextInfo &rci) {
    glPushMatrix();
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT | GL_POINT_BIT);
    // Centred on the camera and turned by the view and the dome's own orientation only.
    glLoadMatrixf(rci.modelViewMatrix.Data());
    glTranslatef(rci.cameraPosition.X, rci.cameraPosition.Y, rci.cameraPosition.Z);
    glMultMatrixf(LocalTransform().Data());
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDepthMask(GL_FALSE);
    const float r = DomeRadius(rci.nearClippingDistance, rci.farClippingDistance);
    glScalef(r, r, r);
    for (const auto &band : bands_) band->BuildList();
    if (!stars_.empty()) {
        glBegin(GL_POINTS);
        for (const TSkyDomeStar &star : stars_) {
            Colour(star.Color);
            SphereVertex(star.Dec * kDegToRad, star.RA * kDegToRad);
        }
        glEnd();
    }
    glDepthMask(GL_TRUE);
    glPopAttrib();
    glPopMatrix();
}

#pragma once
// TGLSkyDome: a colour gradient drawn on a sphere around the camera, behind everything.
//   TSkyDomeBand   an elevation band (degrees, -90..90) with a colour at each edge, Slices
//                  around and Stacks up
//   TSkyDomeStar   a point of light at right ascension and declination (degrees)
//   TGLSkyDome     Bands (drawn in order), Stars, Options; centred on the camera, turned by its
//                  own orientation only, sized inside the far plane; writes no depth
// The dome's local z axis is the zenith (elevation +90).

#include "scene/GLScene.h"

#include <memory>
#include <vector>

class TGLSkyDome;

class TSkyDomeBand {
public:
    explicit TSkyDomeBand(TGLSkyDome *dome) : dome_(dome) {}
    float StartAngle() const { return startAngle_; }
    float StopAngle() const { return stopAngle_; }
    // Each clamped to -90..90; a start above the stop raises the stop to it, a stop below the
    // start lowers the start to it.
    void SetStartAngle(float degrees);
    void SetStopAngle(float degrees);
    const TGLColor &StartColor() const { return startColor_; }
    const TGLColor &StopColor() const { return stopColor_; }
    void SetStartColor(const TGLColor &color);
    void SetStopColor(const TGLColor &color);
    int Slices() const { return slices_; }
    int Stacks() const { return stacks_; }
    void SetSlices(int value); // at least 3
    void SetStacks(int value); // at least 1

    // Draws the band on the unit sphere (nothing when both angles are equal).
    void BuildList() const;

private:
    void Changed();
    TGLSkyDome *dome_;
    float startAngle_ = 0, stopAngle_ = 0;
    TGLColor startColor_{0, 0, 1, 1};
    TGLColor stopColor_{0, 0, 1, 1};
    int slices_ = 12;
    int stacks_ = 1;
};

struct TSkyDomeStar {
    float RA = 0;  // degrees of azimuth
    float Dec = 0; // degrees of elevation
    float Magnitude = 0;
    TGLColor Color{1, 1, 1, 1};
};

enum TSkyDomeOption : unsigned { sdoTwinkle = 1 };

class TGLSkyDome : public TGLCameraInvariantObject {
public:
    explicit TGLSkyDome(TComponentOwner *owner = nullptr);

    int BandCount() const { return int(bands_.size()); }
    TSkyDomeBand &Band(int i) { return *bands_[size_t(i)]; }
    TSkyDomeBand &AddBand();
    void ClearBands();
    std::vector<TSkyDomeStar> &Stars() { return stars_; }
    unsigned Options() const { return options_; }
    void SetOptions(unsigned options);

    // The sphere's radius for a camera: (near-plane distance + depth of view) x 0.9.
    static float DomeRadius(float nearPlane, float depthOfView) { return (nearPlane + depthOfView) * 0.9f; }

protected:
    void BuildList(TRenderContextInfo &rci) override;

private:
    friend class TSkyDomeBand;
    std::vector<std::unique_ptr<TSkyDomeBand>> bands_;
    std::vector<TSkyDomeStar> stars_;
    unsigned options_ = 0;
};

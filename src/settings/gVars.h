#pragma once
// The typed settings fields, one per option that has a field, named by the option's key.
// Every field starts at its default; ApplySettingsList (Options.h) sets them from SettingsList.

#include <cstdint>

// Indexes of the three enumerated options, in the order of their item lists.
enum TStretchFilterIndex : uint8_t { sfiNearest, sfiDraft, sfiLinear, sfiCosine, sfiSpline, sfiLanczos, sfiMitchell };
enum TMipMapMinIndex : uint8_t {
    mmiNearest, mmiLinear, mmiNearestMipmapNearest, mmiLinearMipmapNearest, mmiNearestMipmapLinear,
    mmiLinearMipmapLinear
};
enum TMipMapMagIndex : uint8_t { mgiNearest, mgiLinear };

struct TVars {
    // General
    bool chkMultiSessions = false;
    bool chkDeleteToRecycleBin = true;
    int32_t spnMaxPicturesAtOnce = 100;
    int32_t spnPicturesColumns = 5;
    // Keys & Mouse
    bool chkJustClickToInqudre = true;
    int32_t trkMouseMoveSpeedH = 50;
    int32_t trkMouseMoveSpeedV = 50;
    int32_t trkWheelZoomSpeed = 50;
    bool chkInvertUpDownKeys = false;
    bool chkInvertLeftRightKeys = false;
    int32_t trkKeyMoveSpeed = 50;
    int32_t trkKeyZoomSpeed = 50;
    // Picture Quality
    int32_t cmbMapSize = 512;
    bool chkUseBestMapSize = false;
    uint8_t cmbDefaultFilter = sfiLanczos;
    uint8_t cmbPicturesMipMapMin = mmiLinear;
    uint8_t cmbPicturesMipMapMag = mgiLinear;
    int32_t trkPicturesBrightness = 60;
    int32_t trkPictureGamma = 50;
    // Interface
    bool chkShowPictureSize = true;
    bool chkShowPictureFullPath = false;
    int32_t shpTextColor = 16777215;
    bool chkShowPreviousNext = true;
    bool chkShowFullScreen = true;
    bool chkShowBrowsePictures = true;
    bool chkShowZoomButtons = true;
    bool chkShowExit = true;
    bool chkShowMousePointer = true;
    bool chkShowPictureSelector = true;
    bool chkShowLoadingText = true;
    bool chkShowBackgroundSky = true;
    int32_t shpBackgroundColor = 15112563;
    // Slide Show
    int32_t spnSlideChangeTime = 3;
    // Other
    int32_t spnPictureTile = 5;
    int32_t trkDistanceToObject = 50;
};

extern TVars gVars;

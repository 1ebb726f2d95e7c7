#pragma once
// The stretch filters of the bitmap resampler and the names the settings store them by.

#include <QString>

// Order and values are fixed: settings and the options dialog refer to them by position.
enum TStretchFilter {
    sfNearest = 0,
    sfDraft = 1,
    sfLinear = 2,
    sfCosine = 3,
    sfSpline = 4,
    sfLanczos = 5,
    sfMitchell = 6,
};
constexpr int kStretchFilterCount = 7;

// How a computed pixel meets the destination. Only dmOpaque (replace) is supported.
enum TDrawMode { dmOpaque, dmBlend, dmCustom };

// "Nearest", "Draft", "Linear", "Cosine", "Spline", "Lanczos", "Mitchell" (the texts of
// cmbDefaultFilter). Out-of-range values give an empty text.
QString StretchFilterName(TStretchFilter filter);
// The filter of a display name (exact text); false and `filter` unchanged when unknown.
bool StretchFilterFromName(const QString &name, TStretchFilter &filter);

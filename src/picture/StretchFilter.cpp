#include "picture/StretchFilter.h"

namespace {
const char *const kNames[kStretchFilterCount] = {"Nearest", "Draft",   "Linear",  "Cosine",
                                                 "Spline",  "Lanczos", "Mitchell"};
}

QString StretchFilterName(TStretchFilter filter) {
    const int i = int(filter);
    return i >= 0 && i < kStretchFilterCount ? QString::fromLatin1(kNames[i]) : QString();
}

bool StretchFilterFromName(const QString &name, TStretchFilter &filter) {
    for (int i = 0; i < kStretchFilterCount; ++i) {
        if (name == QLatin1String(kNames[i])) {
            filter = TStretchFilter(i);
            return true;
        }
    }
    return false;
}

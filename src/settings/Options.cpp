#include "settings/Options.h"

#include "platform/RegistryStore.h"
#include "platform/UserFolders.h"
#include "settings/gRegistry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <array>
#include <charconv>
#include <exception>

QStringList SettingsList;

namespace {

using K = OptionControlKind;

constexpr std::array<const char *, 4> kMapSizes{"256", "512", "1024", "2048"};
constexpr std::array<const char *, 7> kFilters{"Nearest", "Draft",  "Linear",  "Cosine",
                                               "Spline",  "Lanczos", "Mitchell"};
constexpr std::array<const char *, 6> kMinFilters{"Nearest", "Linear", "Nearest mipmap nearest",
                                                  "Linear mipmap nearest", "Nearest mipmap linear",
                                                  "Linear mipmap linear"};
constexpr std::array<const char *, 2> kMagFilters{"Nearest", "Linear"};
constexpr std::span<const char *const> kNoItems{};

const OptionInfo kOptions[] = {
    // General
    {"chkMultiSessions", 0, K::CheckBox, &TVars::chkMultiSessions, "false", kNoItems, 0, 0, 0, "Open picture in a separate process"},
    {"chkRecursiveBrowse", 0, K::CheckBox, {}, "false", kNoItems, 0, 0, 0, "Include pictures in subfolders when I browse, view or drop folders"},
    {"chkDeleteToRecycleBin", 0, K::CheckBox, &TVars::chkDeleteToRecycleBin, "true", kNoItems, 0, 0, 0, "Send picture to Recycle Bin when I delete it"},
    {"spnMaxPicturesAtOnce", 0, K::SpinEdit, &TVars::spnMaxPicturesAtOnce, "100", kNoItems, 0, 999999, 10, "Maximum pictures to view at once:"},
    {"spnPicturesColumns", 0, K::SpinEdit, &TVars::spnPicturesColumns, "5", kNoItems, 0, 999999, 1, "Repartite pictures in columns:"},
    {"chkRunAtStartUp", 0, K::CheckBox, {}, "false", kNoItems, 0, 0, 0, "Automatically run the Orvanta when I log on to Windows"},
    {"chkLoadPicturesOnRun", 0, K::CheckBox, {}, "false", kNoItems, 0, 0, 0, "Load pictures on run from this folder:"},
    {"edtRunAtStartUpFolder", 0, K::TextField, {}, "", kNoItems, 0, 0, 0, ""},
    // Keys & Mouse
    {"chkJustClickToInqudre", 1, K::CheckBox, &TVars::chkJustClickToInqudre, "true", kNoItems, 0, 0, 0, "Zoom when I click on a non-selected picture"},
    {"trkMouseMoveSpeedH", 1, K::TrackBar, &TVars::trkMouseMoveSpeedH, "50", kNoItems, 10, 90, 5, "Mouse horizontal moving speed:"},
    {"trkMouseMoveSpeedV", 1, K::TrackBar, &TVars::trkMouseMoveSpeedV, "50", kNoItems, 10, 90, 5, "Mouse vertical moving speed:"},
    {"trkWheelZoomSpeed", 1, K::TrackBar, &TVars::trkWheelZoomSpeed, "50", kNoItems, 10, 90, 5, "Wheel zoom moving speed:"},
    {"chkInvertUpDownKeys", 1, K::CheckBox, &TVars::chkInvertUpDownKeys, "false", kNoItems, 0, 0, 0, "Invert up/down direction keys"},
    {"chkInvertLeftRightKeys", 1, K::CheckBox, &TVars::chkInvertLeftRightKeys, "false", kNoItems, 0, 0, 0, "Invert left/right direction keys"},
    {"trkKeyMoveSpeed", 1, K::TrackBar, &TVars::trkKeyMoveSpeed, "50", kNoItems, 10, 90, 5, "Direction keys moving speed:"},
    {"trkKeyZoomSpeed", 1, K::TrackBar, &TVars::trkKeyZoomSpeed, "50", kNoItems, 10, 90, 5, "Keys [+ -] zoom speed:"},
    // Picture Quality
    {"cmbMapSize", 2, K::DropDownList, &TVars::cmbMapSize, "512", kMapSizes, 0, 0, 0, "Fixed map size:"},
    {"chkUseBestMapSize", 2, K::CheckBox, &TVars::chkUseBestMapSize, "false", kNoItems, 0, 0, 0, "Auto managed map size"},
    {"cmbDefaultFilter", 2, K::DropDownList, &TVars::cmbDefaultFilter, "Lanczos", kFilters, 0, 0, 0, "Default:"},
    {"cmbPicturesMipMapMin", 2, K::DropDownList, &TVars::cmbPicturesMipMapMin, "Linear", kMinFilters, 0, 0, 0, "Mipmap min:"},
    {"cmbPicturesMipMapMag", 2, K::DropDownList, &TVars::cmbPicturesMipMapMag, "Linear", kMagFilters, 0, 0, 0, "Mipmap mag:"},
    {"trkPicturesBrightness", 2, K::TrackBar, &TVars::trkPicturesBrightness, "60", kNoItems, 10, 90, 5, "Pictures brightness:"},
    {"trkPictureGamma", 2, K::TrackBar, &TVars::trkPictureGamma, "50", kNoItems, 10, 90, 5, "Pictures gamma:"},
    // Interface
    {"chkShowPictureSize", 3, K::CheckBox, &TVars::chkShowPictureSize, "true", kNoItems, 0, 0, 0, "Show picture size"},
    {"chkShowPictureFullPath", 3, K::CheckBox, &TVars::chkShowPictureFullPath, "false", kNoItems, 0, 0, 0, "Show picture full path"},
    {"shpTextColor", 3, K::ColorSwatch, &TVars::shpTextColor, "16777215", kNoItems, 0, 0, 0, "Text color:"},
    {"chkShowPreviousNext", 3, K::CheckBox, &TVars::chkShowPreviousNext, "true", kNoItems, 0, 0, 0, "Previous/Next"},
    {"chkShowFullScreen", 3, K::CheckBox, &TVars::chkShowFullScreen, "true", kNoItems, 0, 0, 0, "Full screen"},
    {"chkShowBrowsePictures", 3, K::CheckBox, &TVars::chkShowBrowsePictures, "true", kNoItems, 0, 0, 0, "Browse pictures"},
    {"chkShowZoomButtons", 3, K::CheckBox, &TVars::chkShowZoomButtons, "true", kNoItems, 0, 0, 0, "Zoom buttons"},
    {"chkShowExit", 3, K::CheckBox, &TVars::chkShowExit, "true", kNoItems, 0, 0, 0, "Show EXIT"},
    {"chkShowMousePointer", 3, K::CheckBox, &TVars::chkShowMousePointer, "true", kNoItems, 0, 0, 0, "Show mouse pointer"},
    {"chkShowPictureSelector", 3, K::CheckBox, &TVars::chkShowPictureSelector, "true", kNoItems, 0, 0, 0, "Show picture selection"},
    {"chkShowLoadingText", 3, K::CheckBox, &TVars::chkShowLoadingText, "true", kNoItems, 0, 0, 0, "Show loading text"},
    {"chkShowBackgroundSky", 3, K::CheckBox, &TVars::chkShowBackgroundSky, "true", kNoItems, 0, 0, 0, "Show background sky"},
    {"shpBackgroundColor", 3, K::ColorSwatch, &TVars::shpBackgroundColor, "15112563", kNoItems, 0, 0, 0, "Background color:"},
    // Slide Show
    {"spnSlideChangeTime", 4, K::SpinEdit, &TVars::spnSlideChangeTime, "3", kNoItems, 1, 3600, 1, "Change slide every:"},
    // Other
    {"spnPictureTile", 5, K::SpinEdit, &TVars::spnPictureTile, "5", kNoItems, 2, 10, 1, "Picture tailing:"},
    {"trkDistanceToObject", 5, K::TrackBar, &TVars::trkDistanceToObject, "50", kNoItems, 10, 90, 5, "Default distance from pictures:"},
};

// The value of the first line whose key equals key without regard to case; false when none.
bool FindValueNoCase(const QString &key, QString &value) {
    for (const QString &line : SettingsList) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (QStringView(line).left(eq).compare(key, Qt::CaseInsensitive) == 0) {
            value = line.mid(eq + 1);
            return true;
        }
    }
    return false;
}

QString EncodeControl(OptionControls &dialog, int i) {
    switch (dialog.ControlKind(i)) {
    case K::CheckBox: return dialog.ControlChecked(i) ? QStringLiteral("true") : QStringLiteral("false");
    case K::TrackBar:
    case K::SpinEdit:
    case K::ColorSwatch: return QString::number(dialog.ControlInt(i));
    case K::TextField:
    case K::DropDownList: return dialog.ControlText(i);
    case K::Other: break;
    }
    return QString();
}

void SetControl(OptionControls &dialog, int i, const QString &value) {
    int number = 0;
    switch (dialog.ControlKind(i)) {
    case K::TextField:
    case K::DropDownList: dialog.SetControlText(i, value); break;
    case K::CheckBox: dialog.SetControlChecked(i, value == QStringLiteral("true")); break;
    case K::TrackBar:
    case K::ColorSwatch:
    case K::SpinEdit:
        if (ParseDecimalInt(value, number))
            dialog.SetControlInt(i, number);
        break;
    case K::Other: break;
    }
}

} // namespace

std::span<const OptionInfo> OptionTable() { return kOptions; }

const OptionInfo *FindOptionInfo(const QString &key) {
    for (const OptionInfo &o : kOptions)
        if (key == QLatin1String(o.key))
            return &o;
    return nullptr;
}

bool ParseDecimalInt(const QString &text, int &value) {
    const QByteArray s = text.toLatin1();
    const char *b = s.constData();
    const char *e = b + s.size();
    if (b != e && *b == '+') {
        ++b;
        if (b != e && *b == '-')
            return false;
    }
    if (b == e)
        return false;
    int v = 0;
    const auto r = std::from_chars(b, e, v, 10);
    if (r.ec != std::errc() || r.ptr != e)
        return false;
    value = v;
    return true;
}

QString FindOptionValue(const QString &key) {
    for (const QString &line : SettingsList) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 2)
            continue;
        if (QStringView(line).left(eq) == key)
            return line.mid(eq + 1);
    }
    return QStringLiteral("E");
}

void ApplySettingsList() {
    if (SettingsList.isEmpty())
        return;
    try {
        for (const OptionInfo &o : kOptions) {
            if (std::holds_alternative<std::monostate>(o.field))
                continue;
            QString value;
            if (!FindValueNoCase(QLatin1String(o.key), value) || value.isEmpty())
                continue;
            if (auto f = std::get_if<bool TVars::*>(&o.field)) {
                gVars.*(*f) = value == QStringLiteral("true");
            } else if (auto f = std::get_if<int32_t TVars::*>(&o.field)) {
                int number = 0;
                if (ParseDecimalInt(value, number))
                    gVars.*(*f) = number;
            } else if (auto f = std::get_if<uint8_t TVars::*>(&o.field)) {
                for (size_t n = 0; n < o.items.size(); ++n)
                    if (value == QLatin1String(o.items[n])) {
                        gVars.*(*f) = uint8_t(n);
                        break;
                    }
            }
        }
    } catch (const std::exception &) {
        // Fields already set keep their new values.
    }
}

void SaveOptionsToList(OptionControls &dialog) {
    try {
        SettingsList.clear();
        for (int i = 0; i < dialog.OptionControlCount(); ++i) {
            if (dialog.ControlKind(i) == K::Other)
                continue;
            SettingsList.append(dialog.ControlName(i) + QLatin1Char('=') + EncodeControl(dialog, i));
        }
        StoreSettingsList();
        if (FindOptionValue(QStringLiteral("chkRunAtStartUp")) == QStringLiteral("true"))
            RegWriteString(kRegKeyRun, QStringLiteral("Orvanta"),
                           QLatin1Char('"') + platform::ProgramFilePath() + QLatin1Char('"'));
        else
            RegDeleteValue(kRegKeyRun, QStringLiteral("Orvanta"));
    } catch (const std::exception &) {
        // The lines appended so far stay.
    }
}

void LoadOptionsFromList(OptionControls &dialog) {
    if (SettingsList.isEmpty())
        return;
    for (int i = 0; i < dialog.OptionControlCount(); ++i) {
        if (dialog.ControlKind(i) == K::Other)
            continue;
        const QString value = FindOptionValue(dialog.ControlName(i));
        if (value != QStringLiteral("E"))
            SetControl(dialog, i, value);
    }
}

QString StoredSettingsFile() {
    const QString folder = platform::OrvantaConfigFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/options.txt");
}

void LoadStoredSettingsList() {
    SettingsList.clear();
    QFile f(StoredSettingsFile());
    if (f.fileName().isEmpty() || !f.open(QIODevice::ReadOnly))
        return;
    // An options file is a few kilobytes; anything far larger is not ours.
    if (f.size() > (1 << 20))
        return;
    const QString text = QString::fromUtf8(f.readAll());
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            SettingsList.append(line);
    }
}

bool StoreSettingsList() {
    const QString file = StoredSettingsFile();
    if (file.isEmpty() || !QDir().mkpath(platform::OrvantaConfigFolder()))
        return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray text;
    for (const QString &line : SettingsList)
        text += line.toUtf8() + '\n';
    out.write(text);
    return out.commit();
}

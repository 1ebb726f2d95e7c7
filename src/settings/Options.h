#pragma once
// The options list: SettingsList holds every option as a line "key=value"; the typed fields of
// gVars are set from it by ApplySettingsList. The options dialog reads and writes the list
// through the OptionControls interface (its option controls, in dialog order).
// The list is kept between runs in $XDG_CONFIG_HOME/Tamsorel/Orvanta/options.txt.

#include "settings/gVars.h"

#include <QString>
#include <QStringList>

#include <span>
#include <variant>

enum class OptionControlKind { TextField, TrackBar, ColorSwatch, CheckBox, DropDownList, SpinEdit, Other };

using OptionField = std::variant<std::monostate, bool TVars::*, int32_t TVars::*, uint8_t TVars::*>;

struct OptionInfo {
    const char *key;
    int page;                    // 0 General ... 5 Other
    OptionControlKind kind;
    OptionField field;           // monostate: the option lives in the list only
    const char *defaultText;     // the value text at the default
    std::span<const char *const> items;  // drop-down items; for enumerations index = value
    int minValue;
    int maxValue;
    int step;
    const char *caption;
};

// Every option, in the order of the options dialog's controls.
std::span<const OptionInfo> OptionTable();
const OptionInfo *FindOptionInfo(const QString &key);  // exact key

// The options of the running instance.
extern QStringList SettingsList;

// The value of the first line whose key (text before its first "=", which must stand at the
// third character or later) equals key exactly; "E" when there is none.
QString FindOptionValue(const QString &key);

// Sets every gVars field from SettingsList (keys without regard to case; first line wins).
// A missing key, an empty value or a value that does not convert leaves the field unchanged.
void ApplySettingsList();

// The option controls of the options dialog, in dialog order (only those marked as options).
class OptionControls {
public:
    virtual ~OptionControls() = default;
    virtual int OptionControlCount() const = 0;
    virtual OptionControlKind ControlKind(int i) const = 0;
    virtual QString ControlName(int i) const = 0;
    // Text field text, or the drop-down list's shown text.
    virtual QString ControlText(int i) const = 0;
    virtual void SetControlText(int i, const QString &text) = 0;
    // Track-bar position, colour (0x00BBGGRR) or spin-edit value.
    virtual int ControlInt(int i) const = 0;
    virtual void SetControlInt(int i, int value) = 0;
    virtual bool ControlChecked(int i) const = 0;
    virtual void SetControlChecked(int i, bool checked) = 0;
};

// Rebuilds SettingsList from the controls, stores it for the next runs and writes or deletes
// the logon entry by chkRunAtStartUp. Errors end it silently.
void SaveOptionsToList(OptionControls &dialog);
// Sets the controls from SettingsList; nothing when the list is empty.
void LoadOptionsFromList(OptionControls &dialog);

// Persistence between runs.
QString StoredSettingsFile();
void LoadStoredSettingsList();   // SettingsList := the stored lines (empty when none)
bool StoreSettingsList();        // atomic replace; false when it could not be written

// Decimal integer text (optional sign, digits, within 32 bits); false otherwise.
bool ParseDecimalInt(const QString &text, int &value);

#include "settings/Options.h"

#include "platform/RegistryStore.h"
#include "settings/gRegistry.h"

#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <vector>

namespace {

// A stand-in for the options dialog: one control per option, in dialog order, at its default.
class FakeDialog : public OptionControls {
public:
    struct Control {
        QString name;
        OptionControlKind kind;
        QString text;
        int number = 0;
        bool checked = false;
        int minValue = 0, maxValue = 0;
    };
    FakeDialog() {
        for (const OptionInfo &o : OptionTable()) {
            Control c{QString::fromLatin1(o.key), o.kind, {}, 0, false, o.minValue, o.maxValue};
            const QString d = QString::fromLatin1(o.defaultText);
            switch (o.kind) {
            case OptionControlKind::CheckBox: c.checked = d == "true"; break;
            case OptionControlKind::TrackBar:
            case OptionControlKind::SpinEdit:
            case OptionControlKind::ColorSwatch: c.number = d.toInt(); break;
            default: c.text = d; break;
            }
            controls.push_back(c);
        }
    }
    Control &operator[](const QString &name) {
        for (Control &c : controls)
            if (c.name == name)
                return c;
        throw std::out_of_range(name.toStdString());
    }
    int OptionControlCount() const override { return int(controls.size()); }
    OptionControlKind ControlKind(int i) const override { return controls[i].kind; }
    QString ControlName(int i) const override { return controls[i].name; }
    QString ControlText(int i) const override { return controls[i].text; }
    void SetControlText(int i, const QString &t) override { controls[i].text = t; }
    int ControlInt(int i) const override { return controls[i].number; }
    void SetControlInt(int i, int v) override {
        // A track bar shows a value outside its range at the nearest end, as a real one does.
        Control &c = controls[i];
        if (c.kind == OptionControlKind::TrackBar)
            v = std::clamp(v, c.minValue, c.maxValue);
        c.number = v;
    }
    bool ControlChecked(int i) const override { return controls[i].checked; }
    void SetControlChecked(int i, bool v) override { controls[i].checked = v; }

    std::vector<Control> controls;
};

class OptionsTest : public orvanta::test::UserStateTest {
protected:
    void SetUp() override {
        gVars = TVars();
        SettingsList.clear();
    }
    void TearDown() override {
        gVars = TVars();
        SettingsList.clear();
    }
};

TEST_F(OptionsTest, TableCoversEveryOptionInDialogOrder) {
    const auto table = OptionTable();
    ASSERT_EQ(table.size(), 39u);
    EXPECT_STREQ(table.front().key, "chkMultiSessions");
    EXPECT_STREQ(table[7].key, "edtRunAtStartUpFolder");
    EXPECT_STREQ(table.back().key, "trkDistanceToObject");
    int listOnly = 0;
    for (const OptionInfo &o : table)
        listOnly += std::holds_alternative<std::monostate>(o.field);
    EXPECT_EQ(listOnly, 4);  // chkRecursiveBrowse, chkRunAtStartUp, chkLoadPicturesOnRun, edtRunAtStartUpFolder
}

TEST_F(OptionsTest, DefaultsListHoldsTheDefaultLines) {
    FakeDialog dialog;
    SaveOptionsToList(dialog);
    ASSERT_EQ(SettingsList.size(), 39);
    for (const char *line : {"chkShowPictureSize=true", "trkPicturesBrightness=60", "cmbDefaultFilter=Lanczos",
                             "spnSlideChangeTime=3", "shpBackgroundColor=15112563", "edtRunAtStartUpFolder=",
                             "cmbPicturesMipMapMin=Linear", "cmbMapSize=512", "shpTextColor=16777215"})
        EXPECT_TRUE(SettingsList.contains(QString::fromLatin1(line))) << line;
    // Applying the defaults list changes no field.
    gVars.trkKeyMoveSpeed = 77;
    ApplySettingsList();
    EXPECT_EQ(gVars.trkKeyMoveSpeed, 50);
    EXPECT_EQ(gVars.cmbDefaultFilter, sfiLanczos);
    EXPECT_EQ(gVars.shpBackgroundColor, 15112563);
}

TEST_F(OptionsTest, EmptyListChangesNothing) {
    gVars.spnPicturesColumns = 9;
    ApplySettingsList();
    EXPECT_EQ(gVars.spnPicturesColumns, 9);
    FakeDialog dialog;
    dialog["spnPicturesColumns"].number = 7;
    LoadOptionsFromList(dialog);
    EXPECT_EQ(dialog["spnPicturesColumns"].number, 7);
}

TEST_F(OptionsTest, ApplySettingsListConversions) {
    struct Case { const char *line; std::function<bool()> holds; };
    const Case cases[] = {
        {"chkShowPictureSize=True", [] { return gVars.chkShowPictureSize == false; }},
        {"chkShowPictureFullPath=true", [] { return gVars.chkShowPictureFullPath == true; }},
        {"chkDeleteToRecycleBin=yes", [] { return gVars.chkDeleteToRecycleBin == false; }},
        {"chkJustClickToInqudre=", [] { return gVars.chkJustClickToInqudre == true; }},  // empty: unchanged
        {"trkKeyMoveSpeed=fast", [] { return gVars.trkKeyMoveSpeed == 50; }},
        {"trkKeyZoomSpeed=95", [] { return gVars.trkKeyZoomSpeed == 95; }},
        {"spnMaxPicturesAtOnce=12.5", [] { return gVars.spnMaxPicturesAtOnce == 100; }},
        {"spnPicturesColumns=-3", [] { return gVars.spnPicturesColumns == -3; }},
        {"trkWheelZoomSpeed=99999999999", [] { return gVars.trkWheelZoomSpeed == 50; }},
        {"cmbMapSize=2048", [] { return gVars.cmbMapSize == 2048; }},
        {"cmbDefaultFilter=lanczos", [] { return gVars.cmbDefaultFilter == sfiLanczos; }},
        {"cmbDefaultFilter=Mitchell", [] { return gVars.cmbDefaultFilter == sfiMitchell; }},
        {"cmbPicturesMipMapMin=Linear mipmap nearest", [] { return gVars.cmbPicturesMipMapMin == mmiLinearMipmapNearest; }},
        {"cmbPicturesMipMapMag=Nearest", [] { return gVars.cmbPicturesMipMapMag == mgiNearest; }},
        {"shpTextColor=-16777216", [] { return gVars.shpTextColor == -16777216; }},
        {"SHPBACKGROUNDCOLOR=255", [] { return gVars.shpBackgroundColor == 255; }},  // keys without case
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        gVars = TVars();
        SettingsList = {QString::fromLatin1(c.line)};
        ApplySettingsList();
        EXPECT_TRUE(c.holds());
    }
}

TEST_F(OptionsTest, BadValueDoesNotStopLaterLinesAndFirstLineWins) {
    SettingsList = {"trkKeyMoveSpeed=fast", "trkKeyZoomSpeed=20", "trkKeyZoomSpeed=30", "spnSlideChangeTime=12"};
    ApplySettingsList();
    EXPECT_EQ(gVars.trkKeyMoveSpeed, 50);
    EXPECT_EQ(gVars.trkKeyZoomSpeed, 20);
    EXPECT_EQ(gVars.spnSlideChangeTime, 12);
}

TEST_F(OptionsTest, FindOptionValueRules) {
    SettingsList = {"a=short key", "x==y", "edtRunAtStartUpFolder=/p=q/", "Key=upper", "key=lower", "noequals"};
    EXPECT_EQ(FindOptionValue("edtRunAtStartUpFolder"), "/p=q/");
    EXPECT_EQ(FindOptionValue("a"), "E");  // the "=" must stand at the third character or later
    EXPECT_EQ(FindOptionValue("key"), "lower");  // case-sensitive
    EXPECT_EQ(FindOptionValue("Key"), "upper");
    EXPECT_EQ(FindOptionValue("missing"), "E");
    SettingsList = {"chkMultiSessions="};
    EXPECT_EQ(FindOptionValue("chkMultiSessions"), "");
}

TEST_F(OptionsTest, LoadOptionsFromListSetsControlsByKind) {
    SettingsList = {"chkShowPictureSize=True", "cmbDefaultFilter=lanczos", "trkKeyMoveSpeed=word",
                    "trkKeyZoomSpeed=95", "spnSlideChangeTime=12", "edtRunAtStartUpFolder=E",
                    "shpTextColor=255", "chkShowExit=false"};
    FakeDialog dialog;
    dialog["edtRunAtStartUpFolder"].text = "/kept/";
    LoadOptionsFromList(dialog);
    EXPECT_FALSE(dialog["chkShowPictureSize"].checked);
    EXPECT_EQ(dialog["cmbDefaultFilter"].text, "lanczos");
    EXPECT_EQ(dialog["trkKeyMoveSpeed"].number, 50);
    EXPECT_EQ(dialog["trkKeyZoomSpeed"].number, 90);  // the track bar shows the nearest end
    EXPECT_EQ(dialog["spnSlideChangeTime"].number, 12);
    EXPECT_EQ(dialog["edtRunAtStartUpFolder"].text, "/kept/");  // "E" means no stored value
    EXPECT_EQ(dialog["shpTextColor"].number, 255);
    EXPECT_FALSE(dialog["chkShowExit"].checked);
    // The field keeps 95 while the dialog stores 90 the next time the list is rebuilt.
    ApplySettingsList();
    EXPECT_EQ(gVars.trkKeyZoomSpeed, 95);
    SaveOptionsToList(dialog);
    EXPECT_EQ(FindOptionValue("trkKeyZoomSpeed"), "90");
    EXPECT_EQ(FindOptionValue("spnSlideChangeTime"), "12");
    EXPECT_EQ(FindOptionValue("shpTextColor"), "255");
}

TEST_F(OptionsTest, SaveOptionsToListWritesOrDeletesTheLogonEntry) {
    FakeDialog dialog;
    dialog["chkRunAtStartUp"].checked = true;
    SaveOptionsToList(dialog);
    const QString exec = RegReadString(kRegKeyRun, "Orvanta");
    ASSERT_TRUE(exec.startsWith('"') && exec.endsWith('"')) << exec.toStdString();
    EXPECT_TRUE(QFileInfo(exec.mid(1, exec.size() - 2)).isExecutable());
    EXPECT_TRUE(QFileInfo::exists(platform::RegistryStore::AutostartFile()));
    dialog["chkRunAtStartUp"].checked = false;
    SaveOptionsToList(dialog);
    EXPECT_EQ(RegReadString(kRegKeyRun, "Orvanta"), "");
    EXPECT_FALSE(QFileInfo::exists(platform::RegistryStore::AutostartFile()));
    SaveOptionsToList(dialog);  // silent when there is nothing to delete
    EXPECT_EQ(SettingsList.size(), 39);
}

TEST_F(OptionsTest, ListPersistsAcrossRuns) {
    FakeDialog dialog;
    dialog["spnSlideChangeTime"].number = 12;
    dialog["cmbDefaultFilter"].text = "Mitchell";
    dialog["edtRunAtStartUpFolder"].text = QString::fromUtf8("/home/ü/Bilder=neu/");
    SaveOptionsToList(dialog);
    ASSERT_TRUE(QFileInfo::exists(dirs.config() + "/Tamsorel/Orvanta/options.txt"));
    // The next run.
    SettingsList.clear();
    gVars = TVars();
    LoadStoredSettingsList();
    ApplySettingsList();
    EXPECT_EQ(SettingsList.size(), 39);
    EXPECT_EQ(gVars.spnSlideChangeTime, 12);
    EXPECT_EQ(gVars.cmbDefaultFilter, sfiMitchell);
    EXPECT_EQ(FindOptionValue("edtRunAtStartUpFolder"), QString::fromUtf8("/home/ü/Bilder=neu/"));
}

TEST_F(OptionsTest, DamagedStoredListIsHarmless) {
    QDir().mkpath(dirs.config() + "/Tamsorel/Orvanta");
    QFile f(StoredSettingsFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    static const char damaged[] = "trkKeyMoveSpeed=30\r\n\xff\xfe\x00garbage\nspnPictureTile=x\n=\n\nchkShowExit=false";
    f.write(damaged, sizeof damaged - 1);
    f.close();
    LoadStoredSettingsList();
    ApplySettingsList();
    EXPECT_EQ(gVars.trkKeyMoveSpeed, 30);
    EXPECT_EQ(gVars.spnPictureTile, 5);
    EXPECT_FALSE(gVars.chkShowExit);
    // No stored list at all.
    QFile::remove(StoredSettingsFile());
    LoadStoredSettingsList();
    EXPECT_TRUE(SettingsList.isEmpty());
}

TEST(ParseDecimalInt, Cases) {
    int v = 0;
    struct C { const char *text; bool ok; int value; };
    for (const C &c : {C{"12", true, 12}, C{"-7", true, -7}, C{"+5", true, 5}, C{"", false, 0},
                       C{" 1", false, 0}, C{"1 ", false, 0}, C{"1.0", false, 0}, C{"0x10", false, 0},
                       C{"+-1", false, 0}, C{"2147483647", true, 2147483647}, C{"2147483648", false, 0}}) {
        v = -99;
        EXPECT_EQ(ParseDecimalInt(QString::fromLatin1(c.text), v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

} // namespace

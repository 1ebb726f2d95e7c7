#include "dialogs/fmOptions.h"

#include "dialogs/ColorSwatch.h"
#include "dialogs/MsgTypes.h"
#include "platform/UserFolders.h"
#include "settings/gRegistry.h"
#include "util/ShellOps.h"

#include "DialogTestSupport.h"
#include "TestEnv.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

namespace {

using orvanta::test::SendKey;
using orvanta::test::WhenModal;

class OptionsDialogTest : public orvanta::test::UserStateTest {
protected:
    void SetUp() override {
        gVars = TVars();
        SettingsList.clear();
    }
    void TearDown() override {
        gVars = TVars();
        SettingsList.clear();
        SetShellOpenHandler({});
        SetShowOptionsHandler({});
        SetChooseFolderHandler({});
    }
    template <class T> static T *Control(TfrmOptions &d, const char *key) {
        auto *w = qobject_cast<T *>(d.OptionControl(QLatin1String(key)));
        EXPECT_NE(w, nullptr) << key;
        return w;
    }
    static bool StoredFileExists() { return QFileInfo::exists(StoredSettingsFile()); }
};

TEST_F(OptionsDialogTest, EveryControlExistsWithItsKeyRangeAndDefault) {
    TfrmOptions d;
    const auto table = OptionTable();
    ASSERT_EQ(d.OptionControlCount(), int(table.size()));
    for (int i = 0; i < int(table.size()); ++i) {
        const OptionInfo &o = table[size_t(i)];
        SCOPED_TRACE(o.key);
        EXPECT_EQ(d.ControlName(i), QLatin1String(o.key));
        ASSERT_EQ(d.ControlKind(i), o.kind);
        QWidget *w = d.OptionControl(QLatin1String(o.key));
        ASSERT_NE(w, nullptr);
        // Each control lies on its own page.
        EXPECT_EQ(w->parentWidget(), d.Page(o.page));
        const QString def = QString::fromLatin1(o.defaultText);
        switch (o.kind) {
        case OptionControlKind::CheckBox: {
            if (QLatin1String(o.key) == QLatin1String("chkRunAtStartUp"))
                break;  // shows the logon entry, not the list
            EXPECT_EQ(d.ControlChecked(i), def == "true");
            EXPECT_EQ(qobject_cast<QCheckBox *>(w)->text(), QString::fromUtf8(o.caption));
            break;
        }
        case OptionControlKind::TrackBar: {
            auto *bar = qobject_cast<QSlider *>(w);
            EXPECT_EQ(bar->minimum(), 10);
            EXPECT_EQ(bar->maximum(), 90);
            EXPECT_EQ(bar->tickInterval(), 5);
            EXPECT_NE(bar->tickPosition(), QSlider::NoTicks);
            EXPECT_EQ(bar->width(), 150);
            EXPECT_EQ(d.ControlInt(i), def.toInt());
            auto *reset = d.findChild<QPushButton *>("btn" + QString::fromLatin1(o.key).mid(3));
            ASSERT_NE(reset, nullptr);
            EXPECT_EQ(reset->text(), "Reset");
            break;
        }
        case OptionControlKind::SpinEdit: {
            auto *spin = qobject_cast<QSpinBox *>(w);
            EXPECT_EQ(spin->minimum(), o.minValue);
            EXPECT_EQ(spin->maximum(), o.maxValue);
            EXPECT_EQ(spin->singleStep(), o.step);
            EXPECT_EQ(d.ControlInt(i), def.toInt());
            break;
        }
        case OptionControlKind::DropDownList: {
            auto *list = qobject_cast<QComboBox *>(w);
            EXPECT_FALSE(list->isEditable());
            ASSERT_EQ(list->count(), int(o.items.size()));
            for (int n = 0; n < list->count(); ++n)
                EXPECT_EQ(list->itemText(n), QLatin1String(o.items[size_t(n)]));
            EXPECT_EQ(d.ControlText(i), def);
            break;
        }
        case OptionControlKind::ColorSwatch:
            EXPECT_EQ(d.ControlInt(i), def.toInt());
            EXPECT_EQ(w->size(), QSize(23, 23));
            break;
        case OptionControlKind::TextField:
            EXPECT_TRUE(qobject_cast<QLineEdit *>(w)->isReadOnly());
            EXPECT_EQ(d.ControlText(i), def);
            break;
        case OptionControlKind::Other: ADD_FAILURE(); break;
        }
    }
    EXPECT_EQ(d.size(), QSize(545, 553));
    EXPECT_EQ(d.windowTitle(), "Options");
    EXPECT_FALSE(d.btnApply()->isEnabled());
}

TEST_F(OptionsDialogTest, TrackBarEndWords) {
    TfrmOptions d;
    auto wordsOn = [&](const char *key) {
        QStringList words;
        QWidget *bar = d.OptionControl(key);
        for (QLabel *l : bar->parentWidget()->findChildren<QLabel *>())
            if (l->y() > bar->y() && l->y() < bar->y() + 40 && l->x() >= bar->x() - 2 && l->x() < bar->x() + 150)
                words << l->text();
        words.sort();
        return words.join(' ');
    };
    for (const char *k : {"trkMouseMoveSpeedH", "trkMouseMoveSpeedV", "trkWheelZoomSpeed", "trkKeyMoveSpeed", "trkKeyZoomSpeed"})
        EXPECT_EQ(wordsOn(k), "Fast Slow") << k;
    EXPECT_EQ(wordsOn("trkPicturesBrightness"), "High Low");
    EXPECT_EQ(wordsOn("trkPictureGamma"), "High Low");
    EXPECT_EQ(wordsOn("trkDistanceToObject"), "Far Near");
}

TEST_F(OptionsDialogTest, PageListShowsOnePageAtATime) {
    TfrmOptions d;
    d.show();
    ASSERT_EQ(d.lbMenu()->count(), 6);
    const char *names[6] = {"General", "Keys & Mouse", "Picture Quality", "Interface", "Slide Show", "Other"};
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(d.lbMenu()->item(row)->text(), names[row]);
        EXPECT_EQ(d.Page(row)->title().replace("&&", "&"), names[row]);  // "&&" shows one "&"
        EXPECT_EQ(d.Page(row)->objectName(), "grp" + QString::number(row));
    }
    EXPECT_TRUE(d.Page(0)->isVisible());
    for (int row : {3, 5, 1}) {
        d.lbMenu()->setCurrentRow(row);
        for (int p = 0; p < 6; ++p)
            EXPECT_EQ(d.Page(p)->isVisible(), p == row) << row << " " << p;
    }
    // A click that leaves no item selected does nothing.
    d.lbMenu()->setCurrentRow(-1);
    EXPECT_TRUE(d.Page(1)->isVisible());
}

TEST_F(OptionsDialogTest, OkWithNothingChangedStoresNothing) {
    int setUpCalls = 0;
    TfrmOptions d(nullptr, [&] { ++setUpCalls; });
    d.btnOk()->click();
    EXPECT_EQ(d.result(), mrOk);
    EXPECT_TRUE(SettingsList.isEmpty());
    EXPECT_FALSE(StoredFileExists());
    EXPECT_EQ(setUpCalls, 0);
}

TEST_F(OptionsDialogTest, MovingATrackBarAndBackEnablesApplyAndOkStores) {
    int setUpCalls = 0;
    TfrmOptions d(nullptr, [&] { ++setUpCalls; });
    auto *bar = Control<QSlider>(d, "trkKeyMoveSpeed");
    bar->setValue(70);
    bar->setValue(50);
    EXPECT_TRUE(d.btnApply()->isEnabled());
    d.btnOk()->click();
    EXPECT_EQ(setUpCalls, 1);
    EXPECT_TRUE(SettingsList.contains("trkKeyMoveSpeed=50"));
    EXPECT_TRUE(SettingsList.contains("trkPicturesBrightness=60"));
    EXPECT_TRUE(SettingsList.contains("cmbDefaultFilter=Lanczos"));
    EXPECT_TRUE(SettingsList.contains("edtRunAtStartUpFolder="));
    EXPECT_EQ(SettingsList.size(), int(OptionTable().size()));
    EXPECT_TRUE(StoredFileExists());
}

TEST_F(OptionsDialogTest, ResetButtonsSetFifty) {
    TfrmOptions d;
    auto *brightness = Control<QSlider>(d, "trkPicturesBrightness");
    ASSERT_EQ(brightness->value(), 60);
    // Reset on a track bar already at 50 leaves Apply as it was.
    d.findChild<QPushButton *>("btnKeyZoomSpeed")->click();
    EXPECT_FALSE(d.btnApply()->isEnabled());
    // Brightness resets to 50 although its default is 60.
    d.findChild<QPushButton *>("btnPicturesBrightness")->click();
    EXPECT_EQ(brightness->value(), 50);
    EXPECT_TRUE(d.btnApply()->isEnabled());
    // Every Reset button acts on its own track bar only.
    for (const OptionInfo &o : OptionTable()) {
        if (o.kind != OptionControlKind::TrackBar)
            continue;
        for (const OptionInfo &other : OptionTable())
            if (other.kind == OptionControlKind::TrackBar)
                Control<QSlider>(d, other.key)->setValue(80);
        d.findChild<QPushButton *>("btn" + QString::fromLatin1(o.key).mid(3))->click();
        for (const OptionInfo &other : OptionTable()) {
            if (other.kind == OptionControlKind::TrackBar) {
                EXPECT_EQ(Control<QSlider>(d, other.key)->value(), &other == &o ? 50 : 80) << o.key << " " << other.key;
            }
        }
    }
}

TEST_F(OptionsDialogTest, EveryKindOfChangeEnablesApply) {
    struct C { const char *key; std::function<void(QWidget *)> change; };
    const C cases[] = {
        {"chkShowExit", [](QWidget *w) { qobject_cast<QCheckBox *>(w)->click(); }},
        {"trkWheelZoomSpeed", [](QWidget *w) { qobject_cast<QSlider *>(w)->setValue(55); }},
        {"cmbPicturesMipMapMin", [](QWidget *w) { qobject_cast<QComboBox *>(w)->setCurrentIndex(3); }},
        {"spnSlideChangeTime", [](QWidget *w) { qobject_cast<QSpinBox *>(w)->setValue(9); }},
        {"edtRunAtStartUpFolder", [](QWidget *w) { qobject_cast<QLineEdit *>(w)->setText("/x/"); }},
    };
    for (const C &c : cases) {
        TfrmOptions d;
        ASSERT_FALSE(d.btnApply()->isEnabled());
        c.change(d.OptionControl(c.key));
        EXPECT_TRUE(d.btnApply()->isEnabled()) << c.key;
    }
}

TEST_F(OptionsDialogTest, ApplyThenCancelKeepsTheAppliedOptions) {
    int setUpCalls = 0;
    TfrmOptions d(nullptr, [&] { ++setUpCalls; });
    Control<QComboBox>(d, "cmbDefaultFilter")->setCurrentText("Mitchell");
    Control<QSpinBox>(d, "spnPicturesColumns")->setValue(7);
    d.btnApply()->click();
    EXPECT_FALSE(d.btnApply()->isEnabled());
    EXPECT_EQ(setUpCalls, 1);
    EXPECT_EQ(gVars.cmbDefaultFilter, sfiMitchell);
    EXPECT_EQ(gVars.spnPicturesColumns, 7);
    // A later change that is cancelled is lost; the applied ones stay.
    Control<QSpinBox>(d, "spnPicturesColumns")->setValue(9);
    d.btnCancel()->click();
    EXPECT_EQ(d.result(), mrCancel);
    EXPECT_EQ(setUpCalls, 1);
    EXPECT_EQ(gVars.spnPicturesColumns, 7);
    EXPECT_TRUE(SettingsList.contains("spnPicturesColumns=7"));
    EXPECT_TRUE(SettingsList.contains("cmbDefaultFilter=Mitchell"));
    // The next opening starts from the stored list.
    TfrmOptions again;
    EXPECT_EQ(Control<QSpinBox>(again, "spnPicturesColumns")->value(), 7);
    EXPECT_EQ(Control<QComboBox>(again, "cmbDefaultFilter")->currentText(), "Mitchell");
    EXPECT_FALSE(again.btnApply()->isEnabled());
}

TEST_F(OptionsDialogTest, ListsRoundTripThroughTheRealDialog) {
    // Every option away from its default.
    const QStringList lines = {
        "chkMultiSessions=true", "chkRecursiveBrowse=true", "chkDeleteToRecycleBin=false",
        "spnMaxPicturesAtOnce=250", "spnPicturesColumns=0", "chkRunAtStartUp=false",
        "chkLoadPicturesOnRun=true", "edtRunAtStartUpFolder=/srv/pictures/", "chkJustClickToInqudre=false",
        "trkMouseMoveSpeedH=10", "trkMouseMoveSpeedV=90", "trkWheelZoomSpeed=35", "chkInvertUpDownKeys=true",
        "chkInvertLeftRightKeys=true", "trkKeyMoveSpeed=65", "trkKeyZoomSpeed=15", "cmbMapSize=2048",
        "chkUseBestMapSize=true", "cmbDefaultFilter=Cosine", "cmbPicturesMipMapMin=Linear mipmap linear",
        "cmbPicturesMipMapMag=Nearest", "trkPicturesBrightness=85", "trkPictureGamma=20",
        "chkShowPictureSize=false", "chkShowPictureFullPath=true", "shpTextColor=255",
        "chkShowPreviousNext=false", "chkShowFullScreen=false", "chkShowBrowsePictures=false",
        "chkShowZoomButtons=false", "chkShowExit=false", "chkShowMousePointer=false",
        "chkShowPictureSelector=false", "chkShowLoadingText=false", "chkShowBackgroundSky=false",
        "shpBackgroundColor=-16777216", "spnSlideChangeTime=12", "spnPictureTile=10", "trkDistanceToObject=90"};
    ASSERT_EQ(lines.size(), int(OptionTable().size()));
    SettingsList = lines;
    TfrmOptions d;
    EXPECT_FALSE(d.btnApply()->isEnabled());
    EXPECT_EQ(Control<QSlider>(d, "trkMouseMoveSpeedH")->value(), 10);
    EXPECT_EQ(Control<QLineEdit>(d, "edtRunAtStartUpFolder")->text(), "/srv/pictures/");
    EXPECT_EQ(Control<ColorSwatch>(d, "shpBackgroundColor")->colorValue(), -16777216);
    // The stored "Auto managed map size" opens with the fixed size list disabled.
    EXPECT_FALSE(Control<QComboBox>(d, "cmbMapSize")->isEnabled());
    EXPECT_FALSE(d.findChild<QLabel *>("lblMapSize")->isEnabled());
    SettingsList.clear();
    SaveOptionsToList(d);
    EXPECT_EQ(SettingsList, lines);
}

TEST_F(OptionsDialogTest, OddStoredValues) {
    SettingsList = {"trkKeyMoveSpeed=fast", "trkKeyZoomSpeed=95", "cmbDefaultFilter=lanczos",
                    "cmbMapSize=300", "chkShowPictureSize=True", "edtRunAtStartUpFolder=E", "spnPictureTile=1"};
    TfrmOptions d;
    EXPECT_EQ(Control<QSlider>(d, "trkKeyMoveSpeed")->value(), 50);       // not a number: unchanged
    EXPECT_EQ(Control<QSlider>(d, "trkKeyZoomSpeed")->value(), 90);       // shown at the nearest end
    EXPECT_EQ(Control<QComboBox>(d, "cmbDefaultFilter")->currentText(), "Lanczos");  // letter case only
    EXPECT_EQ(Control<QComboBox>(d, "cmbMapSize")->currentText(), "512");            // not an item: unchanged
    EXPECT_FALSE(Control<QCheckBox>(d, "chkShowPictureSize")->isChecked());          // only "true" is true
    EXPECT_EQ(Control<QLineEdit>(d, "edtRunAtStartUpFolder")->text(), "");           // "E": no value
    EXPECT_EQ(Control<QSpinBox>(d, "spnPictureTile")->value(), 2);
    EXPECT_FALSE(d.btnApply()->isEnabled());
}

TEST_F(OptionsDialogTest, UseBestMapSizeTogglesTheFixedSizeList) {
    TfrmOptions d;
    auto *best = Control<QCheckBox>(d, "chkUseBestMapSize");
    auto *list = Control<QComboBox>(d, "cmbMapSize");
    EXPECT_TRUE(list->isEnabled());
    best->click();
    EXPECT_FALSE(list->isEnabled());
    EXPECT_TRUE(d.btnApply()->isEnabled());
    best->click();
    EXPECT_TRUE(list->isEnabled());
    EXPECT_TRUE(d.findChild<QLabel *>("lblMapSize")->isEnabled());
}

TEST_F(OptionsDialogTest, RunBoxFollowsTheLogonEntryWithoutRegardToCase) {
    const QString quoted = '"' + platform::ProgramFilePath() + '"';
    struct C { QString value; bool checked; };
    for (const C &c : {C{quoted, true}, C{quoted.toUpper(), true}, C{quoted.toLower(), true},
                       C{platform::ProgramFilePath(), false}, C{"\"/usr/bin/other\"", false}, C{"", false}}) {
        if (c.value.isEmpty())
            RegDeleteValue(kRegKeyRun, "Orvanta");
        else
            RegWriteString(kRegKeyRun, "Orvanta", c.value);
        SettingsList = {QString("chkRunAtStartUp=") + (c.checked ? "false" : "true")};  // overridden
        TfrmOptions d;
        EXPECT_EQ(Control<QCheckBox>(d, "chkRunAtStartUp")->isChecked(), c.checked) << c.value.toStdString();
        EXPECT_FALSE(d.btnApply()->isEnabled());
    }
}

TEST_F(OptionsDialogTest, RunBoxWritesTheLogonEntryOnApply) {
    TfrmOptions d;
    Control<QCheckBox>(d, "chkRunAtStartUp")->setChecked(true);
    d.btnApply()->click();
    EXPECT_EQ(RegReadString(kRegKeyRun, "Orvanta"), '"' + platform::ProgramFilePath() + '"');
    Control<QCheckBox>(d, "chkRunAtStartUp")->setChecked(false);
    d.btnApply()->click();
    EXPECT_EQ(RegReadString(kRegKeyRun, "Orvanta"), "");
}

TEST_F(OptionsDialogTest, EscapeClosesAsCancelFromEveryKindOfControl) {
    for (const char *key : {"cmbDefaultFilter", "trkPictureGamma", "spnSlideChangeTime", "chkShowExit",
                            "edtRunAtStartUpFolder", "lbMenu"}) {
        SetShowOptionsHandler({});
        WhenModal([key](QWidget *w) {
            auto *d = qobject_cast<TfrmOptions *>(w);
            ASSERT_NE(d, nullptr);
            QWidget *target = QString(key) == "lbMenu" ? d->lbMenu() : d->OptionControl(key);
            const int page = FindOptionInfo(key) ? FindOptionInfo(key)->page : 0;
            d->lbMenu()->setCurrentRow(page);
            target->setFocus();
            QApplication::processEvents();
            // Keys go to the focused control, as they would from the keyboard.
            QTest::keyClick(target, Qt::Key_Escape);
        });
        EXPECT_EQ(ShowOptions(), mrCancel) << key;
    }
    EXPECT_TRUE(SettingsList.isEmpty());
}

TEST_F(OptionsDialogTest, ListsDiscardTypedCharactersButStepWithArrows) {
    TfrmOptions d;
    d.show();
    d.lbMenu()->setCurrentRow(2);
    auto *list = Control<QComboBox>(d, "cmbDefaultFilter");
    list->setFocus();
    QTest::keyClicks(list, "Nm");  // would jump to "Nearest" / "Mitchell" by keyboard search
    EXPECT_EQ(list->currentText(), "Lanczos");
    EXPECT_FALSE(d.btnApply()->isEnabled());
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentText(), "Mitchell");
    EXPECT_TRUE(d.btnApply()->isEnabled());
    EXPECT_EQ(list->contextMenuPolicy(), Qt::PreventContextMenu);
}

TEST_F(OptionsDialogTest, ChangeColorSetsTheSwatchAndEnablesApply) {
    TfrmOptions d;
    d.show();
    d.lbMenu()->setCurrentRow(3);
    WhenModal([](QWidget *w) {
        auto *chooser = qobject_cast<QColorDialog *>(w);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->currentColor(), QColor(0x73, 0x99, 0xE6));  // 15112563 = 0x00E69973
        chooser->setCurrentColor(QColor(10, 20, 30));
        chooser->accept();
    });
    d.findChild<QPushButton *>("btnChangeBackgroundColor")->click();
    EXPECT_EQ(Control<ColorSwatch>(d, "shpBackgroundColor")->colorValue(), 10 | (20 << 8) | (30 << 16));
    EXPECT_EQ(Control<ColorSwatch>(d, "shpTextColor")->colorValue(), 16777215);
    EXPECT_TRUE(d.btnApply()->isEnabled());
    d.btnOk()->click();
    EXPECT_EQ(gVars.shpBackgroundColor, 10 | (20 << 8) | (30 << 16));
}

TEST_F(OptionsDialogTest, CancelledColorChoiceChangesNothing) {
    TfrmOptions d;
    d.show();
    WhenModal([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });
    d.findChild<QPushButton *>("btnChangeTextColor")->click();
    EXPECT_EQ(Control<ColorSwatch>(d, "shpTextColor")->colorValue(), 16777215);
    EXPECT_FALSE(d.btnApply()->isEnabled());
}

TEST_F(OptionsDialogTest, BrowseFillsTheFolderField) {
    orvanta::test::TempDir tmp;
    TfrmOptions d;
    d.show();
    WhenModal([&](QWidget *w) {
        auto *chooser = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(chooser, nullptr);
        // The name typed into the dialog's name field, beside its folder: no wait for the
        // dialog's asynchronous folder listing.
        const QFileInfo folder(tmp.path());
        chooser->setDirectory(folder.absolutePath());
        auto *name = chooser->findChild<QLineEdit *>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(folder.fileName());
        QMetaObject::invokeMethod(chooser, "accept");
    });
    d.findChild<QPushButton *>("btnBrowseFolder")->click();
    EXPECT_EQ(Control<QLineEdit>(d, "edtRunAtStartUpFolder")->text(), tmp.path() + "/");
    EXPECT_TRUE(d.btnApply()->isEnabled());
}

// "Browse..." through the folder-chooser seam: the field's text is the starting folder, the
// chosen folder comes back with one trailing separator, and no choice changes nothing.
TEST_F(OptionsDialogTest, BrowseSetsTheFolderFieldThroughTheChooser) {
    struct C { const char *stored; const char *chosen; const char *field; bool apply; };
    for (const C &c : {C{"", "/srv/pictures", "/srv/pictures/", true}, C{"/a/", "/b/", "/b/", true},
                       C{"/srv/pictures/", "", "/srv/pictures/", false}, C{"/a/", "/a", "/a/", false}}) {
        SettingsList = {QString("edtRunAtStartUpFolder=") + c.stored};
        QStringList starts;
        SetChooseFolderHandler([&](const QString &start) {
            starts << start;
            return QString(c.chosen);
        });
        TfrmOptions d;
        d.findChild<QPushButton *>("btnBrowseFolder")->click();
        EXPECT_EQ(starts, QStringList{c.stored}) << c.chosen;
        EXPECT_EQ(Control<QLineEdit>(d, "edtRunAtStartUpFolder")->text(), c.field) << c.chosen;
        EXPECT_EQ(d.btnApply()->isEnabled(), c.apply) << c.chosen;
    }
}

TEST_F(OptionsDialogTest, HelpOpensTheHelpPage) {
    QStringList opened;
    SetShellOpenHandler([&](const QString &t) { opened << t; });
    TfrmOptions d;
    d.btnHelp()->click();
    EXPECT_EQ(opened, QStringList{"https://www.tamsorel.com/orvanta.php#help"});
}

TEST_F(OptionsDialogTest, ShowOptionsWhileOpenClosesTheOpenOneAsCancel) {
    int inner = -1;
    SetShowOptionsHandler([&](TfrmOptions &d) {
        d.show();
        inner = ShowOptions();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    EXPECT_EQ(ShowOptions(), mrCancel);
    EXPECT_EQ(inner, 0);
}

TEST_F(OptionsDialogTest, OkResultFromTheModalLoop) {
    WhenModal([](QWidget *w) { QTest::mouseClick(qobject_cast<TfrmOptions *>(w)->btnOk(), Qt::LeftButton); });
    EXPECT_EQ(ShowOptions(), mrOk);
    WhenModal([](QWidget *w) { w->close(); });
    EXPECT_EQ(ShowOptions(), mrCancel);
}

} // namespace

namespace {

// Escape in an open drop-down closes the drop-down only; the next Escape closes the dialog.
TEST(OptionsPopupTest, EscapeInAnOpenListClosesTheListFirst) {
    SettingsList.clear();
    bool stillOpen = false;
    WhenModal([&](QWidget *w) {
        auto *d = qobject_cast<TfrmOptions *>(w);
        QTimer::singleShot(5000, d, [d] { d->done(99); });  // should Escape not work at all
        d->lbMenu()->setCurrentRow(2);
        auto *list = qobject_cast<QComboBox *>(d->OptionControl("cmbPicturesMipMapMag"));
        list->setFocus();
        list->showPopup();
        QApplication::processEvents();
        QWidget *popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        QTest::keyClick(popup->focusWidget() ? popup->focusWidget() : popup, Qt::Key_Escape);
        QApplication::processEvents();
        stillOpen = d->isVisible();
        QTest::keyClick(list, Qt::Key_Escape);
    });
    EXPECT_EQ(ShowOptions(), mrCancel);
    EXPECT_TRUE(stillOpen);
}

} // namespace

#pragma once
// TfrmOptions: the options dialog. Six pages (grp0..grp5) chosen in the page list lbMenu; every
// option control is named by its option key and is reachable through OptionControls, in the
// order of OptionTable(), so SaveOptionsToList / LoadOptionsFromList work on the dialog.
// OK and Apply store the options, apply them to gVars and call the main window back
// (SetUpMostNonDynamicOptions); Cancel and Escape (from any control) close with Cancel.

#include "settings/Options.h"

#include <QDialog>

#include <functional>
#include <vector>

class QComboBox;
class QGroupBox;
class QListWidget;
class QPushButton;
class QSlider;

class TfrmOptions : public QDialog, public OptionControls {
    Q_OBJECT
public:
    using SetUpCallback = std::function<void()>;
    explicit TfrmOptions(QWidget *parent = nullptr, SetUpCallback setUpMostNonDynamicOptions = {});
    ~TfrmOptions() override;

    // OptionControls: the option controls in dialog order.
    int OptionControlCount() const override;
    OptionControlKind ControlKind(int i) const override;
    QString ControlName(int i) const override;
    QString ControlText(int i) const override;
    void SetControlText(int i, const QString &text) override;
    int ControlInt(int i) const override;
    void SetControlInt(int i, int value) override;
    bool ControlChecked(int i) const override;
    void SetControlChecked(int i, bool checked) override;

    QWidget *OptionControl(const QString &key) const;  // null when there is none
    QListWidget *lbMenu() const { return lbMenu_; }
    QGroupBox *Page(int index) const;
    QPushButton *btnOk() const { return btnOk_; }
    QPushButton *btnCancel() const { return btnCancel_; }
    QPushButton *btnApply() const { return btnApply_; }
    QPushButton *btnHelp() const { return btnHelp_; }

public Q_SLOTS:
    void lbMenuClick();
    void btnOkClick();
    void btnCancelClick();
    void btnApplyClick();
    void btnHelpClick();
    void chkUseBestMapSizeClick();
    void ComponentChanged();
    void ResetTrackBar();
    void btnChangeColorClick();
    void btnBrowseFolderClick();
    void reject() override;  // Cancel (2)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;  // cmbKeyPress, FormKeyPress

private:
    void BuildPages();  // fmOptionsPages.cpp
    void FormCreate();
    void ComboBoxDropDown(QComboBox *list);

    SetUpCallback setUp_;
    QListWidget *lbMenu_ = nullptr;
    std::vector<QGroupBox *> pages_;
    std::vector<QWidget *> controls_;  // OptionTable() order
    QPushButton *btnOk_ = nullptr;
    QPushButton *btnCancel_ = nullptr;
    QPushButton *btnApply_ = nullptr;
    QPushButton *btnHelp_ = nullptr;
};

// Creates the dialog, shows it modally, destroys it, lets pending events run and returns the
// result (mrOk 1, mrCancel 2). While a dialog of an earlier call is open, that one is closed
// as Cancel instead and the call returns 0.
int ShowOptions(QWidget *parent = nullptr, TfrmOptions::SetUpCallback setUpMostNonDynamicOptions = {});

// Test seam: when set, ShowOptions creates the dialog (with everything FormCreate does) and
// hands it to the function instead of running it modally; the function's value is the result.
using ShowOptionsHandler = std::function<int(TfrmOptions &dialog)>;
void SetShowOptionsHandler(ShowOptionsHandler handler);

// Test seam: when set, "Browse..." asks this function for the folder (it gets the field's
// text as the starting folder) in place of the folder chooser; an empty answer changes nothing.
using ChooseFolderHandler = std::function<QString(const QString &startFolder)>;
void SetChooseFolderHandler(ChooseFolderHandler handler);

#include "dialogs/fmOptions.h"

#include "dialogs/ColorSwatch.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/MsgTypes.h"
#include "platform/UserFolders.h"
#include "settings/gRegistry.h"
#include "util/Links.h"
#include "util/ShellOps.h"
#include "util/gUtils.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

namespace {

ShowOptionsHandler &Handler() {
    static ShowOptionsHandler handler;
    return handler;
}

ChooseFolderHandler &FolderChooser() {
    static ChooseFolderHandler chooser;
    return chooser;
}

} // namespace

TfrmOptions::TfrmOptions(QWidget *parent, SetUpCallback setUpMostNonDynamicOptions)
    : QDialog(parent), setUp_(std::move(setUpMostNonDynamicOptions)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    SetDialogFrame(this, DialogFrame::Message);
    setFixedSize(545, 553);
    BuildPages();

    // The option controls in the order of the options table, which is the dialog order.
    for (const OptionInfo &o : OptionTable())
        controls_.push_back(findChild<QWidget *>(QString::fromLatin1(o.key)));

    connect(lbMenu_, &QListWidget::currentRowChanged, this, &TfrmOptions::lbMenuClick);
    connect(btnOk_, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    connect(btnCancel_, &QPushButton::clicked, this, &TfrmOptions::btnCancelClick);
    connect(btnApply_, &QPushButton::clicked, this, &TfrmOptions::btnApplyClick);
    connect(btnHelp_, &QPushButton::clicked, this, &TfrmOptions::btnHelpClick);
    for (QWidget *w : controls_) {
        if (auto *c = qobject_cast<QCheckBox *>(w))
            connect(c, &QCheckBox::toggled, this, &TfrmOptions::ComponentChanged);
        else if (auto *s = qobject_cast<QSlider *>(w))
            connect(s, &QSlider::valueChanged, this, &TfrmOptions::ComponentChanged);
        else if (auto *b = qobject_cast<QComboBox *>(w))
            connect(b, &QComboBox::currentIndexChanged, this, &TfrmOptions::ComponentChanged);
        else if (auto *n = qobject_cast<QSpinBox *>(w))
            connect(n, &QSpinBox::valueChanged, this, &TfrmOptions::ComponentChanged);
        else if (auto *e = qobject_cast<QLineEdit *>(w))
            connect(e, &QLineEdit::textChanged, this, &TfrmOptions::ComponentChanged);
    }
    if (auto *best = findChild<QCheckBox *>(QStringLiteral("chkUseBestMapSize")))
        connect(best, &QCheckBox::toggled, this, &TfrmOptions::chkUseBestMapSizeClick);
    for (QPushButton *b : findChildren<QPushButton *>()) {
        const QString name = b->objectName();
        if (name.startsWith(QLatin1String("btn")) &&
            findChild<QSlider *>(QStringLiteral("trk") + name.mid(3)))
            connect(b, &QPushButton::clicked, this, &TfrmOptions::ResetTrackBar);
    }
    for (const char *name : {"btnChangeTextColor", "btnChangeBackgroundColor"})
        if (auto *b = findChild<QPushButton *>(QLatin1String(name)))
            connect(b, &QPushButton::clicked, this, &TfrmOptions::btnChangeColorClick);
    if (auto *b = findChild<QPushButton *>(QStringLiteral("btnBrowseFolder")))
        connect(b, &QPushButton::clicked, this, &TfrmOptions::btnBrowseFolderClick);

    // Keyboard input reaches the form first: Escape from every control, typed characters
    // kept out of the lists.
    // (Pop-up windows of the lists are windows of their own and keep their own Escape.)
    for (QWidget *w : findChildren<QWidget *>())
        if (w->window() == this)
            w->installEventFilter(this);

    FormCreate();
}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::FormCreate() {
    LoadOptionsFromList(*this);
    const QString runValue = RegReadString(kRegKeyRun, QStringLiteral("Orvanta"));
    const QString quoted = QLatin1Char('"') + platform::ProgramFilePath() + QLatin1Char('"');
    if (auto *run = findChild<QCheckBox *>(QStringLiteral("chkRunAtStartUp")))
        run->setChecked(runValue.toUpper() == quoted.toUpper());
    btnApply_->setEnabled(false);
    lbMenu_->setCurrentRow(0);
    lbMenuClick();
    // No context menu on the lists, so no text can be pasted into them.
    for (QComboBox *list : findChildren<QComboBox *>())
        list->setContextMenuPolicy(Qt::PreventContextMenu);
}

// --- OptionControls ---------------------------------------------------------------------

int TfrmOptions::OptionControlCount() const { return int(controls_.size()); }

OptionControlKind TfrmOptions::ControlKind(int i) const {
    QWidget *w = controls_[size_t(i)];
    if (qobject_cast<QLineEdit *>(w))
        return OptionControlKind::TextField;
    if (qobject_cast<QSlider *>(w))
        return OptionControlKind::TrackBar;
    if (qobject_cast<ColorSwatch *>(w))
        return OptionControlKind::ColorSwatch;
    if (qobject_cast<QCheckBox *>(w))
        return OptionControlKind::CheckBox;
    if (qobject_cast<QComboBox *>(w))
        return OptionControlKind::DropDownList;
    if (qobject_cast<QSpinBox *>(w))
        return OptionControlKind::SpinEdit;
    return OptionControlKind::Other;
}

QString TfrmOptions::ControlName(int i) const {
    QWidget *w = controls_[size_t(i)];
    return w ? w->objectName() : QString::fromLatin1(OptionTable()[size_t(i)].key);
}

QString TfrmOptions::ControlText(int i) const {
    QWidget *w = controls_[size_t(i)];
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *b = qobject_cast<QComboBox *>(w))
        return b->currentText();
    return QString();
}

void TfrmOptions::SetControlText(int i, const QString &text) {
    QWidget *w = controls_[size_t(i)];
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        e->setText(text);
    } else if (auto *b = qobject_cast<QComboBox *>(w)) {
        // The list accepts only its own items: the exact text, else the item that differs
        // only in letter case; any other text leaves the list as it is.
        int index = b->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0)
            index = b->findText(text, Qt::MatchFixedString);
        if (index >= 0)
            b->setCurrentIndex(index);
    }
}

int TfrmOptions::ControlInt(int i) const {
    QWidget *w = controls_[size_t(i)];
    if (auto *s = qobject_cast<QSlider *>(w))
        return s->value();
    if (auto *c = qobject_cast<ColorSwatch *>(w))
        return c->colorValue();
    if (auto *n = qobject_cast<QSpinBox *>(w))
        return n->value();
    return 0;
}

void TfrmOptions::SetControlInt(int i, int value) {
    QWidget *w = controls_[size_t(i)];
    if (auto *s = qobject_cast<QSlider *>(w))
        s->setValue(value);  // shown at the nearest end when outside the range
    else if (auto *c = qobject_cast<ColorSwatch *>(w))
        c->setColorValue(value);
    else if (auto *n = qobject_cast<QSpinBox *>(w))
        n->setValue(value);
}

bool TfrmOptions::ControlChecked(int i) const {
    auto *c = qobject_cast<QCheckBox *>(controls_[size_t(i)]);
    return c && c->isChecked();
}

void TfrmOptions::SetControlChecked(int i, bool checked) {
    if (auto *c = qobject_cast<QCheckBox *>(controls_[size_t(i)]))
        c->setChecked(checked);
}

QWidget *TfrmOptions::OptionControl(const QString &key) const {
    for (QWidget *w : controls_)
        if (w && w->objectName() == key)
            return w;
    return nullptr;
}

QGroupBox *TfrmOptions::Page(int index) const {
    return index >= 0 && size_t(index) < pages_.size() ? pages_[size_t(index)] : nullptr;
}

// --- handlers ---------------------------------------------------------------------------

void TfrmOptions::lbMenuClick() {
    const int row = lbMenu_->currentRow();
    if (row < 0)
        return;
    const QString name = QStringLiteral("grp") + QString::number(row);
    for (QGroupBox *page : pages_) {
        if (page->objectName() == name) {
            page->setVisible(true);
            page->raise();
        } else {
            page->setVisible(false);
        }
    }
}

void TfrmOptions::btnOkClick() {
    if (btnApply_->isEnabled()) {
        SaveOptionsToList(*this);
        ApplySettingsList();
        if (setUp_)
            setUp_();
    }
    done(mrOk);
}

void TfrmOptions::btnCancelClick() { done(mrCancel); }

void TfrmOptions::reject() { done(mrCancel); }

void TfrmOptions::btnApplyClick() {
    SaveOptionsToList(*this);
    ApplySettingsList();
    if (setUp_)
        setUp_();
    btnApply_->setEnabled(false);
}

void TfrmOptions::btnHelpClick() { ShellOpen(ProductSiteLink(kPathProgramHelp)); }

void TfrmOptions::chkUseBestMapSizeClick() {
    auto *best = findChild<QCheckBox *>(QStringLiteral("chkUseBestMapSize"));
    const bool fixed = !(best && best->isChecked());
    if (auto *list = findChild<QComboBox *>(QStringLiteral("cmbMapSize")))
        list->setEnabled(fixed);
    if (auto *label = findChild<QLabel *>(QStringLiteral("lblMapSize")))
        label->setEnabled(fixed);
}

void TfrmOptions::ComponentChanged() { btnApply_->setEnabled(true); }

void TfrmOptions::ResetTrackBar() {
    const QString name = sender() ? sender()->objectName() : QString();
    if (auto *bar = findChild<QSlider *>(QStringLiteral("trk") + name.mid(3)))
        bar->setValue(50);  // also for the brightness, whose default is 60
}

void TfrmOptions::btnChangeColorClick() {
    const bool text = sender() && sender()->objectName() == QLatin1String("btnChangeTextColor");
    auto *swatch = findChild<ColorSwatch *>(text ? QStringLiteral("shpTextColor") : QStringLiteral("shpBackgroundColor"));
    if (!swatch)
        return;
    const QColor chosen = QColorDialog::getColor(swatch->color(), this, QStringLiteral("Color"),
                                                 QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return;
    const int value = ColorSwatch::FromQColor(chosen);
    if (value != swatch->colorValue()) {
        swatch->setColorValue(value);
        ComponentChanged();
    }
}

void TfrmOptions::btnBrowseFolderClick() {
    auto *edit = findChild<QLineEdit *>(QStringLiteral("edtRunAtStartUpFolder"));
    if (!edit)
        return;
    const QString folder = FolderChooser() ? FolderChooser()(edit->text())
                                           : QFileDialog::getExistingDirectory(
                                                 this, QStringLiteral("Browse for Folder"), edit->text(),
                                                 QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (!folder.isEmpty())
        edit->setText(AddTrailingBackslash(folder));  // textChanged enables Apply
}

void TfrmOptions::ComboBoxDropDown(QComboBox *list) {
    if (list->isEnabled())
        list->showPopup();
}

bool TfrmOptions::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            reject();
            return true;
        }
        // cmbKeyPress: typed characters are discarded; arrow keys still step the items.
        if (qobject_cast<QComboBox *>(watched) && !key->text().isEmpty() && key->text().at(0).isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return true;
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto *list = qobject_cast<QComboBox *>(watched)) {
            ComboBoxDropDown(list);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- ShowOptions ------------------------------------------------------------------------

void SetShowOptionsHandler(ShowOptionsHandler handler) { Handler() = std::move(handler); }

void SetChooseFolderHandler(ChooseFolderHandler handler) { FolderChooser() = std::move(handler); }

int ShowOptions(QWidget *parent, TfrmOptions::SetUpCallback setUpMostNonDynamicOptions) {
    return RunModalOneAtATime<TfrmOptions>(
        [&] { return std::make_unique<TfrmOptions>(parent, std::move(setUpMostNonDynamicOptions)); }, Handler());
}

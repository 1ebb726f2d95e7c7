// The controls of the options dialog: the page list, the six pages and the buttons, placed
// at fixed positions in the 545 x 553 client area.

#include "dialogs/fmOptions.h"

#include "dialogs/ColorSwatch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include <algorithm>

namespace {

constexpr int kPageLeft = 128;
constexpr int kPageTop = 6;
constexpr int kPageWidth = 413;
constexpr int kPageHeight = 512;
constexpr int kIndent = 24;       // controls under a section heading
constexpr int kValueLeft = 210;   // spin edits, lists, swatches, track bars
constexpr int kCheckStep = 23;
constexpr int kTrackStep = 60;

const OptionInfo &Info(const char *key) {
    const OptionInfo *info = FindOptionInfo(QLatin1String(key));
    Q_ASSERT(info);
    return *info;
}

QString Caption(const char *key) { return QString::fromUtf8(Info(key).caption); }

// Places the controls of one page from top to bottom.
class PageBuilder {
public:
    explicit PageBuilder(QGroupBox *page) : page_(page), normal_(page->font()) { normal_.setBold(false); }

    // The page's caption is bold; what stands on it is not.
    template <class W> W *Adopt(W *w) {
        w->setFont(normal_);
        return w;
    }

    int y() const { return y_; }

    // A section heading: its label with a horizontal rule beside it.
    void Section(const QString &title) {
        if (y_ > kFirstTop)
            y_ += 6;
        auto *label = Adopt(new QLabel(title, page_));
        label->adjustSize();
        label->move(12, y_);
        auto *rule = new QFrame(page_);
        rule->setFrameShape(QFrame::HLine);
        rule->setFrameShadow(QFrame::Sunken);
        const int left = 12 + label->width() + 6;
        rule->setGeometry(left, y_ + label->height() / 2, kPageWidth - 12 - left, 2);
        y_ += label->height() + 6;
    }

    QCheckBox *Check(const char *key, int column = 0, bool advance = true) {
        auto *box = Adopt(new QCheckBox(Caption(key), page_));
        box->setObjectName(QLatin1String(key));
        box->setChecked(QLatin1String(Info(key).defaultText) == QLatin1String("true"));
        const int left = kIndent + column * 186;
        box->setGeometry(left, y_, column == 0 && advance ? kPageWidth - left - 3 : 180, 20);
        if (advance)
            y_ += kCheckStep;
        return box;
    }

    // Two check boxes side by side.
    void CheckPair(const char *left, const char *right) {
        Check(left, 0, false);
        Check(right, 1, true);
    }

    QLabel *Label(const QString &text, int x, int yOffset = 3, const char *name = nullptr) {
        auto *label = Adopt(new QLabel(text, page_));
        if (name)
            label->setObjectName(QLatin1String(name));
        label->adjustSize();
        label->move(x, y_ + yOffset);
        return label;
    }

    // A spin edit right of its caption; returns it. lastRight() is its right edge.
    QSpinBox *Spin(const char *key, int width = 80) {
        const OptionInfo &o = Info(key);
        QLabel *caption = Label(Caption(key), kIndent);
        const int left = std::max(kValueLeft, caption->geometry().right() + 8);
        auto *spin = Adopt(new QSpinBox(page_));
        spin->setObjectName(QLatin1String(key));
        spin->setRange(o.minValue, o.maxValue);
        spin->setSingleStep(o.step > 0 ? o.step : 1);
        spin->setValue(QString::fromLatin1(o.defaultText).toInt());
        spin->setGeometry(left, y_, width, 22);
        lastRight_ = left + width;
        y_ += 28;
        return spin;
    }

    QComboBox *List(const char *key, int width, const char *labelName = nullptr) {
        const OptionInfo &o = Info(key);
        QLabel *caption = Label(Caption(key), kIndent, 3, labelName);
        const int left = std::max(kValueLeft, caption->geometry().right() + 8);
        auto *list = Adopt(new QComboBox(page_));
        list->setObjectName(QLatin1String(key));
        list->setEditable(false);
        for (const char *item : o.items)
            list->addItem(QString::fromLatin1(item));
        list->setCurrentText(QString::fromLatin1(o.defaultText));
        list->setGeometry(left, y_, width, 22);
        y_ += 28;
        return list;
    }

    // A track bar under its caption, with the words at its ends and its "Reset" button.
    QSlider *Track(const char *key, const char *low, const char *high) {
        const OptionInfo &o = Info(key);
        Label(Caption(key), kIndent, 0);
        const int left = kIndent + 12;
        const int top = y_ + 17;
        auto *bar = new QSlider(Qt::Horizontal, page_);
        bar->setObjectName(QLatin1String(key));
        bar->setRange(o.minValue, o.maxValue);
        bar->setTickInterval(o.step);
        bar->setTickPosition(QSlider::TicksBelow);
        bar->setSingleStep(1);
        bar->setPageStep(o.step);
        bar->setValue(QString::fromLatin1(o.defaultText).toInt());
        bar->setGeometry(left, top, 150, 26);
        QFont small = normal_;
        small.setPixelSize(10);
        auto *lowLabel = new QLabel(QString::fromLatin1(low), page_);
        lowLabel->setFont(small);
        lowLabel->adjustSize();
        lowLabel->move(left, top + 26);
        auto *highLabel = new QLabel(QString::fromLatin1(high), page_);
        highLabel->setFont(small);
        highLabel->adjustSize();
        highLabel->move(left + 150 - highLabel->width(), top + 26);
        auto *reset = Adopt(new QPushButton(QStringLiteral("Reset"), page_));
        reset->setObjectName(QStringLiteral("btn") + QString::fromLatin1(key).mid(3));
        reset->setGeometry(left + 150 + 12, top + 1, 60, 23);
        reset->setAutoDefault(false);
        y_ += kTrackStep;
        return bar;
    }

    // A colour swatch with its caption and its "Change Color..." button.
    ColorSwatch *Swatch(const char *key, const char *buttonName) {
        const OptionInfo &o = Info(key);
        Label(Caption(key), kIndent, 4);
        auto *swatch = new ColorSwatch(page_);
        swatch->setObjectName(QLatin1String(key));
        swatch->setColorValue(QString::fromLatin1(o.defaultText).toInt());
        swatch->move(kValueLeft, y_);
        auto *change = Adopt(new QPushButton(QStringLiteral("Change Color..."), page_));
        change->setObjectName(QLatin1String(buttonName));
        change->setGeometry(kValueLeft + 31, y_, 110, 23);
        change->setAutoDefault(false);
        y_ += 30;
        return swatch;
    }

    QPushButton *Button(const QString &text, const char *name, int x, int width) {
        auto *b = Adopt(new QPushButton(text, page_));
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y_, width, 23);
        b->setAutoDefault(false);
        return b;
    }

    void Skip(int pixels) { y_ += pixels; }
    int lastRight() const { return lastRight_; }

private:
    static constexpr int kFirstTop = 26;
    QGroupBox *page_;
    QFont normal_;
    int y_ = kFirstTop;
    int lastRight_ = 0;
};

} // namespace

void TfrmOptions::BuildPages() {
    static const char *const kPageNames[6] = {"General", "Keys & Mouse", "Picture Quality",
                                              "Interface", "Slide Show", "Other"};
    lbMenu_ = new QListWidget(this);
    lbMenu_->setObjectName(QStringLiteral("lbMenu"));
    lbMenu_->setGeometry(6, 9, 116, 509);
    lbMenu_->setUniformItemSizes(true);
    for (const char *name : kPageNames) {
        auto *item = new QListWidgetItem(QString::fromLatin1(name), lbMenu_);
        item->setSizeHint(QSize(110, 25));
    }

    QFont bold = font();
    bold.setBold(true);
    for (int i = 0; i < 6; ++i) {
        auto *page = new QGroupBox(QString::fromLatin1(kPageNames[i]).replace(QLatin1Char('&'), QStringLiteral("&&")), this);
        page->setObjectName(QStringLiteral("grp") + QString::number(i));
        page->setGeometry(kPageLeft, kPageTop, kPageWidth, kPageHeight);
        page->setFont(bold);
        page->setVisible(i == 0);
        pages_.push_back(page);
    }
    { // General
        PageBuilder b(pages_[0]);
        b.Section(QStringLiteral("General"));
        b.Check("chkMultiSessions");
        b.Check("chkRecursiveBrowse");
        b.Check("chkDeleteToRecycleBin");
        b.Skip(4);
        b.Spin("spnMaxPicturesAtOnce");
        b.Skip(-28);
        b.Label(QStringLiteral("(0 = not limited)"), b.lastRight() + 6);
        b.Skip(28);
        b.Spin("spnPicturesColumns");
        b.Section(QStringLiteral("Run"));
        b.Check("chkRunAtStartUp");
        b.Check("chkLoadPicturesOnRun");
        auto *folder = b.Adopt(new QLineEdit(pages_[0]));
        folder->setObjectName(QStringLiteral("edtRunAtStartUpFolder"));
        folder->setReadOnly(true);
        folder->setGeometry(kIndent + 18, b.y(), 260, 22);
        b.Button(QStringLiteral("Browse..."), "btnBrowseFolder", kIndent + 18 + 266, 75);
        b.Skip(28);
    }
    { // Keys & Mouse
        PageBuilder b(pages_[1]);
        b.Section(QStringLiteral("Mouse"));
        b.Check("chkJustClickToInqudre");
        b.Skip(2);
        b.Track("trkMouseMoveSpeedH", "Slow", "Fast");
        b.Track("trkMouseMoveSpeedV", "Slow", "Fast");
        b.Track("trkWheelZoomSpeed", "Slow", "Fast");
        b.Section(QStringLiteral("Keys"));
        b.Check("chkInvertUpDownKeys");
        b.Check("chkInvertLeftRightKeys");
        b.Skip(2);
        b.Track("trkKeyMoveSpeed", "Slow", "Fast");
        b.Track("trkKeyZoomSpeed", "Slow", "Fast");
    }
    { // Picture Quality
        PageBuilder b(pages_[2]);
        b.Section(QStringLiteral("Resolution"));
        b.List("cmbMapSize", 100, "lblMapSize");
        b.Check("chkUseBestMapSize");
        b.Section(QStringLiteral("Filter"));
        b.List("cmbDefaultFilter", 180);
        b.List("cmbPicturesMipMapMin", 180);
        b.List("cmbPicturesMipMapMag", 180);
        b.Skip(4);
        b.Track("trkPicturesBrightness", "Low", "High");
        b.Track("trkPictureGamma", "Low", "High");
    }
    { // Interface
        PageBuilder b(pages_[3]);
        b.Section(QStringLiteral("Information"));
        b.Check("chkShowPictureSize");
        b.Check("chkShowPictureFullPath");
        b.Swatch("shpTextColor", "btnChangeTextColor");
        b.Section(QStringLiteral("Screen buttons"));
        b.CheckPair("chkShowPreviousNext", "chkShowFullScreen");
        b.CheckPair("chkShowBrowsePictures", "chkShowZoomButtons");
        b.Section(QStringLiteral("Other"));
        b.CheckPair("chkShowExit", "chkShowMousePointer");
        b.CheckPair("chkShowPictureSelector", "chkShowLoadingText");
        b.Section(QStringLiteral("Background"));
        b.Check("chkShowBackgroundSky");
        b.Swatch("shpBackgroundColor", "btnChangeBackgroundColor");
    }
    { // Slide Show
        PageBuilder b(pages_[4]);
        b.Section(QStringLiteral("Timing"));
        b.Spin("spnSlideChangeTime");
        b.Skip(-28);
        b.Label(QStringLiteral("Seconds"), b.lastRight() + 6);
        b.Skip(28);
    }
    { // Other
        PageBuilder b(pages_[5]);
        b.Section(QStringLiteral("Other"));
        b.Spin("spnPictureTile");
        b.Skip(4);
        b.Track("trkDistanceToObject", "Near", "Far");
    }

    auto button = [this](const char *text, const char *name, int x) {
        auto *b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, 524, 75, 23);
        return b;
    };
    btnOk_ = button("OK", "btnOk", 219);
    btnCancel_ = button("Cancel", "btnCancel", 300);
    btnApply_ = button("Apply", "btnApply", 381);
    btnHelp_ = button("Help", "btnHelp", 462);
    btnOk_->setDefault(true);
}

#include "dialogs/fmAbout.h"

#include "dialogs/AboutParts.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/MsgTypes.h"
#include "util/MemoryStatus.h"

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 394;

// The 100 x 30 logo: the product name on a teal ground.
QPixmap LogoPicture() {
    QPixmap pm(100, 30);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 100, 30);
    g.setColorAt(0, kTitleColor);
    g.setColorAt(1, QColor(0, 150, 200));
    p.fillRect(pm.rect(), g);
    QFont f = QApplication::font();
    f.setPixelSize(17);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("Orvanta"));
    return pm;
}

QLabel *AddLabel(QWidget *parent, const QString &text, int x, int y) {
    auto *label = new QLabel(text, parent);
    label->adjustSize();
    label->move(x, y);
    return label;
}

QLineEdit *AddFolderField(QWidget *parent, const char *name, int x, int y, int width) {
    auto *field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    field->setFrame(false);
    field->setGeometry(x, y, width, 18);
    QPalette pal = field->palette();
    pal.setColor(QPalette::Base, Qt::white);
    field->setPalette(pal);
    return field;
}

} // namespace

TfrmAbout::TfrmAbout(const QString &programFolder, const QString &appDataFolder, QWidget *parent)
    : QDialog(parent), programFolder_(programFolder), appDataFolder_(appDataFolder) {
    setObjectName(QStringLiteral("frmAbout"));
    SetDialogFrame(this, DialogFrame::InfoBox);
    setFixedSize(kWidth, kHeight);
    AddTopBand(this, QStringLiteral("About"), kWidth);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setGeometry(17, 42, 32, 32);
    icon->setPixmap(MsgIconImage(miApplication).pixmap(32, 32));

    lblTitle_ = new QLabel(QStringLiteral("Orvanta"), this);
    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    QFont title = font();
    title.setPixelSize(16);
    title.setBold(true);
    lblTitle_->setFont(title);
    QPalette teal = lblTitle_->palette();
    teal.setColor(QPalette::WindowText, kTitleColor);
    lblTitle_->setPalette(teal);
    lblTitle_->adjustSize();
    lblTitle_->move(57, 47);

    lblVersion_ = new QLabel(this);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));
    QFont bold = font();
    bold.setBold(true);
    lblVersion_->setFont(bold);
    lblVersion_->setPalette(teal);
    lblVersion_->setWordWrap(true);
    lblVersion_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblVersion_->setGeometry(57, 68, 424, 48);

    AddProductLinkRows(this, 124, 57, 150, 18);

    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setGeometry(14, 250, 100, 30);
    logo->setPixmap(LogoPicture());
    auto *line = new QFrame(this);
    line->setGeometry(114, 250, 2, 30);
    line->setAutoFillBackground(true);
    QPalette black = line->palette();
    black.setColor(QPalette::Window, Qt::black);
    line->setPalette(black);

    AddLabel(this, QStringLiteral("Memory available:"), 128, 248);
    lblMemory_ = AddLabel(this, QString(), 250, 248);
    lblMemory_->setObjectName(QStringLiteral("lblMemory"));
    AddLabel(this, QStringLiteral("System resources:"), 128, 266);
    lblResources_ = AddLabel(this, QString(), 250, 266);
    lblResources_->setObjectName(QStringLiteral("lblResources"));

    AddLabel(this, QStringLiteral("Application folder:"), 14, 300);
    edtAppFolder_ = AddFolderField(this, "edtAppFolder", 160, 299, 326);
    AddLabel(this, QStringLiteral("Application data folder:"), 14, 322);
    edtAppDataFolder_ = AddFolderField(this, "edtAppDataFolder", 160, 321, 326);

    btnClose_ = AddCloseBand(this, kWidth, kHeight);

    // Leaving for another program closes the box.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            wasActive_ = true;
        else if (wasActive_ && isVisible())
            reject();
    });

    setFocusPolicy(Qt::StrongFocus);
    InstallClosingKeys(this, mrCancel, true);
    FormActivate();
}

QString TfrmAbout::GetAppVersion() {
    QStringList parts = QString::fromLatin1(ORVANTA_VERSION_TEXT).split(QLatin1Char('.'));
    while (parts.size() < 4)
        parts.append(QStringLiteral("0"));
    return parts.mid(0, 4).join(QLatin1Char('.'));
}

QString TfrmAbout::VersionText() {
    const QString version = GetAppVersion();
    return QStringLiteral("3D Picture Viewer (Version ") + version + QStringLiteral(" for Linux)") +
           QStringLiteral("\n") + QStringLiteral("Copyright \u00A9 Tamsorel. All rights reserved.") +
           QStringLiteral("\n") + QStringLiteral("Provided as is, without warranty of any kind.");
}

QString TfrmAbout::MemoryAvailableText() {
    const MemoryStatus s = ReadMemoryStatus();
    if (!s.valid)
        return QStringLiteral("N/A");
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    QString number = locale.toString(qlonglong(s.totalKb));
    if (locale.groupSeparator().isEmpty())
        number = QLocale(QLocale::English).toString(qlonglong(s.totalKb));
    return number + QStringLiteral(" KB");
}

QString TfrmAbout::SystemResourcesText() {
    const MemoryStatus s = ReadMemoryStatus();
    return s.valid ? QString::asprintf("%d %%", s.loadPercent) : QStringLiteral("N/A");
}

void TfrmAbout::FormActivate() {
    setWindowTitle(QStringLiteral("Orvanta"));
    lblTitle_->setText(QStringLiteral("Orvanta"));
    lblVersion_->setText(VersionText());
    lblMemory_->setText(MemoryAvailableText());
    lblMemory_->adjustSize();
    lblResources_->setText(SystemResourcesText());
    lblResources_->adjustSize();
    edtAppFolder_->setText(programFolder_);
    edtAppFolder_->setCursorPosition(0);
    edtAppDataFolder_->setText(appDataFolder_);
    edtAppDataFolder_->setCursorPosition(0);
}

void TfrmAbout::showEvent(QShowEvent *event) {
    FormActivate();
    QDialog::showEvent(event);
    if (QGuiApplication::applicationState() == Qt::ApplicationActive)
        wasActive_ = true;
}

void TfrmAbout::reject() { done(mrCancel); }

void TfrmAbout::paintEvent(QPaintEvent *event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    const int n = (width() - 36) / 36;
    for (int i = 0; i < n; ++i) {
        const int grey = 255 - 2 * (n - 1 - i);
        for (int j = 0; j < 6; ++j)
            p.fillRect(36 * i + 4, 36 * j + 37, 9, 9, QColor(grey, grey, grey));
    }
}

int ShowAbout(const QString &programFolder, const QString &appDataFolder, QWidget *parent) {
    return RunModalOneAtATime<TfrmAbout>(
        [&] { return std::make_unique<TfrmAbout>(programFolder, appDataFolder, parent); });
}

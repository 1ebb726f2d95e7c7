#include "dialogs/fmCreditsTo.h"

#include "dialogs/AboutParts.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/MsgTypes.h"
#include "util/ShellOps.h"

#include <QPushButton>

namespace {

constexpr int kWidth = 520;
constexpr int kEntryStep = 36;

const CreditEntry kCredits[] = {
    {"The Qt Company and the Qt Project contributors", "Qt", "https://www.qt.io/"},
    {"The libjpeg-turbo Project and the Independent JPEG Group", "libjpeg-turbo", "https://libjpeg-turbo.org/"},
    {"The PNG Reference Library authors", "libpng", "http://www.libpng.org/pub/png/libpng.html"},
    {"Eric S. Raymond and the GIFLIB contributors", "giflib", "https://giflib.sourceforge.net/"},
    {"Sam Leffler, Silicon Graphics and the LibTIFF contributors", "libtiff", "https://libtiff.gitlab.io/libtiff/"},
    {"ImageMagick Studio LLC", "ImageMagick", "https://imagemagick.org/"},
    {"The OpenJPEG contributors", "OpenJPEG", "https://www.openjpeg.org/"},
};

} // namespace

std::span<const CreditEntry> TfrmCreditsTo::Credits() { return kCredits; }

TfrmCreditsTo::TfrmCreditsTo(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCreditsTo"));
    setWindowTitle(QStringLiteral("Orvanta"));
    SetDialogFrame(this, DialogFrame::InfoBox);
    AddTopBand(this, QStringLiteral("Credits To"), kWidth);

    // One entry per library: who made it and what it is, then its web address as a link that
    // opens its own text.
    int y = kBandHeight + 12;
    int index = 0;
    for (const CreditEntry &c : kCredits) {
        auto *line = new QLabel(QString::fromUtf8(c.authors) + QStringLiteral(": ") + QString::fromUtf8(c.library), this);
        line->adjustSize();
        line->move(20, y);
        const QString address = QString::fromLatin1(c.address);
        auto *link = new LinkLabel(address, [address] { ShellOpen(address); }, this);
        link->setObjectName(QStringLiteral("lblCredit") + QString::number(++index));
        link->move(36, y + 15);
        y += kEntryStep;
    }
    y = AddProductLinkRows(this, y + 8, 20, 115, 18);

    const int height = y + 10 + kBandHeight;
    btnClose_ = AddCloseBand(this, kWidth, height);
    setFixedSize(kWidth, height);

    setFocusPolicy(Qt::StrongFocus);
    InstallClosingKeys(this, mrCancel, true);
}

void TfrmCreditsTo::reject() { done(mrCancel); }

int ShowCredits(QWidget *parent) {
    return RunModalOneAtATime<TfrmCreditsTo>([&] { return std::make_unique<TfrmCreditsTo>(parent); });
}

#include "dialogs/fmCreditsTo.h"

#include "dialogs/AboutParts.h"
#include "dialogs/MsgTypes.h"
#include "util/ShellOps.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

#include <memory>

namespace {

constexpr int kWidth = 520;
constexpr int kBand = 25;
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

QPointer<TfrmCreditsTo> &OpenDialog() {
    static QPointer<TfrmCreditsTo> open;
    return open;
}

} // namespace

std::span<const CreditEntry> TfrmCreditsTo::Credits() { return kCredits; }

TfrmCreditsTo::TfrmCreditsTo(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCreditsTo"));
    setWindowTitle(QStringLiteral("Orvanta"));
    setFont(DialogFont());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    auto *top = new CrimsonBand(QStringLiteral("Credits To"), this);
    top->setGeometry(0, 0, kWidth, kBand);

    // One entry per library: who made it and what it is, then its web address as a link that
    // opens its own text.
    int y = kBand + 12;
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

    const int height = y + 10 + kBand;
    auto *bottom = new CrimsonBand(QString(), this);
    bottom->setGeometry(0, height - kBand, kWidth, kBand);
    btnClose_ = new QPushButton(QStringLiteral("Close"), bottom);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    btnClose_->setGeometry(kWidth - 59 - 8, (kBand - 22) / 2, 59, 22);
    connect(btnClose_, &QPushButton::clicked, this, &TfrmCreditsTo::reject);
    setFixedSize(kWidth, height);

    setFocusPolicy(Qt::StrongFocus);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
}

void TfrmCreditsTo::reject() { done(mrCancel); }

void TfrmCreditsTo::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        reject();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmCreditsTo::keyReleaseEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) {
        event->accept();
        reject();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

bool TfrmCreditsTo::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto *key = static_cast<QKeyEvent *>(event);
        const int k = key->key();
        if (k == Qt::Key_Escape || k == Qt::Key_Return || k == Qt::Key_Enter) {
            if (event->type() == QEvent::KeyPress)
                keyPressEvent(key);
            else
                keyReleaseEvent(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int ShowCredits(QWidget *parent) {
    if (TfrmCreditsTo *open = OpenDialog()) {
        open->done(mrCancel);
        return 0;
    }
    auto dialog = std::make_unique<TfrmCreditsTo>(parent);
    OpenDialog() = dialog.get();
    const int result = dialog->exec();
    dialog.reset();
    QCoreApplication::processEvents();
    return result;
}

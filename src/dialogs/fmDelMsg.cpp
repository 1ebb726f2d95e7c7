#include "dialogs/fmDelMsg.h"

#include "dialogs/DialogSupport.h"
#include "dialogs/MsgTypes.h"

#include "util/gUtils.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr int kClientWidth = 413;
constexpr int kClientHeight = 108;
constexpr int kLabelWidth = 323;

ShowDelMsgHandler &Handler() {
    static ShowDelMsgHandler handler;
    return handler;
}

// The dialog's own delete picture: a sheet of paper struck through in red, on transparency.
QPixmap DeletePicture() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath sheet;
    sheet.moveTo(6, 2);
    sheet.lineTo(20, 2);
    sheet.lineTo(26, 8);
    sheet.lineTo(26, 30);
    sheet.lineTo(6, 30);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.drawLine(20, 2, 20, 8);
    p.drawLine(20, 8, 26, 8);
    p.setPen(QPen(QColor(200, 20, 30), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(9, 11, 23, 25);
    p.drawLine(23, 11, 9, 25);
    return pm;
}

QIcon RecycleBinIcon() {
    const QIcon theme = QIcon::fromTheme(QStringLiteral("user-trash"));
    return theme.isNull() ? QApplication::style()->standardIcon(QStyle::SP_TrashIcon) : theme;
}

} // namespace

void SetShowDelMsgHandler(ShowDelMsgHandler handler) { Handler() = std::move(handler); }

QString DelMsgText(bool recycleBin, const QString &path, const QFontMetrics &metrics, int labelWidth) {
    const QString opening = recycleBin ? QStringLiteral("Are you sure you want to send")
                                       : QStringLiteral("Are you sure you want to delete");
    const QString tail = recycleBin ? QStringLiteral(" to the Recycle Bin?") : QStringLiteral("?");
    const QString ellipsis = recycleBin ? QStringLiteral("...'") : QStringLiteral("...'?");
    QString namePart = QStringLiteral(" '") + ExtractFileName(path) + QLatin1Char('\'');
    QString message = opening + namePart + tail;
    // The first character dropped is the closing quote, which the ellipsis brings back. The
    // loop ends at the latest when the name part is gone, however narrow the label.
    while (!namePart.isEmpty() && metrics.horizontalAdvance(namePart + ellipsis) > labelWidth) {
        namePart.chop(1);
        message = opening + namePart + ellipsis + (recycleBin ? QStringLiteral(" to the Recycle Bin?") : QString());
    }
    return message;
}

TfrmDelMsg::TfrmDelMsg(const DelMsgRequest &request, QWidget *parent)
    : QDialog(parent), recycleBin_(request.recycleBin) {
    setWindowTitle(request.caption);
    SetDialogFrame(this, DialogFrame::Message);
    setFixedSize(kClientWidth, kClientHeight);

    imgDelIco_ = new QLabel(this);
    imgDelIco_->setObjectName(QStringLiteral("imgDelIco"));
    imgDelIco_->setGeometry(15, 16, 32, 32);
    imgDelIco_->setPixmap(DeletePicture());
    imgDelIco_->setVisible(!recycleBin_);

    lblMsg_ = new QLabel(this);
    lblMsg_->setObjectName(QStringLiteral("lblMsg"));
    lblMsg_->setGeometry(62, 16, kLabelWidth, 49);
    lblMsg_->setWordWrap(true);
    lblMsg_->setTextFormat(Qt::PlainText);
    lblMsg_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMsg_->setText(DelMsgText(recycleBin_, request.path, lblMsg_->fontMetrics(), kLabelWidth));

    chkShowAgain_ = AddShowAgainBox(this, QStringLiteral("Do not ask me again."), 62, 78);

    btnYes_ = new QPushButton(QStringLiteral("&Yes"), this);
    btnYes_->setObjectName(QStringLiteral("btnYes"));
    btnYes_->setGeometry(236, 74, 80, 23);
    btnNo_ = new QPushButton(QStringLiteral("&No"), this);
    btnNo_->setObjectName(QStringLiteral("btnNo"));
    btnNo_->setGeometry(323, 74, 80, 23);
    for (QPushButton *b : {btnYes_, btnNo_})
        b->setAutoDefault(true);
    btnYes_->setDefault(true);
    btnYes_->setFocus();
    connect(btnYes_, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(btnNo_, &QPushButton::clicked, this, [this] { done(mrNo); });

    // Releasing Escape answers No whatever has the focus.
    InstallClosingKeys(this, mrNo, false);
}

void TfrmDelMsg::reject() { done(mrNo); }

void TfrmDelMsg::paintEvent(QPaintEvent *event) {
    QDialog::paintEvent(event);
    if (recycleBin_) {
        QPainter p(this);
        RecycleBinIcon().paint(&p, QRect(15, 15, 32, 32));
    }
}

int ShowDelMsg(bool recycleBin, const QString &path, const QString &key, const QString &valueName,
               const QString &caption) {
    const DelMsgRequest request{recycleBin, path, key, valueName, caption};
    return AskUnlessSilenced(key, valueName, mrYes, [&] {
        if (Handler()) {
            const DelMsgAnswer given = Handler()(request);
            return SilenceableAnswer{given.result, given.doNotAskAgain};
        }
        SilenceableAnswer answer = AskWithDialog<TfrmDelMsg>(request);
        answer.result = answer.result == mrYes ? mrYes : mrNo;  // anything but Yes is No
        return answer;
    });
}

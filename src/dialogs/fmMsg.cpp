#include "dialogs/fmMsg.h"

#include "dialogs/DialogSupport.h"
#include "dialogs/MsgTypes.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <memory>

namespace {

constexpr int kClientWidth = 515;
constexpr int kDesignHeight = 171;
constexpr int kLabelLeft = 58;
constexpr int kLabelTop = 16;
constexpr int kLabelWidth = 440;
constexpr int kCheckTop = 111;  // at the design height
constexpr int kBandHeight = 35;
constexpr int kCellWidth = 81;

ShowMsgHandler &Handler() {
    static ShowMsgHandler handler;
    return handler;
}

} // namespace

void SetShowMsgHandler(ShowMsgHandler handler) { Handler() = std::move(handler); }

QString MsgCheckBoxCaption(MsgButtons buttons) {
    if ((buttons & mbOK) && !(buttons & (mbNo | mbCancel)))
        return QStringLiteral("Do not show this message again.");
    return QStringLiteral("Do not ask me again.");
}

TfrmMsg::TfrmMsg(const MsgRequest &request, QWidget *parent) : QDialog(parent), icon_(request.icon) {
    setWindowTitle(request.caption);
    SetDialogFrame(this, DialogFrame::Message);

    QString text = request.message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lblMsg_ = new QLabel(text, this);
    lblMsg_->setObjectName(QStringLiteral("lblMsg"));
    lblMsg_->setWordWrap(false);
    lblMsg_->setTextFormat(Qt::PlainText);
    lblMsg_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The label does not wrap; a line wider than its 440 pixels widens the label and the form
    // rather than being cut.
    const QSize textSize = lblMsg_->sizeHint();
    const int labelWidth = std::max(kLabelWidth, textSize.width());
    const int width = std::max(kClientWidth, kLabelLeft + labelWidth + 17);
    const int height = std::max(request.clientHeight, 1);
    lblMsg_->setGeometry(kLabelLeft, kLabelTop, labelWidth, std::max(textSize.height(), 13));

    chkShowAgain_ = AddShowAgainBox(this, MsgCheckBoxCaption(request.buttons), kLabelLeft,
                                    kCheckTop + (height - kDesignHeight));

    static const struct { MsgButtons bit; const char *caption; const char *name; int result; } kCells[4] = {
        {mbOK, "&OK", "btnOK", mrOk},
        {mbYes, "&Yes", "btnYes", mrYes},
        {mbNo, "&No", "btnNo", mrNo},
        {mbCancel, "&Cancel", "btnCancel", mrCancel},
    };
    int shown = 0;
    for (const auto &c : kCells)
        shown += (request.buttons & c.bit) ? 1 : 0;
    const int rowLeft = (width - shown * kCellWidth) / 2;
    const int bandTop = height - kBandHeight;
    int cell = 0;
    QPushButton *first = nullptr;
    for (int i = 0; i < 4; ++i) {
        if (!(request.buttons & kCells[i].bit))
            continue;
        auto *b = new QPushButton(QString::fromLatin1(kCells[i].caption), this);
        b->setObjectName(QString::fromLatin1(kCells[i].name));
        b->setGeometry(rowLeft + cell * kCellWidth + (kCellWidth - 75) / 2, bandTop + (kBandHeight - 23) / 2, 75, 23);
        b->setAutoDefault(true);
        const int result = kCells[i].result;
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        buttons_[i] = b;
        if (!first)
            first = b;
        ++cell;
    }
    setFixedSize(width, height);
    if (first) {
        first->setDefault(true);
        first->setFocus();
    }
    // Releasing Escape answers No whatever has the focus and whatever the buttons.
    InstallClosingKeys(this, mrNo, false);
}

void TfrmMsg::reject() { done(mrCancel); }

void TfrmMsg::paintEvent(QPaintEvent *event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    // Loaded on every paint, so the icon is there again after the dialog was covered.
    MsgIconImage(icon_).paint(&p, QRect(12, 10, 32, 32));
}

int ShowMsg(int clientHeight, const QString &message, MsgButtons buttons, MsgIcon icon,
            const QString &key, const QString &valueName, const QString &caption) {
    // A silenced message answers Yes when offered, else OK. No call passes a set without Yes
    // or OK; the silenced message then counts as cancelled.
    const int silenced = (buttons & mbYes) ? mrYes : (buttons & mbOK) ? mrOk : mrCancel;
    const MsgRequest request{clientHeight, message, buttons, icon, key, valueName, caption};
    return AskUnlessSilenced(key, valueName, silenced, [&] {
        if (!Handler())
            return AskWithDialog<TfrmMsg>(request);
        const MsgAnswer given = Handler()(request);
        return SilenceableAnswer{given.result, given.doNotShowAgain};
    });
}

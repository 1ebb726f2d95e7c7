#pragma once
// TfrmMsg and ShowMsg: a message with a standard icon, a set of buttons and a check box that
// silences the message for good. Ticking the box writes "T" to a registry value; while that
// value has any content, ShowMsg answers at once (Yes when offered, else OK) and shows nothing.
//
// Answers: OK 1, Yes 6, No 7, Cancel 2; releasing Escape gives No (7) whatever the buttons;
// closing through the title bar gives Cancel (2). The stored value never records the answer.
//
// Test seam: SetShowMsgHandler installs a function that answers in place of the modal dialog
// (the suppression check and the write of the suppression value still happen as usual).

#include "dialogs/MsgTypes.h"

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

struct MsgRequest {
    int clientHeight = 0;
    QString message;
    MsgButtons buttons = 0;
    MsgIcon icon = miInformation;
    QString key;
    QString valueName;
    QString caption;
};

struct MsgAnswer {
    int result = mrCancel;
    bool doNotShowAgain = false;  // the check box was ticked
};

using ShowMsgHandler = std::function<MsgAnswer(const MsgRequest &request)>;
void SetShowMsgHandler(ShowMsgHandler handler);  // empty function: the real dialog again

int ShowMsg(int clientHeight, const QString &message, MsgButtons buttons, MsgIcon icon,
            const QString &key, const QString &valueName, const QString &caption);

// "Do not show this message again." for OK alone (no No, no Cancel), else "Do not ask me again.".
QString MsgCheckBoxCaption(MsgButtons buttons);

class TfrmMsg : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMsg(const MsgRequest &request, QWidget *parent = nullptr);

    QCheckBox *chkShowAgain() const { return chkShowAgain_; }
    QLabel *lblMsg() const { return lblMsg_; }
    // The buttons of the row, left to right; null when not in the set.
    QPushButton *btnOK() const { return buttons_[0]; }
    QPushButton *btnYes() const { return buttons_[1]; }
    QPushButton *btnNo() const { return buttons_[2]; }
    QPushButton *btnCancel() const { return buttons_[3]; }

public Q_SLOTS:
    void reject() override;  // the title bar's close: Cancel

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MsgIcon icon_;
    QLabel *lblMsg_ = nullptr;
    QCheckBox *chkShowAgain_ = nullptr;
    QPushButton *buttons_[4] = {};
};

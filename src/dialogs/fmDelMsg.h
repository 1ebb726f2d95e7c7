#pragma once
// TfrmDelMsg and ShowDelMsg: the confirmation before a picture's file is deleted, into the
// trash or for good, with a check box that silences the question for good ("T" written to
// the suppression value whatever the answer; while the value has content, ShowDelMsg answers
// Yes at once). Answers: Yes 6, No 7; releasing Escape or closing the window gives No.
//
// Test seam: SetShowDelMsgHandler installs a function that answers in place of the modal
// dialog (suppression check and write still happen as usual).

#include "dialogs/MsgTypes.h"

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QFontMetrics;
class QLabel;
class QPushButton;

struct DelMsgRequest {
    bool recycleBin = true;
    QString path;
    QString key;
    QString valueName;
    QString caption;
};

struct DelMsgAnswer {
    int result = mrNo;
    bool doNotAskAgain = false;
};

using ShowDelMsgHandler = std::function<DelMsgAnswer(const DelMsgRequest &request)>;
void SetShowDelMsgHandler(ShowDelMsgHandler handler);

int ShowDelMsg(bool recycleBin, const QString &path, const QString &key, const QString &valueName,
               const QString &caption);

// The question for a file: "Are you sure you want to send '<name>' to the Recycle Bin?" or
// "Are you sure you want to delete '<name>'?", with the name shortened (ending in "...'")
// while the quoted name and the ellipsis are wider than labelWidth in the given font.
QString DelMsgText(bool recycleBin, const QString &path, const QFontMetrics &metrics, int labelWidth);

class TfrmDelMsg : public QDialog {
    Q_OBJECT
public:
    TfrmDelMsg(const DelMsgRequest &request, QWidget *parent = nullptr);

    QLabel *lblMsg() const { return lblMsg_; }
    QLabel *imgDelIco() const { return imgDelIco_; }
    QCheckBox *chkShowAgain() const { return chkShowAgain_; }
    QPushButton *btnYes() const { return btnYes_; }
    QPushButton *btnNo() const { return btnNo_; }

public Q_SLOTS:
    void reject() override;  // the title bar's close: No

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool recycleBin_;
    QLabel *lblMsg_ = nullptr;
    QLabel *imgDelIco_ = nullptr;
    QCheckBox *chkShowAgain_ = nullptr;
    QPushButton *btnYes_ = nullptr;
    QPushButton *btnNo_ = nullptr;
};

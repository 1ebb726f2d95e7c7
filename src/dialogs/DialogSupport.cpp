#include "dialogs/DialogSupport.h"

#include "settings/gRegistry.h"

#include <QCheckBox>
#include <QKeyEvent>

namespace {

// The closing keys of one dialog; a child object of the dialog, so it lives as long as it.
class ClosingKeys : public QObject {
public:
    ClosingKeys(QDialog *dialog, int result, bool enterCloses)
        : QObject(dialog), dialog_(dialog), result_(result), enterCloses_(enterCloses) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        const bool press = event->type() == QEvent::KeyPress;
        if (!press && event->type() != QEvent::KeyRelease)
            return QObject::eventFilter(watched, event);
        auto *key = static_cast<QKeyEvent *>(event);
        const int k = key->key();
        if (k == Qt::Key_Escape) {
            key->accept();
            // The answer comes with the release, so a held key closes once.
            if (!press && !key->isAutoRepeat())
                dialog_->done(result_);
            return true;
        }
        if (enterCloses_ && (k == Qt::Key_Return || k == Qt::Key_Enter)) {
            key->accept();
            if (press)
                dialog_->done(result_);
            return true;
        }
        return false;
    }

private:
    QDialog *dialog_;
    int result_;
    bool enterCloses_;
};

} // namespace

void SetDialogFrame(QDialog *dialog, DialogFrame frame) {
    dialog->setFont(DialogFont());
    Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint;
    if (frame == DialogFrame::Message) {
        flags |= Qt::WindowSystemMenuHint;
    } else {
        flags |= Qt::WindowStaysOnTopHint;
        dialog->setAutoFillBackground(true);
        QPalette pal = dialog->palette();
        pal.setColor(QPalette::Window, Qt::white);
        dialog->setPalette(pal);
    }
    dialog->setWindowFlags(flags);
}

void InstallClosingKeys(QDialog *dialog, int result, bool enterCloses) {
    auto *keys = new ClosingKeys(dialog, result, enterCloses);
    dialog->installEventFilter(keys);
    for (QWidget *w : dialog->findChildren<QWidget *>())
        w->installEventFilter(keys);
}

int AskUnlessSilenced(const QString &key, const QString &valueName, int silencedResult,
                      const std::function<SilenceableAnswer()> &ask) {
    if (!RegReadString(key, valueName).isEmpty())
        return silencedResult;
    const SilenceableAnswer answer = ask();
    if (answer.ticked)
        RegWriteString(key, valueName, QStringLiteral("T"));
    return answer.result;
}

QCheckBox *AddShowAgainBox(QDialog *dialog, const QString &caption, int x, int y) {
    auto *box = new QCheckBox(caption, dialog);
    box->setObjectName(QStringLiteral("chkShowAgain"));
    box->adjustSize();
    box->move(x, y);
    return box;
}

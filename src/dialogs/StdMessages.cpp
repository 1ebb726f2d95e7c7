#include "dialogs/StdMessages.h"

#include <QMessageBox>

namespace {

StdMessageHandler &Handler() {
    static StdMessageHandler handler;
    return handler;
}

class BoxPrompts : public FilePrompts {
public:
    void ShowPlainMessage(const QString &text) override { ShowStdMessage(StdMessageKind::Plain, text); }
    void ShowErrorMessage(const QString &text) override { ShowStdMessage(StdMessageKind::Error, text); }
    bool AskWarningYesNo(const QString &text) override {
        return ShowStdMessage(StdMessageKind::WarningYesNo, text) == mrYes;
    }
};

} // namespace

void SetStdMessageHandler(StdMessageHandler handler) { Handler() = std::move(handler); }

int ShowStdMessage(StdMessageKind kind, const QString &text, QWidget *parent) {
    if (Handler())
        return Handler()(kind, text);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("Orvanta"));
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    switch (kind) {
    case StdMessageKind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case StdMessageKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case StdMessageKind::WarningYesNo:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    const int r = box.exec();
    if (kind != StdMessageKind::WarningYesNo)
        return mrOk;
    return r == QMessageBox::Yes ? mrYes : mrNo;
}

FilePrompts &MessageBoxPrompts() {
    static BoxPrompts prompts;
    return prompts;
}

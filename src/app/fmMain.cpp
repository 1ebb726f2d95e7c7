#include "app/fmMain.h"

#include "platform/Errors.h"
#include "platform/InstanceChannel.h"
#include "settings/Options.h"
#include "settings/gRegistry.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

std::function<void(QWidget *, const QString &)> TfrmMain::ShowErrorBox =
    [](QWidget *parent, const QString &text) {
        QMessageBox::critical(parent, QApplication::applicationName(), text, QMessageBox::Ok);
    };

TfrmMain::TfrmMain(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Orvanta"));
    resize(798, 598);
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::FormCreate() { LoadFromParams(); }

void TfrmMain::WMLoadParams(const QByteArray &activationToken) {
    platform::UseActivationToken(activationToken);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    LoadFromParams();
}

void TfrmMain::LoadFromParams() {
    ++loadFromParamsCalls_;
    try {
        const QString count = RegReadString(kRegKeyParams, QStringLiteral("Count"));
        if (count.isEmpty())
            return;
        int n = 0;
        if (!ParseDecimalInt(count, n))
            throw OrvantaError(QStringLiteral("'%1' is not a valid integer value").arg(count));
        for (int k = 1; k <= n; ++k) {
            const QString path = RegReadString(kRegKeyParams, QStringLiteral("F%1").arg(k));
            if (!path.isEmpty() && QFileInfo::exists(path))
                paramsPaths_.append(path);
        }
    } catch (const OrvantaError &e) {
        ShowErrorBox(this, QStringLiteral("Cannot load from parameters!\r\n\r\nError: ") + e.Message());
    }
}

#include "app/ProgramEntry.h"

#include "app/fmMain.h"
#include "platform/Errors.h"
#include "platform/InstanceChannel.h"
#include "platform/UserFolders.h"
#include "settings/Options.h"
#include "settings/gRegistry.h"
#include "util/gUtils.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QToolTip>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

QString ProgramFolder;
QString AppDataFolder;
QStringList ProgramParams;

namespace {

// Tool tips hide after 3 seconds.
class ToolTipTiming : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::ToolTip) {
            auto *widget = qobject_cast<QWidget *>(watched);
            if (widget && !widget->toolTip().isEmpty()) {
                auto *help = static_cast<QHelpEvent *>(event);
                QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), 3000);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// SIGTERM and SIGINT close the open windows the normal way (the main window, or the message
// box of a failed start), so the end of a session or a plain `kill` still cleans up.
int gSignalPipe[2] = {-1, -1};

void OnTerminateSignal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(gSignalPipe[1], &c, 1);
}

void InstallTerminationHandler(QObject *owner) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char c;
        [[maybe_unused]] ssize_t n = ::read(gSignalPipe[0], &c, 1);
        QApplication::closeAllWindows();
    });
    struct sigaction sa = {};
    sa.sa_handler = OnTerminateSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
}

} // namespace

void StoreParamsInRegistry() {
    RegDeleteKey(kRegKeyParams);
    if (ProgramParams.isEmpty())
        return;
    RegWriteString(kRegKeyParams, QStringLiteral("Count"), QString::number(ProgramParams.size()));
    for (int i = 0; i < ProgramParams.size(); ++i)
        RegWriteString(kRegKeyParams, QStringLiteral("F%1").arg(i + 1), ProgramParams[i]);
}

bool EstablishAppDataFolder() {
    const QString roaming = GetRoamingAppDataPath();
    AppDataFolder = AddTrailingBackslash(roaming) + AddTrailingBackslash(QStringLiteral("Tamsorel/Orvanta"));
    if (roaming.isEmpty())
        return false;
    return QDir().mkpath(AppDataFolder) && QFileInfo(AppDataFolder).isDir();
}

int RunProgram(int argc, char **argv) {
    // The arguments as the process received them, before Qt takes out its own options.
    ProgramParams.clear();
    for (int i = 1; i < argc; ++i)
        ProgramParams.append(QString::fromLocal8Bit(argv[i]));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvanta"));  // also the X11 window class
    QApplication::setQuitOnLastWindowClosed(true);
    InstallTerminationHandler(&app);

    try {
        StoreParamsInRegistry();
    } catch (const OrvantaError &) {
        // A refused write leaves the key as it is; the start goes on.
    }

    ProgramFolder = AddTrailingBackslash(QFileInfo(platform::ProgramFilePath()).absolutePath());

    if (!EstablishAppDataFolder()) {
        const QString message = QStringLiteral("Cannot establish Roaming Application Data folder!");
        std::fprintf(stderr, "orvanta: %s\n", qPrintable(message));
        QMessageBox box(QMessageBox::NoIcon, QFileInfo(platform::ProgramFilePath()).completeBaseName(),
                        message, QMessageBox::Ok);
        box.exec();
        return 1;
    }

    // Options stored by an earlier run come first: chkMultiSessions decides the next step.
    LoadStoredSettingsList();
    ApplySettingsList();

    platform::InstanceChannel channel;
    channel.AcquireStartLock();
    if (!gVars.chkMultiSessions && platform::InstanceChannel::SendLoadParams(platform::CurrentActivationToken()))
        return 0;
    // Every running instance listens when it can, so a later start finds one of them.
    channel.Listen();
    channel.ReleaseStartLock();

    try {
        RegWriteString(kRegKeyValues, QStringLiteral("ProgramLocation"), platform::ProgramFilePath());
    } catch (const OrvantaError &) {
    }

    ToolTipTiming toolTips;
    app.installEventFilter(&toolTips);

    TfrmMain frmMain;
    QObject::connect(&channel, &platform::InstanceChannel::LoadParamsReceived, &frmMain,
                     &TfrmMain::WMLoadParams);
    frmMain.show();
    app.exec();
    return 0;
}

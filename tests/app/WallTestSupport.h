#pragma once
// Shared pieces of the main-window tests: a main window with its frame clock stopped (tests
// step the frame update by hand), picture fixtures, and waiting with the event loop running.

#include "app/fmMain.h"
#include "dialogs/fmMsg.h"
#include "scene/GLGeomObjects.h"
#include "scene/GLHUDObjects.h"
#include "scene/GLCadencer.h"
#include "scene/GLMaterial.h"
#include "scene/GLObjects.h"
#include "scene/GLScene.h"
#include "settings/gRegistry.h"
#include "settings/gVars.h"
#include "settings/Options.h"

#include "TestEnv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <memory>

namespace wall_test {

template <class F> bool WaitFor(F cond, int timeoutMs = 20000) { return orvanta::test::WaitUntil(cond, timeoutMs); }

// A picture file of one colour (or two halves: left and right colours), written by Qt.
inline QString MakePicture(const QString &path, int w, int h, QColor left, QColor right = QColor(),
                           const char *format = nullptr) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(left);
    if (right.isValid()) {
        QPainter p(&image);
        p.fillRect(w / 2, 0, w - w / 2, h, right);
    }
    EXPECT_TRUE(image.save(path, format)) << path.toStdString();
    return path;
}

class WallTest : public orvanta::test::UserStateTest {
protected:
    void SetUp() override {
        savedError_ = TfrmMain::ShowErrorBox;
        savedInfo_ = TfrmMain::ShowInfoBox;
        gVars = TVars();
        SettingsList.clear();
        frm = std::make_unique<TfrmMain>();
        frm->GLCadencer1->SetEnabled(false);
        ASSERT_TRUE(WaitFor([&] { return frm->LoadFromParamsCalls() == 1; }));
        SetShowMsgHandler([this](const MsgRequest &request) {
            messages.append(request.message);
            return MsgAnswer{mrOk, false};
        });
        TfrmMain::ShowErrorBox = [this](QWidget *, const QString &text) { errors.append(text); };
        TfrmMain::ShowInfoBox = [this](QWidget *, const QString &text) { messages.append(text); };
    }
    void TearDown() override {
        frm.reset();
        SetShowMsgHandler(nullptr);
        TfrmMain::ShowErrorBox = savedError_;
        TfrmMain::ShowInfoBox = savedInfo_;
        gVars = TVars();
    }

    TGLDummyCube *Holder(int i) const { return static_cast<TGLDummyCube *>(frm->GLDummyColumns->GetChild(i)); }
    TGLPlane *Plane(int i) const { return static_cast<TGLPlane *>(Holder(i)->GetChild(0)); }
    QString Pic(const QString &name, int w = 64, int h = 48, QColor c = Qt::red) {
        return MakePicture(dirs.root() + "/" + name, w, h, c);
    }
    void Step(double dt, int times = 1) {
        for (int i = 0; i < times; ++i)
            frm->GLCadencer1Progress(dt, 0);
    }
    // Writes the hand-off key as a start with these arguments would.
    void StoreParams(const QStringList &args) {
        RegDeleteKey(kRegKeyParams);
        if (args.isEmpty())
            return;
        RegWriteString(kRegKeyParams, "Count", QString::number(args.size()));
        for (int i = 0; i < args.size(); ++i)
            RegWriteString(kRegKeyParams, QString("F%1").arg(i + 1), args[i]);
    }

    std::function<void(QWidget *, const QString &)> savedError_, savedInfo_;
    std::unique_ptr<TfrmMain> frm;
    QStringList messages;
    QStringList errors;
};

} // namespace wall_test

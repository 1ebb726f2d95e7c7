// The picture wall: adding, emptying, selecting, re-laying, reloading and removing pictures.

#include "app/fmMain.h"

#include "app/PictureLoadQueue.h"
#include "app/PictureMaterial.h"
#include "app/WallGeometry.h"
#include "dialogs/fmMsg.h"
#include "picture/PictureFormats.h"
#include "platform/Errors.h"
#include "platform/KeyState.h"
#include "scene/GLCadencer.h"
#include "scene/GLHUDObjects.h"
#include "scene/GLGeomObjects.h"
#include "scene/GLMaterial.h"
#include "scene/GLObjects.h"
#include "scene/GLScene.h"
#include "scene/GLSceneViewer.h"
#include "settings/gRegistry.h"
#include "settings/gVars.h"
#include "util/FileOps.h"
#include "util/gUtils.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <exception>

namespace {
constexpr double kLoadFrameInterval = 0.05;
} // namespace

int TfrmMain::PictureCount() const { return GLDummyColumns->ChildCount(); }

TextureMapSettings TfrmMain::CurrentMapSettings() const {
    TextureMapSettings s;
    s.useBestMapSize = gVars.chkUseBestMapSize;
    s.mapSize = gVars.cmbMapSize;
    s.filter = TStretchFilter(std::min<int>(gVars.cmbDefaultFilter, kStretchFilterCount - 1));
    return s;
}

void TfrmMain::ShowLoadingText(bool show) {
    GLHUDTextLoading->SetVisible(show);
    RepaintViewer();
}

void TfrmMain::SetLoadingProgress(int k, int n) {
    const QString text = QStringLiteral("Loading picture %1/%2").arg(k).arg(n);
    SetHudText(GLHUDTextLoading, text);
    if (ProgressObserver)
        ProgressObserver(text);
}

void TfrmMain::ShowLimitMessage(int limit) {
    const QString text = QStringLiteral("Maximum pictures allowed at time: %1\r\n\r\nYou can change this limit from options.")
                             .arg(limit);
    ShowMsg(141, text, mbOK, miInformation, kRegKeyValues, QStringLiteral("MsgMaxPicturesAtTime"),
            QStringLiteral("Orvanta"));
}

void TfrmMain::AddPic(const QString &path) {
    if (!IsPictureFile(path))
        return;
    const int limit = gVars.spnMaxPicturesAtOnce;
    if (limit >= 1 && PictureCount() >= limit) {
        if (!MaxPicturesMessageShown) {
            ZoomAll();
            GLCadencer1->Advance();
            ShowLimitMessage(limit);
            MaxPicturesMessageShown = true;
        }
        return;
    }
    ++loadDepth_;
    // While pictures decode, the view draws at most 20 frames a second: smooth enough to follow
    // (no gap near 100 ms), and on a software renderer it leaves the processor to the decoders.
    const double minDelta = GLCadencer1->MinDeltaTime;
    GLCadencer1->MinDeltaTime = std::max(minDelta, kLoadFrameInterval);
    std::unique_ptr<PreparedPicture> prepared = loadQueue_->Take(path, CurrentMapSettings());
    GLCadencer1->MinDeltaTime = minDelta;
    --loadDepth_;
    AttachPicture(*prepared);
}

void TfrmMain::AttachPicture(const PreparedPicture &picture) {
    // Names come from the counts (holders after adding, materials before adding); after a
    // removal a count can name a picture that is still on the wall, so the next free number
    // is taken, and the plane and its material always share one number.
    int n = PictureCount() + 1;
    while (GLScene1->FindObject(QStringLiteral("DUMMY_") + PadNumber(n, 4)))
        ++n;
    int m = GLMatLib1->Materials().Count();
    while (GLScene1->FindObject(QStringLiteral("PLANE_") + PadNumber(m, 4)) ||
           GLMatLib1->FindLibMaterial(PadNumber(m, 4) + QStringLiteral("_IMG")))
        ++m;

    auto *holder = GLDummyColumns->CreateChild<TGLDummyCube>();
    holder->SetName(QStringLiteral("DUMMY_") + PadNumber(n, 4));
    holder->SetHint(picture.Path);
    holder->SetTag(picture.Failed ? 1 : 0);
    const auto [x, y] = GridSlot(PictureCount() - 1, gVars.spnPicturesColumns);
    holder->Position().SetPoint(x, y, 0);
    holder->SetCubeSize(20);

    auto *plane = holder->CreateChild<TGLPlane>();
    plane->SetName(QStringLiteral("PLANE_") + PadNumber(m, 4));
    if (picture.PixelWidth > 0 && picture.PixelHeight > 0)
        plane->SetHint(QStringLiteral("%1 x %2").arg(picture.PixelWidth).arg(picture.PixelHeight));
    const auto [w, h] = PlaneSize(picture.ShownWidth, picture.ShownHeight);
    plane->SetWidth(w);
    plane->SetHeight(h);
    plane->Position().SetPoint(GLDummyColumns->Position().X(), GLDummyColumns->Position().Y(),
                               GLDummyColumns->Position().Z());

    const QString name = ApplyPictureMaterial(*GLMatLib1, PadNumber(m, 4) + QStringLiteral("_IMG"), picture.Map,
                                              CurrentPictureMaterialSettings());
    plane->Material().SetMaterialLibrary(GLMatLib1.get());
    plane->Material().SetLibMaterialName(name);
}

void TfrmMain::ResetGLDummyColumns(bool redrawCaption) {
    SelectedDummyName.clear();
    ForgetNodesUnder(GLDummyColumns);
    for (int i = GLDummyColumns->ChildCount() - 1; i >= 0; --i) {
        TGLBaseSceneObject *holder = GLDummyColumns->GetChild(i);
        holder->DestroyChildren();
        delete holder;
    }
    if (redrawCaption)
        DrawAppCaption(QString());
    GLMatLib1->Materials().Clear();
}

void TfrmMain::SelectObjectByChild(int i) {
    if (PictureCount() == 0 || i < 0 || i >= PictureCount())
        return;
    auto *holder = static_cast<TGLCustomSceneObject *>(GLDummyColumns->GetChild(i));
    auto *plane = static_cast<TGLCustomSceneObject *>(holder->GetChild(0));
    SelectedDummyName = holder->Name();
    SetHudText(GLHUDTextSize, FormatSizeText(plane->Hint()));
    SetHudText(GLHUDtextPath, holder->Hint());
    DrawAppCaption(ExtractFileName(holder->Hint()));
}

void TfrmMain::SubProc0001(const QString &path) {
    try {
        RegWriteString(kRegKeyValues, QStringLiteral("CP"), ExtractFilePath(path));
    } catch (const OrvantaError &) {
        // The folder is only remembered; a refused write does not stop the load.
    }
    if (!platform::KeyState::CtrlHeld())
        ResetGLDummyColumns(false);
}

void TfrmMain::ReloadImages() {
    if (PictureCount() == 0 || LoadRunning())
        return;
    QString remembered;
    if (auto *selected = dynamic_cast<TGLCustomSceneObject *>(GLScene1->FindObject(SelectedDummyName)))
        remembered = selected->Hint();
    ResetSelection();
    MaxPicturesMessageShown = false;
    GLSelection->SetVisible(false);
    if (gVars.chkShowLoadingText)
        GLHUDTextLoading->SetVisible(true);
    RepaintViewer();
    QStringList paths;
    for (int i = 0; i < PictureCount(); ++i)
        paths.append(static_cast<TGLCustomSceneObject *>(GLDummyColumns->GetChild(i))->Hint());
    ResetGLDummyColumns(true);

    ++loadDepth_;
    StopLoading = false;
    LoadingPictures = true;
    const TextureMapSettings settings = CurrentMapSettings();
    for (int k = 0; k < paths.size(); ++k) {
        if (!QFileInfo::exists(paths[k]))
            continue;
        SetLoadingProgress(k + 1, int(paths.size()));
        QCoreApplication::processEvents();
        if (StopLoading)
            break;
        loadQueue_->Prefetch(paths.mid(k + 1), settings);
        AddPic(paths[k]);
    }
    loadQueue_->Clear();
    int select = -1;
    if (!remembered.isEmpty())
        for (int i = 0; i < PictureCount(); ++i)
            if (static_cast<TGLCustomSceneObject *>(GLDummyColumns->GetChild(i))->Hint() == remembered) {
                select = i;
                break;
            }
    if (select < 0 && PictureCount() > 0)
        select = 0;
    if (select >= 0)
        SelectObjectByChild(select);
    GLSelection->SetVisible(gVars.chkShowPictureSelector);
    LoadingPictures = false;
    GLHUDTextLoading->SetVisible(false);
    RepaintViewer();
    --loadDepth_;
    RunDeferredWork();
}

void TfrmMain::RealignImages() {
    for (int i = 0; i < PictureCount(); ++i) {
        const auto [x, y] = GridSlot(i, gVars.spnPicturesColumns);
        GLDummyColumns->GetChild(i)->Position().SetPoint(x, y, 0);
    }
    if (TGLBaseSceneObject *selected = GLScene1->FindObject(SelectedDummyName))
        GLSelection->Position().SetPoint(selected->Position().X(), selected->Position().Y(),
                                         selected->Position().Z());
}

bool TfrmMain::RemovePicture() {
    if (SelectedDummyName.isEmpty())
        return false;
    try {
        TGLBaseSceneObject *holder = GLScene1->FindObject(SelectedDummyName);
        if (!holder)
            throw OrvantaError(QStringLiteral("Picture %1 not found").arg(SelectedDummyName));
        ForgetNodesUnder(holder);
        for (int i = holder->ChildCount() - 1; i >= 0; --i) {
            auto *plane = dynamic_cast<TGLPlane *>(holder->GetChild(i));
            if (!plane)
                continue;
            if (TGLLibMaterial *material = GLMatLib1->FindLibMaterial(plane->Material().LibMaterialName())) {
                material->Material().Texture().SetDisabled(true);
                material->Material().Texture().DestroyTextureHandle();
                GLMatLib1->Materials().Remove(material);
            }
            delete plane;
        }
        delete holder;
        return true;
    } catch (const std::exception &e) {
        const auto *o = dynamic_cast<const OrvantaError *>(&e);
        ShowErrorBox(this, QStringLiteral("Cannot remove picture!\r\n\r\nError: ") +
                               (o ? o->Message() : QString::fromLocal8Bit(e.what())));
        return false;
    }
}

void TfrmMain::mniRemovePictureClick() {
    if (RemovePicture())
        ResetSelection();
}

void TfrmMain::mniRemoveAllPicturesClick() {
    ResetGLDummyColumns(true);
    ClearFolderFileList();
}

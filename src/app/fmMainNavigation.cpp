// Navigation: the per-frame update that glides the camera, keys, mouse and wheel, framing a
// node or the whole wall, and stepping through the wall or a picture's folder.

#include "app/fmMain.h"

#include "app/PictureLoadQueue.h"
#include "platform/KeyState.h"
#include "scene/GLCadencer.h"
#include "scene/GLCamera.h"
#include "scene/GLGeomObjects.h"
#include "scene/GLHUDObjects.h"
#include "scene/GLMaterial.h"
#include "scene/GLObjects.h"
#include "scene/GLScene.h"
#include "scene/GLSceneViewer.h"
#include "settings/gRegistry.h"
#include "settings/gVars.h"
#include "util/FileOps.h"
#include "util/Links.h"
#include "util/ShellOps.h"
#include "util/gUtils.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <typeinfo>

namespace {

// v closes the fraction k of its distance to g (written through the setter only on a change).
template <class Get, class Set> void Glide(Get get, Set set, float g, float k) {
    float v = get();
    if (v > g) {
        v = v - std::fabs(v - g) * k;
        set(v);
    }
    v = get();
    if (v < g) {
        v = v + std::fabs(v - g) * k;
        set(v);
    }
}

} // namespace

bool TfrmMain::IsPicturePlane(const TGLBaseSceneObject *node) const {
    return node && typeid(*node) == typeid(TGLPlane) && node->Parent() && node->Parent()->Parent() == GLDummyColumns;
}

void TfrmMain::GLCadencer1Progress(double deltaTime, double) {
    const float dt = float(deltaTime);
    const float kDepth = 1.2f * dt, kPosition = 3.0f * dt, kTarget = 3.5f * dt;
    TGLCamera *cam = GLCamera1;
    Glide([&] { return cam->SceneScale(); }, [&](float v) { cam->SetSceneScale(v); }, GoalSceneScale, kDepth);
    Glide([&] { return cam->Position().Z(); }, [&](float v) { cam->Position().SetZ(v); }, GoalZ, kDepth);
    Glide([&] { return cam->Position().X(); }, [&](float v) { cam->Position().SetX(v); }, GoalX, kPosition);
    Glide([&] { return cam->Position().Y(); }, [&](float v) { cam->Position().SetY(v); }, GoalY, kPosition);
    Glide([&] { return DCTarget->Position().X(); }, [&](float v) { DCTarget->Position().SetX(v); }, GoalX, kTarget);
    Glide([&] { return DCTarget->Position().Y(); }, [&](float v) { DCTarget->Position().SetY(v); }, GoalY, kTarget);
    DCTarget->Position().SetZ(cam->Position().Z() + 8);
    cam->MarkTransformChanged();

    if (PickPending) {
        PickPending = false;
        PickedObject = GLSceneViewer1->PickAt(PickX, PickY);
        for (int i = 0; !PickedObject && i < 6; ++i)
            PickedObject = GLSceneViewer1->PickAt(PickX + int(std::nearbyint(5 * std::sin(double(i)))),
                                                  PickY + int(std::nearbyint(5 * std::cos(double(i)))));
        if (IsPicturePlane(PickedObject)) {
            auto *plane = static_cast<TGLPlane *>(PickedObject);
            auto *holder = static_cast<TGLCustomSceneObject *>(plane->Parent());
            const bool same = holder->Name() == SelectedDummyName;
            if (!same || ZoomOnPick || FramedNode == GLDummyExtens) {
                if (ZoomOnPick || (!same && gVars.chkJustClickToInqudre))
                    Inquadra(holder, true);
                SelectedDummyName = holder->Name();
                DrawAppCaption(ExtractFileName(holder->Hint()));
                SetHudText(GLHUDTextSize, FormatSizeText(plane->Hint()));
                SetHudText(GLHUDtextPath, holder->Hint());
            }
        } else if (PickedObject && PickedObject == GLHUDTextExit && HudText(GLHUDTextExit) == QStringLiteral("EXIT")) {
            close();
        }
        ZoomOnPick = false;
    }

    if (SelectedDummyName != ShownSelection) {
        ShownSelection = SelectedDummyName;
        if (!SelectedDummyName.isEmpty()) {
            GLSelection->SetVisible(gVars.chkShowPictureSelector);
            if (TGLBaseSceneObject *holder = GLScene1->FindObject(SelectedDummyName))
                GLSelection->Position().SetPoint(holder->Position().X(), holder->Position().Y(),
                                                 holder->Position().Z());
        } else {
            GLSelection->SetVisible(false);
            SetHudText(GLHUDTextSize, QString());
            SetHudText(GLHUDtextPath, QString());
        }
    }

    if (isActiveWindow() && QApplication::activeModalWidget() == nullptr) {
        using platform::KeyState;
        const float boost = KeyState::ShiftHeld() ? 4 : 1;
        if ((KeyState::KeyHeld(Qt::Key_Minus, true) || ZoomOutHeld) && GoalZ > -400)
            GoalZ = GoalZ - float(gVars.trkKeyZoomSpeed) * dt * 0.1f;
        if (KeyState::KeyHeld(Qt::Key_Plus, true) || ZoomInHeld) {
            const float t = GoalZ + float(gVars.trkKeyZoomSpeed) * dt * 0.1f;
            GoalZ = t >= -1 ? -1 : t;
        }
        const float m = float(gVars.trkKeyMoveSpeed) * dt * boost * 0.15f;
        const bool left = KeyState::KeyHeld(Qt::Key_Left) || KeyState::CharKeyHeld('A');
        const bool right = KeyState::KeyHeld(Qt::Key_Right) || KeyState::CharKeyHeld('D');
        const float sx = gVars.chkInvertLeftRightKeys ? -1.0f : 1.0f;
        if (left) GoalX -= sx * m;
        if (right) GoalX += sx * m;
        const bool up = KeyState::KeyHeld(Qt::Key_Up) || KeyState::CharKeyHeld('W');
        const bool down = KeyState::KeyHeld(Qt::Key_Down) || KeyState::CharKeyHeld('S');
        const float sy = gVars.chkInvertUpDownKeys ? -1.0f : 1.0f;
        if (up) GoalY -= sy * m;
        if (down) GoalY += sy * m;
    }
}

void TfrmMain::Inquadra(TGLBaseSceneObject *node, bool withDistance) {
    if (!node)
        return;
    if (withDistance)
        GoalZ = node->Position().Z() - node->BoundingRadius() * float(gVars.trkDistanceToObject) * 0.0106f;
    FramedNode = node;
    GoalX = node->Position().X();
    GoalY = node->Position().Y();
}

void TfrmMain::GetCubeExtensXYAndPivot(TGLBaseSceneObject *node, float &size, float &pivotX, float &pivotY) {
    if (node->ChildCount() == 0) {
        size = 20;
        pivotX = pivotY = 0;
        return;
    }
    double minX = 3.4e38, minY = 3.4e38, maxX = -3.4e38, maxY = -3.4e38;
    for (int i = 0; i < node->ChildCount(); ++i) {
        auto *c = dynamic_cast<TGLDummyCube *>(node->GetChild(i));
        const double h = c ? c->CubeSize() / 2.0 : 0.5;
        const double x = node->GetChild(i)->Position().X(), y = node->GetChild(i)->Position().Y();
        minX = std::min(minX, x - h);
        maxX = std::max(maxX, x + h);
        minY = std::min(minY, y - h);
        maxY = std::max(maxY, y + h);
    }
    size = float(std::max(maxX - minX, maxY - minY));
    pivotX = float((minX + maxX) / 2);
    pivotY = float((minY + maxY) / 2);
}

void TfrmMain::ZoomAll() {
    float size, pivotX, pivotY;
    GetCubeExtensXYAndPivot(GLDummyColumns, size, pivotX, pivotY);
    if (size > 0) {
        size = std::min(size, 100.0f);
        GLDummyExtens->SetCubeSize(size);
        GLDummyExtens->Position().SetPoint(pivotX, pivotY, 0);
        Inquadra(GLDummyExtens, true);
    } else {
        Inquadra(GLDummyColumns, true);
    }
}

void TfrmMain::ResetSelection() {
    SelectedDummyName.clear();
    DrawAppCaption(QString());
}

void TfrmMain::GoToDummy(TNavigate direction) {
    if (PictureCount() >= 2) {
        TGLBaseSceneObject *selected = GLScene1->FindObject(SelectedDummyName);
        const int p = selected ? GLDummyColumns->ChildIndex(selected) : -1;
        const int last = PictureCount() - 1;
        int i = 0;
        switch (direction) {
        case NavigateNext: i = p < 0 ? 0 : p + 1; if (i > last) i = 0; break;
        case NavigatePrevious: i = p - 1; if (i < 0) i = last; break;
        case NavigateFirst: i = 0; break;
        case NavigateLast: i = last; break;
        }
        Inquadra(GLDummyColumns->GetChild(i), false);
        SelectObjectByChild(i);
        return;
    }
    if (LoadRunning())
        return;
    // Zero or one picture: step through the files of the folder.
    ClearFolderFileList();
    QString folder;
    if (PictureCount() == 0) {
        folder = RegReadString(kRegKeyValues, QStringLiteral("CP"));
        if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
            folder = GetMyPicturesFolder();
    } else {
        folder = ExtractFilePath(static_cast<TGLCustomSceneObject *>(GLDummyColumns->GetChild(0))->Hint());
    }
    ListFolderPictures(FolderFileList, folder);
    if (FolderFileList.empty()) {
        Inquadra(GLDummyColumns, true);
        ResetSelection();
        SelectObjectByChild(0);
        return;
    }
    const int last = int(FolderFileList.size()) - 1;
    int k = -1;
    if (PictureCount() == 1) {
        const QString hint = static_cast<TGLCustomSceneObject *>(GLDummyColumns->GetChild(0))->Hint();
        for (int j = 0; j <= last; ++j)
            if (FolderFileList[size_t(j)].Path() == hint) {
                k = j;
                break;
            }
    }
    switch (direction) {
    case NavigateNext: k = k == last ? 0 : k + 1; break;
    case NavigatePrevious: k = k < 1 ? last : k - 1; break;
    case NavigateFirst: k = 0; break;
    case NavigateLast: k = last; break;
    }
    const bool wasEmpty = PictureCount() == 0;
    if (gVars.chkShowLoadingText)
        GLHUDTextLoading->SetVisible(true);
    RepaintViewer();
    ++loadDepth_;
    ResetGLDummyColumns(false);
    AddPic(FolderFileList[size_t(k)].Path());
    --loadDepth_;
    GLHUDTextLoading->SetVisible(false);
    RepaintViewer();
    if (wasEmpty && PictureCount() > 0)
        Inquadra(GLDummyColumns->GetChild(0), true);
    SelectObjectByChild(0);
    RunDeferredWork();
}

// --- keys ----------------------------------------------------------------------------------

bool TfrmMain::focusNextPrevChild(bool) { return false; }  // Tab is a navigation key here

bool TfrmMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == GLSceneViewer1) {
        switch (event->type()) {
        case QEvent::KeyPress:
            keyPressEvent(static_cast<QKeyEvent *>(event));
            return true;
        case QEvent::KeyRelease:
            keyReleaseEvent(static_cast<QKeyEvent *>(event));
            return true;
        case QEvent::DragEnter: {
            auto *e = static_cast<QDragEnterEvent *>(event);
            if (e->mimeData()->hasUrls() && (e->possibleActions() & Qt::CopyAction)) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
            } else {
                e->ignore();
            }
            return true;
        }
        case QEvent::DragMove: {
            auto *e = static_cast<QDragMoveEvent *>(event);
            e->setDropAction(Qt::CopyAction);
            e->accept();
            return true;
        }
        case QEvent::Drop: {
            auto *e = static_cast<QDropEvent *>(event);
            QStringList paths;
            for (const QUrl &url : e->mimeData()->urls())
                if (url.isLocalFile())
                    paths.append(url.toLocalFile());
            e->setDropAction(Qt::CopyAction);
            e->accept();
            if (!paths.isEmpty())
                QMetaObject::invokeMethod(this, [this, paths] { DropFileTargetSceneDrop(paths); }, Qt::QueuedConnection);
            return true;
        }
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::keyPressEvent(QKeyEvent *event) {
    platform::KeyState::KeyPressed(event->key(), event->modifiers(), event->isAutoRepeat());
    if (!event->text().isEmpty() || event->key() == Qt::Key_Escape)
        FormKeyPress(event->key() == Qt::Key_Escape ? QChar(0x1B) : event->text().at(0));
    event->accept();
}

void TfrmMain::keyReleaseEvent(QKeyEvent *event) {
    platform::KeyState::KeyReleased(event->key(), event->modifiers(), event->isAutoRepeat());
    if (!event->isAutoRepeat())
        FormKeyUp(event->key(), event->modifiers());
    event->accept();
}

void TfrmMain::FormKeyPress(QChar c) {
    StopSlideShow();
    if (c != QChar(0x1B))
        return;
    if (LoadingPictures)
        StopLoading = true;
    else if (IsFullScreen())
        ToggleFullScreen();
    else
        close();
}

void TfrmMain::FormKeyUp(int key, Qt::KeyboardModifiers shift) {
    const bool wasRunning = SlideShowRunning();
    StopSlideShow();
    const bool alt = shift & Qt::AltModifier, ctrl = shift & Qt::ControlModifier, sh = shift & Qt::ShiftModifier;
    const bool keypad = shift & Qt::KeypadModifier;
    switch (key) {
    case Qt::Key_Space: GoToDummy(NavigateNext); break;
    case Qt::Key_Backspace: GoToDummy(NavigatePrevious); break;
    case Qt::Key_Home: GoToDummy(NavigateFirst); break;
    case Qt::Key_End: GoToDummy(NavigateLast); break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!alt)
            GoToDummy((sh || key == Qt::Key_Backtab) ? NavigatePrevious : NavigateNext);
        break;
    case Qt::Key_Insert:
    case Qt::Key_F3:
        if (sh) BrowseFolder(); else BrowsePicture();
        break;
    case Qt::Key_Delete:
        if (!alt && !ctrl)
            DeletePicture();
        break;
    case Qt::Key_F4: OpenOptions(); break;
    case Qt::Key_R: RotatePictue(); break;
    case Qt::Key_M: MirrorPicture(); break;
    case Qt::Key_T: TilePicture(); break;
    case Qt::Key_F5: ReloadImages(); break;
    case Qt::Key_F11:
        if (!wasRunning)
            StartSlideShow();
        break;
    case Qt::Key_F1: ShellOpen(ProductSiteLink(kPathProgramHelp)); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!SelectedDummyName.isEmpty()) {
            Inquadra(GLScene1->FindObject(SelectedDummyName), true);
            if (alt)
                ToggleFullScreen();
        } else if (alt) {
            ToggleFullScreen();
        }
        break;
    case Qt::Key_Asterisk:
        if (keypad) ZoomAll();
        break;
    default: break;
    }
}

void TfrmMain::wheelEvent(QWheelEvent *event) {
    FormMouseWheel(event->modifiers(), event->angleDelta().y());
    event->accept();
}

void TfrmMain::FormMouseWheel(Qt::KeyboardModifiers, int wheelDelta) {
    const float f = float(gVars.trkWheelZoomSpeed) * 0.0003f;
    if (wheelDelta > 0) {
        const float t = GoalZ + float(wheelDelta) * f;
        GoalZ = t >= -1 ? -1 : t;
    } else if (wheelDelta < 0 && GoalZ > -400) {
        GoalZ = GoalZ + float(wheelDelta) * f;
    }
}

// --- mouse ---------------------------------------------------------------------------------

void TfrmMain::GLSceneViewer1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    StopSlideShow();
    if (button != Qt::LeftButton)
        return;
    PickX = x;
    PickY = y;
    PickPending = true;
    // Pressed look of every button under the point.
    bool pressed = false;
    for (int i = 0; i < 7; ++i)
        if (ButtonHit(i, x, y)) {
            GLMatLib2->Materials().Items(i)->Material().Texture().SetImageBrightness(1.5f);
            pressed = true;
        }
    if (pressed) {
        timKeysOff->start();
        RepaintViewer();
    }
    // The first button hit acts; the click is then no pick.
    for (int i = 0; i < 7; ++i) {
        if (!ButtonHit(i, x, y))
            continue;
        PickPending = false;
        switch (i) {
        case 0: GoToDummy(NavigateNext); break;
        case 1: GoToDummy(NavigatePrevious); break;
        case 2: BrowsePicture(); break;
        case 3: ZoomAll(); break;
        case 4: ToggleFullScreen(); break;
        case 5: ZoomInHeld = true; break;
        case 6: ZoomOutHeld = true; break;
        }
        break;
    }
}

void TfrmMain::GLSceneViewer1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y) {
    if (!(buttons & (Qt::LeftButton | Qt::RightButton))) {
        // Hover look: full colour under the pointer, grey elsewhere.
        for (int i = 0; i < 7; ++i) {
            TGLTexture &t = GLMatLib2->Materials().Items(i)->Material().Texture();
            if (ButtonHit(i, x, y)) {
                t.SetTextureFormat(tfRGB16);
            } else {
                t.SetTextureFormat(tfIntensity);
                ZoomInHeld = ZoomOutHeld = false;
            }
        }
    }
    if ((buttons & Qt::LeftButton) && PickX != -9999 && PickY != -9999) {
        for (int i = 0; i < 7; ++i)
            if (ButtonHit(i, x, y))
                return;
        if (x < PickX)
            GoalX -= float((PickX - x) * gVars.trkMouseMoveSpeedH) * 0.0008f;
        else if (x > PickX)
            GoalX += float((x - PickX) * gVars.trkMouseMoveSpeedH) * 0.0008f;
        if (y < PickY)
            GoalY -= float((PickY - y) * gVars.trkMouseMoveSpeedV) * 0.0008f;
        else if (y > PickY)
            GoalY += float((y - PickY) * gVars.trkMouseMoveSpeedV) * 0.0008f;
        PickX = x;
        PickY = y;
        ZoomInHeld = ZoomOutHeld = false;
    }
}

void TfrmMain::GLSceneViewer1DblClick() { ZoomOnPick = IsPicturePlane(PickedObject); }

#include "app/fmMain.h"

#include "app/PictureLoadQueue.h"
#include "app/ProgramEntry.h"
#include "picture/ImageDLLLoader.h"
#include "picture/PictureFormats.h"
#include "platform/Errors.h"
#include "platform/InstanceChannel.h"
#include "platform/KeyState.h"
#include "scene/ButtonArt.h"
#include "scene/GLCadencer.h"
#include "scene/GLGeomObjects.h"
#include "scene/GLHUDObjects.h"
#include "scene/GLSkydome.h"
#include "scene/GLWindowsFont.h"
#include "scene/GLCamera.h"
#include "scene/GLMaterial.h"
#include "scene/GLObjects.h"
#include "scene/GLScene.h"
#include "scene/GLSceneViewer.h"
#include "settings/Options.h"
#include "settings/gRegistry.h"
#include "settings/gVars.h"
#include "util/WorkFolder.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <cmath>

std::function<void(QWidget *, const QString &)> TfrmMain::ShowErrorBox = [](QWidget *parent, const QString &text) {
    QMessageBox::critical(parent, QStringLiteral("Orvanta"), text, QMessageBox::Ok);
};

std::function<void(QWidget *, const QString &)> TfrmMain::ShowInfoBox = [](QWidget *parent, const QString &text) {
    QMessageBox::information(parent, QStringLiteral("Orvanta"), text, QMessageBox::Ok);
};


namespace {

// The plug-in loader lives as long as the program: the decoders it registered stay usable.
TImageDLLLoader &PluginLoader() {
    static TImageDLLLoader loader;
    return loader;
}

TGLColor ColorFromOption(int32_t color, float alpha = 1) {
    const uint32_t c = uint32_t(color);
    return {float(c & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f, float((c >> 16) & 0xFF) / 255.0f, alpha};
}

} // namespace

template <class T> T *TfrmMain::MakeNode(TGLBaseSceneObject *parent, const QString &name) {
    T *node = new T(&components_);
    parent->AppendChild(node);
    node->SetName(name);
    return node;
}

TfrmMain::TfrmMain(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(798, 598);
    setMinimumSize(264 - 8, 198 - 27);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    CreateComponents();
    CreateSceneTree();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    FormDestroy();
    // The viewer goes first: it refers to the scene, the camera and the materials.
    if (GLCadencer1)
        GLCadencer1->SetEnabled(false);
    delete GLSceneViewer1;
    GLSceneViewer1 = nullptr;
    PickedObject = nullptr;
    FramedNode = nullptr;
    GLCadencer1.reset();
    GLScene1.reset();
    GLWindowsBitmapFont1.reset();
    GLWindowsBitmapFont2.reset();
    GLMatLib1.reset();
    GLMatLib2.reset();
}

void TfrmMain::CreateComponents() {
    GLScene1 = std::make_unique<TGLScene>(&components_);
    GLMatLib1 = std::make_unique<TGLMaterialLibrary>();
    GLMatLib1->SetName(QStringLiteral("GLMatLib1"));
    GLMatLib2 = std::make_unique<TGLMaterialLibrary>();
    GLMatLib2->SetName(QStringLiteral("GLMatLib2"));
    LoadButtonMaterials(*GLMatLib2);
    TGLFontDescription font1;
    font1.Height = -13;
    font1.Bold = true;
    GLWindowsBitmapFont1 = std::make_unique<TGLWindowsBitmapFont>(font1);
    TGLFontDescription font2;
    font2.Height = -32;
    font2.Bold = true;
    GLWindowsBitmapFont2 = std::make_unique<TGLWindowsBitmapFont>(font2);
    GLWindowsBitmapFont2->SetMagFilter(maNearest);
    GLWindowsBitmapFont2->SetMinFilter(miNearest);

    GLSceneViewer1 = new TGLSceneViewer(this);
    GLSceneViewer1->setObjectName(QStringLiteral("GLSceneViewer1"));
    GLSceneViewer1->SetVSync(vsmSync);
    GLSceneViewer1->setGeometry(0, 0, width(), height());
    GLSceneViewer1->setFocusPolicy(Qt::StrongFocus);
    GLSceneViewer1->installEventFilter(this);
    TGLSceneBuffer &buffer = GLSceneViewer1->Buffer();
    buffer.SetBackgroundColor({1, 1, 1, 1});
    buffer.AmbientColor = {0, 0, 0, 1};
    buffer.FaceCulling = false;
    buffer.Lighting = false;
    buffer.ShadeModel = smSmooth;

    GLCadencer1 = std::make_unique<TGLCadencer>();
    GLCadencer1->SetScene(GLScene1.get());
    GLCadencer1->SetEnabled(false);
    GLCadencer1->MaxDeltaTime = 0.05;
    GLCadencer1->SetMode(cmApplicationIdle);
    GLCadencer1->OnProgress = [this](TGLCadencer *, double dt, double t) { GLCadencer1Progress(dt, t); };

    CreatePopupMenu();

    auto timer = [this](QTimer *&t, const char *name, int interval, bool singleShot) {
        t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(interval);
        t->setSingleShot(singleShot);
        components_.Reserve(QString::fromLatin1(name), t);
    };
    timer(timKeysOff, "timKeysOff", 100, true);
    timer(timLogo, "timLogo", 1000, true);
    timer(timSlideShow, "timSlideShow", 3000, false);
    connect(timKeysOff, &QTimer::timeout, this, [this] { timKeysOffTimer(); });
    connect(timSlideShow, &QTimer::timeout, this, [this] { timSlideShowTimer(); });
    connect(timLogo, &QTimer::timeout, this, [this] {
        timLogo->stop();
        if (GLHUDTextLogo)
            GLHUDTextLogo->SetVisible(false);
    });

    loadQueue_ = new PictureLoadQueue(this);

    connect(GLSceneViewer1, &TGLSceneViewer::mouseDown, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) { GLSceneViewer1MouseDown(b, m, x, y); });
    connect(GLSceneViewer1, &TGLSceneViewer::mouseMove, this,
            [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, int x, int y) { GLSceneViewer1MouseMove(b, m, x, y); });
    connect(GLSceneViewer1, &TGLSceneViewer::doubleClick, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { GLSceneViewer1DblClick(); });
}

void TfrmMain::CreateSceneTree() {
    TGLBaseSceneObject *root = GLScene1->Objects();
    GLSkyDome1 = MakeNode<TGLSkyDome>(root, QStringLiteral("GLSkyDome1"));
    GLSkyDome1->Direction().SetVector(0, 0.96592581f, 0.25881904f);
    GLSkyDome1->Up().SetVector(0, 0.25881907f, -0.96592581f);
    GLSkyDome1->SetPitchAngle(75);
    const TGLColor sky{0.451f, 0.6f, 0.902f, 1}, white{1, 1, 1, 1}, deep{0, 0.2f, 0.4f, 1};
    const struct { float start, stop; TGLColor from, to; } bands[4] = {
        {-15, 0, sky, white}, {0, 35, white, sky}, {35, 90, sky, sky}, {-90, -15, deep, sky}};
    for (const auto &b : bands) {
        TSkyDomeBand &band = GLSkyDome1->AddBand();
        band.SetStartAngle(b.start);
        band.SetStopAngle(b.stop);
        band.SetStartColor(b.from);
        band.SetStopColor(b.to);
        band.SetSlices(8);
        band.SetStacks(4);
    }

    GLDummyScene1 = MakeNode<TGLDummyCube>(root, QStringLiteral("GLDummyScene1"));
    GLDummyScene1->SetCubeSize(5);
    GLDummyScene1->Direction().SetVector(0, 0.17364818f, 0.98480773f);
    GLDummyScene1->Up().SetVector(0, 0.98480773f, -0.17364818f);
    GLDummyScene1->SetPitchAngle(10);

    GLSelection = MakeNode<TGLAnnulus>(GLDummyScene1, QStringLiteral("GLSelection"));
    GLSelection->SetVisible(false);
    GLSelection->Direction().SetVector(0.70710677f, 0.70710677f, 0);
    GLSelection->Up().SetVector(0, 0, -1);
    GLSelection->SetPitchAngle(90);
    GLSelection->SetTurnAngle(45);
    GLSelection->SetBottomRadius(15);
    GLSelection->SetTopRadius(15);
    GLSelection->SetBottomInnerRadius(14.6f);
    GLSelection->SetTopInnerRadius(14.6f);
    GLSelection->SetHeight(0.2f);
    GLSelection->SetSlices(4);
    GLSelection->SetStacks(1);
    GLSelection->SetParts(anTop);
    GLSelection->Material().FrontProperties().SetDiffuse({1, 1, 1, 1});
    GLSelection->Material().FrontProperties().SetAmbient({0, 0, 0, 1});
    GLSelection->Material().Texture().SetImageAlpha(tiaAlphaFromIntensity);
    GLSelection->Material().SetBlendingMode(bmOpaque);

    DCTarget = MakeNode<TGLDummyCube>(GLDummyScene1, QStringLiteral("DCTarget"));
    DCTarget->SetVisible(false);
    DCTarget->SetCubeSize(5);
    GLDummyText = MakeNode<TGLDummyCube>(GLDummyScene1, QStringLiteral("GLDummyText"));
    GLDummyText->SetCubeSize(1);
    GLDummyColumns = MakeNode<TGLDummyCube>(GLDummyScene1, QStringLiteral("GLDummyColumns"));
    GLDummyColumns->SetCubeSize(20);

    auto hud = [this](const char *name, float x, float y, const QString &text, TGLWindowsBitmapFont *font,
                      TAlignment alignment, TTextLayout layout) {
        auto *node = MakeNode<TGLHUDText>(GLDummyScene1, QString::fromLatin1(name));
        node->Position().SetPoint(x, y, 0);
        node->SetBitmapFont(font);
        node->SetAlignment(alignment);
        node->SetLayout(layout);
        node->SetText(text);
        return node;
    };
    TGLWindowsBitmapFont *f1 = GLWindowsBitmapFont1.get(), *f2 = GLWindowsBitmapFont2.get();
    GLHUDtextPath = hud("GLHUDtextPath", 0, 10, QString(), f1, taCenter, tlTop);
    GLHUDtextPath->Scale().SetVector(0.6f, 1, 1);
    GLHUDTextExit = hud("GLHUDTextExit", 798, 32, QStringLiteral("EXIT"), f1, taRightJustify, tlTop);
    GLHUDTextExit->SetRotation(-45);
    GLHUDTextSize = hud("GLHUDTextSize", 165, 450, QString(), f1, taCenter, tlBottom);
    GLHUDTextSize->Scale().SetVector(1, 2, 1);
    GLHUDTextLogo = hud("GLHUDTextLogo", 400, 300, QString(), f2, taCenter, tlCenter);
    GLHUDTextLogo->SetModulateColor({1, 1, 1, 0.5f});
    GLHUDTextLoading = hud("GLHUDTextLoading", 5, 10, QStringLiteral("Loading..."), f1, taLeftJustify, tlTop);
    GLHUDTextLoading->SetVisible(false);
    GLHUDTextLoading->Scale().SetVector(0.6f, 1, 1);
    GLHUDTextFck = hud("GLHUDTextFck", -20, -20, QStringLiteral("X"), f1, taLeftJustify, tlTop);

    GLDummyKeys = MakeNode<TGLDummyCube>(GLDummyScene1, QStringLiteral("GLDummyKeys"));
    GLDummyKeys->SetCubeSize(1);
    const float spritePos[7][2] = {{100, 256}, {60, 256}, {20, 256}, {20, 215}, {20, 174}, {60, 215}, {100, 215}};
    for (int i = 0; i < 7; ++i) {
        GLHUDSprite[i] = MakeNode<TGLHUDSprite>(GLDummyKeys, QStringLiteral("GLHUDSprite%1").arg(i + 1));
        GLHUDSprite[i]->Position().SetPoint(spritePos[i][0], spritePos[i][1], 0);
        GLHUDSprite[i]->SetWidth(40);
        GLHUDSprite[i]->SetHeight(40);
        GLHUDSprite[i]->Material().SetMaterialLibrary(GLMatLib2.get());
        GLHUDSprite[i]->Material().SetLibMaterialName(GLMatLib2->Materials().Items(i)->Name());
    }

    GLDummyExtens = MakeNode<TGLDummyCube>(GLDummyScene1, QStringLiteral("GLDummyExtens"));
    GLDummyExtens->SetVisible(false);
    GLDummyExtens->SetCubeSize(1);

    GLCamera1 = MakeNode<TGLCamera>(GLDummyScene1, QStringLiteral("GLCamera1"));
    GLCamera1->SetDepthOfView(2048);
    GLCamera1->SetFocalLength(25);
    GLCamera1->SetTargetObject(DCTarget);
    GLCamera1->Position().SetPoint(0, 0, -20);
    GLCamera1->Direction().SetVector(0, 0, 1);
    GLCamera1->Up().SetVector(0, 1, 0);
    GLSceneViewer1->SetCamera(GLCamera1);
}

QString TfrmMain::HudText(const TGLHUDText *node) { return node ? node->Text() : QString(); }

void TfrmMain::SetHudText(TGLHUDText *node, const QString &text) {
    if (node)
        node->SetText(text);
}

bool TfrmMain::ButtonHit(int index, int x, int y) const {
    const TGLHUDSprite *b = GLHUDSprite[index];
    if (!b->Visible())
        return false;
    const float px = b->Position().X(), py = b->Position().Y();
    return px - b->Width() / 2 <= float(x) && float(x) <= px + b->Width() / 2 && py - b->Height() / 2 <= float(y) &&
           float(y) <= py + b->Height() / 2;
}

void TfrmMain::timKeysOffTimer() {
    timKeysOff->stop();
    for (int i = 0; i < GLMatLib2->Materials().Count() && i < 7; ++i)
        GLMatLib2->Materials().Items(i)->Material().Texture().SetImageBrightness(1.1f);
}

void TfrmMain::FormCreate() {
    DrawAppCaption(QString());
    FolderFileList.clear();
    if (!CheckOpenGL())
        return;
    openGLOk_ = true;
    PluginLoader().FindPluginDecoders(ProgramFolder.isEmpty() ? QCoreApplication::applicationDirPath() : ProgramFolder);

    SetMenuShortcutLabels();

    if (!gVars.chkMultiSessions) {
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect r = screen->availableGeometry();
            move(r.center() - QPoint(width() / 2, height() / 2));
        }
    }

    PictureExtensions = BuildPictureExtensions();
    SetHudText(GLHUDTextLogo, QStringLiteral("Orvanta"));
    Inquadra(GLDummyColumns, true);

    if (!RegReadString(kRegKeyScreen, QStringLiteral("FullScreen")).isEmpty())
        SetFullScreen();
    else
        SetWindowScreen();
    timLogo->start();
    GLCadencer1->SetEnabled(true);
    SetUpMostNonDynamicOptions();
    formCreated_ = true;

    // The command line is read once the window is up, so a long load already shows the wall
    // growing; the start-up folder follows when the command line brought nothing.
    QTimer::singleShot(0, this, [this] {
        LoadFromParams();
        if (PictureCount() == 0)
            LoadStartUpFolder();
    });
}

void TfrmMain::FormDestroy() {
    if (GLCadencer1)
        GLCadencer1->SetEnabled(false);
    loadQueue_->Clear();
    ClearFolderFileList();
    RemoveWorkFolder();
}

bool TfrmMain::CheckOpenGL() {
    if (GLSceneViewer1->OpenGLAvailable())
        return true;
    ShowInfoBox(this, QStringLiteral("Sorry, no OpenGL! You must have a graphic card that support OpenGL."));
    return false;
}

void TfrmMain::DrawAppCaption(const QString &name) {
    const QString caption = name.isEmpty() ? QStringLiteral("Orvanta") : name + QStringLiteral(" - Orvanta");
    setWindowTitle(caption);
}

void TfrmMain::SetUpMostNonDynamicOptions() {
    GLHUDTextSize->SetVisible(gVars.chkShowPictureSize);
    GLHUDtextPath->SetVisible(gVars.chkShowPictureFullPath);
    const TGLColor text = ColorFromOption(gVars.shpTextColor);
    for (TGLHUDText *t : {GLHUDTextSize, GLHUDtextPath, GLHUDTextExit, GLHUDTextLoading})
        t->SetModulateColor(text);
    GLHUDTextLogo->SetModulateColor(ColorFromOption(gVars.shpTextColor, 0.5f));
    GLHUDSprite[0]->SetVisible(gVars.chkShowPreviousNext);
    GLHUDSprite[1]->SetVisible(gVars.chkShowPreviousNext);
    GLHUDSprite[2]->SetVisible(gVars.chkShowBrowsePictures);
    GLHUDSprite[3]->SetVisible(gVars.chkShowZoomButtons);
    GLHUDSprite[5]->SetVisible(gVars.chkShowZoomButtons);
    GLHUDSprite[6]->SetVisible(gVars.chkShowZoomButtons);
    GLHUDSprite[4]->SetVisible(gVars.chkShowFullScreen);
    GLHUDTextExit->SetVisible(gVars.chkShowExit);
    if (!gVars.chkShowPictureSelector)
        GLSelection->SetVisible(false);
    if (!gVars.chkShowLoadingText)
        GLHUDTextLoading->SetVisible(false);
    GLSkyDome1->SetVisible(gVars.chkShowBackgroundSky);
    GLSceneViewer1->Buffer().SetBackgroundColor(ColorFromOption(gVars.shpBackgroundColor));
    timSlideShow->setInterval(gVars.spnSlideChangeTime * 1000);
    GLSceneViewer1->SetPointerVisible(gVars.chkShowMousePointer);
}

// --- screen modes --------------------------------------------------------------------------

bool TfrmMain::IsFullScreen() const { return mniFullScreen->isChecked(); }

void TfrmMain::ToggleFullScreen() {
    if (IsFullScreen())
        SetWindowScreen();
    else
        SetFullScreen();
}

void TfrmMain::SetFullScreen() {
    const bool wasVisible = isVisible();
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    if (!IsFullScreen()) {
        const QRect g = geometry();
        WindowedLeft = g.left();
        WindowedTop = g.top();
        WindowedWidth = g.width();
        WindowedHeight = g.height();
    }
    mniFullScreen->setChecked(true);
    if (wasVisible)
        showFullScreen();
    else
        setWindowState(windowState() | Qt::WindowFullScreen);
    if (QScreen *s = screen())
        setGeometry(s->geometry());
    resizeEvent(nullptr);
    CalculateSceneScale();
    try {
        RegWriteString(kRegKeyScreen, QStringLiteral("FullScreen"), QStringLiteral("T"));
    } catch (const OrvantaError &e) {
        ShowErrorBox(this, e.Message());
    }
}

void TfrmMain::SetWindowScreen() {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    const bool wasFull = IsFullScreen();
    mniFullScreen->setChecked(false);
    if (wasFull) {
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        if (isVisible())
            showNormal();
    }
    QRect g = geometry();
    if (WindowedLeft > 0) g.moveLeft(WindowedLeft);
    if (WindowedTop > 0) g.moveTop(WindowedTop);
    if (WindowedWidth > 0) g.setWidth(WindowedWidth);
    if (WindowedHeight > 0) g.setHeight(WindowedHeight);
    if (wasFull)
        setGeometry(g);
    resizeEvent(nullptr);
    CalculateSceneScale();
    RegDeleteValue(kRegKeyScreen, QStringLiteral("FullScreen"));
}

void TfrmMain::resizeEvent(QResizeEvent *event) {
    if (event)
        QWidget::resizeEvent(event);
    if (!GLSceneViewer1)
        return;
    if (IsFullScreen())
        GLSceneViewer1->setGeometry(1, 1, std::max(1, width() - 2), std::max(1, height() - 2));
    else
        GLSceneViewer1->setGeometry(0, 0, width(), height());
    if (formCreated_)
        CalculateSceneScale();
}

void TfrmMain::CalculateSceneScale() {
    const int W = GLSceneViewer1->width();
    const int H = GLSceneViewer1->height();
    GoalSceneScale = float(std::min(W, H)) / 500.0f;
    const float a = 40.0f / 2.0f;
    auto round = [](float v) { return float(std::nearbyint(v)); };
    GLHUDTextExit->Position().SetX(float(W) - 5);
    GLHUDTextSize->Position().SetX(float(W) / 2);
    GLHUDTextSize->Position().SetY(float(H));
    const float right = float(W) - a - 2, bottom = float(H) - a - 2;
    const float pos[7][2] = {{round(a + 2 + 41 + 41), round(bottom)}, {round(a + 2 + 41), round(bottom)},
                             {round(a + 2), round(bottom)},           {round(right), round(bottom)},
                             {round(a + 2), round(bottom - 42)},      {round(right), round(bottom - 42)},
                             {round(right - 41), round(bottom)}};
    for (int i = 0; i < 7; ++i) {
        GLHUDSprite[i]->Position().SetX(pos[i][0]);
        GLHUDSprite[i]->Position().SetY(pos[i][1]);
    }
    GLHUDTextLogo->Position().SetX(float(W) / 2);
    GLHUDTextLogo->Position().SetY(float(H) / 2);
    GLHUDtextPath->Position().SetX(float(W) / 2);
    PickX = -9999;
    PickY = -9999;
}

// --- hand-off, closing ---------------------------------------------------------------------

void TfrmMain::WMLoadParams(const QByteArray &activationToken) {
    platform::UseActivationToken(activationToken);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    LoadFromParams();
}

void TfrmMain::closeEvent(QCloseEvent *event) {
    // A load waits for its picture inside an event loop: end the load first, then close.
    if (LoadRunning()) {
        StopLoading = true;
        closeAfterLoad_ = true;
        event->ignore();
        return;
    }
    timSlideShow->stop();
    GLCadencer1->SetEnabled(false);
    event->accept();
}

void TfrmMain::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        platform::KeyState::Reset();
    QWidget::changeEvent(event);
}

void TfrmMain::RepaintViewer() {
    if (GLSceneViewer1 && GLSceneViewer1->isVisible())
        GLSceneViewer1->Repaint();
}

void TfrmMain::ForgetNodesUnder(TGLBaseSceneObject *node) {
    auto under = [node](TGLBaseSceneObject *n) {
        for (; n; n = n->Parent())
            if (n == node)
                return true;
        return false;
    };
    if (under(PickedObject))
        PickedObject = nullptr;
    if (under(FramedNode))
        FramedNode = nullptr;
}

void TfrmMain::StartSlideShow() {
    if (!SlideShowRunning())
        GoToDummy(NavigateNext);
    timSlideShow->stop();
    timSlideShow->setInterval(gVars.spnSlideChangeTime * 1000);
    timSlideShow->start();
}

void TfrmMain::timSlideShowTimer() {
    // A step that loads a picture lets events run; a tick that arrives meanwhile is dropped.
    if (!LoadRunning())
        GoToDummy(NavigateNext);
}

void TfrmMain::StopSlideShow() { timSlideShow->stop(); }
bool TfrmMain::SlideShowRunning() const { return timSlideShow->isActive(); }

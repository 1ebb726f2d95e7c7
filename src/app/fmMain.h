#pragma once
// TfrmMain: the main window. It owns the scene and its viewer, the picture wall, the frame
// clock, the timers, the context menu and the drop target, and wires the user's input to the
// operations of the wall. Its handlers are split by subject:
//   fmMain.cpp            creation, display options, caption, screen modes, closing
//   fmMainWall.cpp        adding, removing, re-laying and reloading pictures, selection
//   fmMainSources.cpp     command line, open dialog, folders, drops
//   fmMainNavigation.cpp  frame update, keys, mouse, wheel, framing and stepping
//   fmMainCommands.cpp    context menu, options, delete, save and send, links, picture tools

#include "app/FolderList.h"
#include "app/PicturePreparation.h"
#include "scene/GLComponents.h"

#include <QByteArray>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class PictureLoadQueue;
class QAction;
class QMenu;
class QTimer;
class TGLBaseSceneObject;
class TGLCadencer;
class TGLCamera;
class TGLCustomSceneObject;
class TGLDummyCube;
class TGLMaterialLibrary;
class TGLLibMaterial;
class TGLScene;
class TGLSceneViewer;
class TGLSkyDome;
class TGLAnnulus;
class TGLHUDText;
class TGLHUDSprite;
class TGLWindowsBitmapFont;

// Directions of GoToDummy.
enum TNavigate { NavigateNext = 0, NavigatePrevious = 1, NavigateFirst = 2, NavigateLast = 3 };

class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // --- components ----------------------------------------------------------------------
    TGLSceneViewer *GLSceneViewer1 = nullptr;
    std::unique_ptr<TGLScene> GLScene1;
    std::unique_ptr<TGLCadencer> GLCadencer1;
    std::unique_ptr<TGLMaterialLibrary> GLMatLib1;
    std::unique_ptr<TGLMaterialLibrary> GLMatLib2;
    std::unique_ptr<TGLWindowsBitmapFont> GLWindowsBitmapFont1;
    std::unique_ptr<TGLWindowsBitmapFont> GLWindowsBitmapFont2;
    // The context menu and its entries (sub-menus: mniTools, mniSendTo, mniSetasWallpaper,
    // mniHelp, mniMore).
    QMenu *PopupMenu1 = nullptr;
    QMenu *mniTools = nullptr, *mniSendTo = nullptr, *mniSetasWallpaper = nullptr, *mniHelp = nullptr,
          *mniMore = nullptr;
    QAction *mniBrowsePicture = nullptr, *mniBrowseFolder = nullptr, *mniNext = nullptr, *mniPrevious = nullptr,
            *mniStartSlideShow = nullptr, *mniZoomAll = nullptr, *mniFullScreen = nullptr, *mniRotate = nullptr,
            *mniMirror = nullptr, *mniTile = nullptr, *mniRemovePicture = nullptr, *mniRemoveAllPictures = nullptr,
            *mniCopyTo = nullptr, *mniDesktop = nullptr, *mniMyDocuments = nullptr, *mniMyPictures = nullptr,
            *mniWebBrowser = nullptr, *mniMailRecipient = nullptr, *mniDelete = nullptr,
            *mniProgramHelp = nullptr, *mniFAQ = nullptr, *mniHomepage = nullptr, *mniCheckforUpdate = nullptr,
            *mniAbout = nullptr, *mniCreditsTo = nullptr, *mniGetMoreProducts = nullptr,
            *mniRegisterToNewsletter = nullptr, *mniSellTamsorelProducts = nullptr,
            *mniTellaFriendSendEmail = nullptr, *mniOptions = nullptr, *mniExit = nullptr;
    QTimer *timKeysOff = nullptr;
    QTimer *timLogo = nullptr;
    QTimer *timSlideShow = nullptr;

    // --- scene nodes (names as in the scene tree) -----------------------------------------
    TGLSkyDome *GLSkyDome1 = nullptr;
    TGLDummyCube *GLDummyScene1 = nullptr;
    TGLAnnulus *GLSelection = nullptr;
    TGLDummyCube *DCTarget = nullptr;
    TGLDummyCube *GLDummyText = nullptr;
    TGLDummyCube *GLDummyColumns = nullptr;
    TGLHUDText *GLHUDtextPath = nullptr;
    TGLHUDText *GLHUDTextExit = nullptr;
    TGLHUDText *GLHUDTextSize = nullptr;
    TGLHUDText *GLHUDTextLogo = nullptr;
    TGLHUDText *GLHUDTextLoading = nullptr;
    TGLHUDText *GLHUDTextFck = nullptr;
    TGLDummyCube *GLDummyKeys = nullptr;
    TGLHUDSprite *GLHUDSprite[7] = {};  // GLHUDSprite1 .. GLHUDSprite7
    TGLDummyCube *GLDummyExtens = nullptr;
    TGLCamera *GLCamera1 = nullptr;

    // --- navigation and load state --------------------------------------------------------
    float GoalX = 0, GoalY = 0, GoalZ = 0, GoalSceneScale = 0;
    TGLBaseSceneObject *FramedNode = nullptr;
    bool PickPending = false;
    int PickX = -9999, PickY = -9999;
    bool ZoomOnPick = false, ZoomInHeld = false, ZoomOutHeld = false;
    TGLBaseSceneObject *PickedObject = nullptr;
    QString SelectedDummyName;
    QString ShownSelection;
    bool LoadingPictures = false;
    bool StopLoading = false;
    bool MaxPicturesMessageShown = false;
    TFolderFileList FolderFileList;
    int WindowedLeft = 0, WindowedTop = 0, WindowedWidth = 0, WindowedHeight = 0;

    // --- creation and display -------------------------------------------------------------
    bool CheckOpenGL();
    void DrawAppCaption(const QString &name);
    void SetUpMostNonDynamicOptions();
    void ToggleFullScreen();
    void SetFullScreen();
    void SetWindowScreen();
    bool IsFullScreen() const;
    void CalculateSceneScale();

    // --- the wall -------------------------------------------------------------------------
    int PictureCount() const;
    void AddPic(const QString &path);
    void ResetGLDummyColumns(bool redrawCaption);
    void SelectObjectByChild(int i);
    void SubProc0001(const QString &path);
    void ReloadImages();
    void RealignImages();
    bool RemovePicture();
    void mniRemovePictureClick();
    void mniRemoveAllPicturesClick();

    // --- sources --------------------------------------------------------------------------
    void LoadFromParams();
    void BrowsePicture();
    void BrowseFolder();
    // Adds the pictures of the paths (files and folders, in order) as one load.
    void DropFileTargetSceneDrop(const QStringList &paths);
    void ClearFolderFileList() { FolderFileList.clear(); }
    void AddFolderFile(const QString &folder, const QString &baseName, const QString &ext, int32_t size,
                       int32_t time, int32_t attr);
    // The start-up folder of chkLoadPicturesOnRun / edtRunAtStartUpFolder.
    void LoadStartUpFolder();

    // --- navigation -----------------------------------------------------------------------
    void GLCadencer1Progress(double deltaTime, double newTime);
    void Inquadra(TGLBaseSceneObject *node, bool withDistance);
    void GetCubeExtensXYAndPivot(TGLBaseSceneObject *node, float &size, float &pivotX, float &pivotY);
    void ZoomAll();
    void GoToDummy(TNavigate direction);
    void ResetSelection();
    void FormKeyUp(int key, Qt::KeyboardModifiers shift);
    void FormKeyPress(QChar c);
    void FormMouseWheel(Qt::KeyboardModifiers shift, int wheelDelta);
    void GLSceneViewer1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void GLSceneViewer1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void GLSceneViewer1DblClick();
    void StartSlideShow();
    void timSlideShowTimer();
    void StopSlideShow();
    bool SlideShowRunning() const;

    // --- context menu, options, file operations, picture tools (fmMainCommands.cpp) ---------
    void PopupMenu1Popup();
    // "Tile N×N", "Tile 1×1" or "Tile" for the selected picture.
    QString TileCaption() const;
    void OpenOptions();
    void DeletePicture();
    void RememberNeighbour();
    void SelectAfterDelete();
    void RotatePictue();
    void MirrorPicture();
    void TilePicture();
    // The file path of the selected picture; empty when none is selected.
    QString SelectedPicturePath() const;
    void mniCopyToClick();
    void mniDesktopClick();
    void mniMyDocumentsClick();
    void mniMyPicturesClick();
    void mniWebBrowserClick();
    void mniMailRecipientClick();
    void mniSetasWallpaperClick();
    void mniDeleteClick();
    void mniProgramHelpClick();
    void mniFAQClick();
    void mniHomepageClick();
    void mniCheckforUpdateClick();
    void mniAboutClick();
    void mniCreditsToClick();
    void mniGetMoreProductsClick();
    void mniRegisterToNewsletterClick();
    void mniSellTamsorelProductsClick();
    void mniTellaFriendSendEmailClick();
    void mniOptionsClick();
    void mniExitClick();

    // The text of an overlay text node.
    static QString HudText(const TGLHUDText *node);
    static void SetHudText(TGLHUDText *node, const QString &text);
    // Whether window point (x, y) hits screen button index (0 .. 6), which must be visible.
    bool ButtonHit(int index, int x, int y) const;
    void timKeysOffTimer();

    // What LoadFromParams loaded over the window's life: every picture path it added.
    const QStringList &ParamsPaths() const { return paramsPaths_; }
    int LoadFromParamsCalls() const { return loadFromParamsCalls_; }
    // Whether a load (of one or several pictures) is running now.
    bool LoadRunning() const { return loadDepth_ > 0; }
    PictureLoadQueue &LoadQueue() { return *loadQueue_; }

    // Told every progress text of a load ("Loading picture k/n"), for tests and tools.
    std::function<void(const QString &text)> ProgressObserver;

    // Message boxes go through these, so tests can answer them.
    static std::function<void(QWidget *parent, const QString &text)> ShowErrorBox;
    static std::function<void(QWidget *parent, const QString &text)> ShowInfoBox;

public Q_SLOTS:
    // The hand-off message of a later start: restore or raise the window, then LoadFromParams.
    void WMLoadParams(const QByteArray &activationToken);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent *event) override;

private:
    void FormCreate();
    void FormDestroy();
    void CreateComponents();
    void CreateSceneTree();
    void CreatePopupMenu();
    // The keys beside the entries: labels only, the keys act through the key handlers.
    void SetMenuShortcutLabels();
    // The picture holder named by SelectedDummyName when its picture was decoded (Tag 0).
    TGLBaseSceneObject *LoadedSelection() const;
    // The library material of a holder's picture plane; null when there is none.
    TGLLibMaterial *PictureMaterialOf(TGLBaseSceneObject *holder) const;
    template <class T> T *MakeNode(TGLBaseSceneObject *parent, const QString &name);
    // Forgets the picked and framed nodes when they are node or lie under it (before it goes).
    void ForgetNodesUnder(TGLBaseSceneObject *node);
    void RepaintViewer();
    void ShowLoadingText(bool show);
    void SetLoadingProgress(int k, int n);
    TextureMapSettings CurrentMapSettings() const;
    void AttachPicture(const PreparedPicture &picture);
    void ShowLimitMessage(int limit);
    // Runs a load of several pictures: start-of-load step before the first picture, progress
    // text, Esc, prefetching; then selects the last picture and frames the wall.
    void LoadPictureList(const QStringList &files, bool startOfLoadBeforeFirst);
    // The loop of a load: the start-of-load step before the first picture file (when asked),
    // progress text, pending messages, prefetching, AddPic; ends early on StopLoading.
    void AddPictureFiles(const QStringList &files, bool startOfLoadBeforeFirst);
    // Ends a load: the load flag and text off; then the last picture selected, the wall framed.
    void EndLoad(bool selectLastAndFrame);
    // Loads and hand-offs that arrive while a load runs wait for it (see LoadRunning).
    void RunDeferredWork();
    bool IsPicturePlane(const TGLBaseSceneObject *node) const;

    TComponentOwner components_;
    PictureLoadQueue *loadQueue_ = nullptr;
    QStringList paramsPaths_;
    int loadFromParamsCalls_ = 0;
    int loadDepth_ = 0;
    bool loadFromParamsPending_ = false;
    QList<QStringList> pendingDrops_;
    bool closeAfterLoad_ = false;
    bool formCreated_ = false;
    bool openGLOk_ = false;
    // Working values of one deletion (RememberNeighbour, SelectAfterDelete).
    int neighbourIndex_ = -1;
    QString nextFile_;
};

// The context menu and the commands it leads to: options, deleting, saving and sending the
// selected picture's file, the links of the product site, About and Credits, and the picture
// tools (rotate, mirror, tile).

#include "app/fmMain.h"

#include "app/ProgramEntry.h"
#include "dialogs/SaveSendDialogs.h"
#include "dialogs/StdMessages.h"
#include "dialogs/fmAbout.h"
#include "dialogs/fmCreditsTo.h"
#include "dialogs/fmDelMsg.h"
#include "dialogs/fmMsg.h"
#include "dialogs/fmOptions.h"
#include "picture/PictureFormats.h"
#include "platform/KeyState.h"
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

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>

namespace {

const QString kOrvantaCaption = QStringLiteral("Orvanta");

// The caption of an entry without its shortcut label.
QString CaptionOf(const QAction *action) { return action->text().section(QLatin1Char('\t'), 0, 0); }

void SetCaption(QAction *action, const QString &caption) {
    const QString text = action->text();
    const int tab = int(text.indexOf(QLatin1Char('\t')));
    action->setText(tab < 0 ? caption : caption + text.mid(tab));
}

// Shows the key beside the entry. The key itself is not bound to the entry (a bound key would
// also fire while the menu is open, and a second time beside the window's own key handling).
void SetShortcutLabel(QAction *action, const QKeySequence &keys) {
    action->setText(CaptionOf(action) + QLatin1Char('\t') + keys.toString(QKeySequence::NativeText));
}

} // namespace

// --- the menu -------------------------------------------------------------------------------

void TfrmMain::CreatePopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto add = [this](QMenu *menu, QAction *&action, const char *name, const QString &text,
                      std::function<void()> handler) {
        action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        components_.Reserve(QString::fromLatin1(name), action);
        connect(action, &QAction::triggered, this, [handler] { handler(); });
    };
    auto addMenu = [this](QMenu *menu, QMenu *&sub, const char *name, const QString &text) {
        sub = menu->addMenu(text);
        sub->setObjectName(QString::fromLatin1(name));
        sub->menuAction()->setObjectName(QString::fromLatin1(name));
        components_.Reserve(QString::fromLatin1(name), sub);
    };

    QMenu *m = PopupMenu1;
    add(m, mniBrowsePicture, "mniBrowsePicture", QStringLiteral("Browse Picture..."), [this] { BrowsePicture(); });
    m->setDefaultAction(mniBrowsePicture);
    add(m, mniBrowseFolder, "mniBrowseFolder", QStringLiteral("Browse Folder..."), [this] { BrowseFolder(); });
    m->addSeparator();
    add(m, mniNext, "mniNext", QStringLiteral("Next"), [this] { GoToDummy(NavigateNext); });
    add(m, mniPrevious, "mniPrevious", QStringLiteral("Previous"), [this] { GoToDummy(NavigatePrevious); });
    add(m, mniStartSlideShow, "mniStartSlideShow", QStringLiteral("Start Slide Show"), [this] { StartSlideShow(); });
    m->addSeparator();
    add(m, mniZoomAll, "mniZoomAll", QStringLiteral("Zoom All"), [this] { ZoomAll(); });
    add(m, mniFullScreen, "mniFullScreen", QStringLiteral("Full Screen"), [this] { ToggleFullScreen(); });
    mniFullScreen->setCheckable(true);
    m->addSeparator();
    addMenu(m, mniTools, "mniTools", QStringLiteral("Tools"));
    add(mniTools, mniRotate, "mniRotate", QStringLiteral("Rotate"), [this] { RotatePictue(); });
    mniTools->setDefaultAction(mniRotate);
    add(mniTools, mniMirror, "mniMirror", QStringLiteral("Mirror"), [this] { MirrorPicture(); });
    add(mniTools, mniTile, "mniTile", QStringLiteral("Tile"), [this] { TilePicture(); });
    m->addSeparator();
    add(m, mniRemovePicture, "mniRemovePicture", QStringLiteral("Remove Picture"), [this] { mniRemovePictureClick(); });
    add(m, mniRemoveAllPictures, "mniRemoveAllPictures", QStringLiteral("Remove All Pictures"),
        [this] { mniRemoveAllPicturesClick(); });
    m->addSeparator();
    add(m, mniCopyTo, "mniCopyTo", QStringLiteral("Save Picture As..."), [this] { mniCopyToClick(); });
    addMenu(m, mniSendTo, "mniSendTo", QStringLiteral("Send to"));
    add(mniSendTo, mniDesktop, "mniDesktop", QStringLiteral("Desktop"), [this] { mniDesktopClick(); });
    mniSendTo->setDefaultAction(mniDesktop);
    mniSendTo->addSeparator();
    add(mniSendTo, mniMyDocuments, "mniMyDocuments", QStringLiteral("My Documents"), [this] { mniMyDocumentsClick(); });
    add(mniSendTo, mniMyPictures, "mniMyPictures", QStringLiteral("My Pictures"), [this] { mniMyPicturesClick(); });
    add(mniSendTo, mniWebBrowser, "mniWebBrowser", QStringLiteral("Web Browser"), [this] { mniWebBrowserClick(); });
    mniSendTo->addSeparator();
    add(mniSendTo, mniMailRecipient, "mniMailRecipient", QStringLiteral("Mail Recipient"),
        [this] { mniMailRecipientClick(); });
    // "Set as Wallpaper" is carried but never shown; its three ways share one empty handler.
    addMenu(m, mniSetasWallpaper, "mniSetasWallpaper", QStringLiteral("Set as Wallpaper"));
    const char *ways[] = {"Centered", "Tiled", "Stretched"};
    for (int tag = 0; tag < 3; ++tag) {
        QAction *way = mniSetasWallpaper->addAction(QString::fromLatin1(ways[tag]));
        way->setData(tag);
        connect(way, &QAction::triggered, this, [this] { mniSetasWallpaperClick(); });
    }
    mniSetasWallpaper->menuAction()->setVisible(false);
    add(m, mniDelete, "mniDelete", QStringLiteral("Delete"), [this] { mniDeleteClick(); });
    m->addSeparator();
    addMenu(m, mniHelp, "mniHelp", QStringLiteral("Help"));
    add(mniHelp, mniProgramHelp, "mniProgramHelp", QStringLiteral("Program Help"), [this] { mniProgramHelpClick(); });
    add(mniHelp, mniFAQ, "mniFAQ", QStringLiteral("FAQ"), [this] { mniFAQClick(); });
    mniHelp->addSeparator();
    add(mniHelp, mniHomepage, "mniHomepage", QStringLiteral("Home Page"), [this] { mniHomepageClick(); });
    add(mniHelp, mniCheckforUpdate, "mniCheckforUpdate", QStringLiteral("Check for Update"),
        [this] { mniCheckforUpdateClick(); });
    mniHelp->addSeparator();
    add(mniHelp, mniAbout, "mniAbout", QStringLiteral("About..."), [this] { mniAboutClick(); });
    add(mniHelp, mniCreditsTo, "mniCreditsTo", QStringLiteral("Credits To..."), [this] { mniCreditsToClick(); });
    addMenu(m, mniMore, "mniMore", QStringLiteral("More"));
    add(mniMore, mniGetMoreProducts, "mniGetMoreProducts", QStringLiteral("Get More Tamsorel Products"),
        [this] { mniGetMoreProductsClick(); });
    mniMore->setDefaultAction(mniGetMoreProducts);
    add(mniMore, mniRegisterToNewsletter, "mniRegisterToNewsletter", QStringLiteral("Register to the Newsletter"),
        [this] { mniRegisterToNewsletterClick(); });
    add(mniMore, mniSellTamsorelProducts, "mniSellTamsorelProducts",
        QStringLiteral("Sell Tamsorel Products and Earn Money"), [this] { mniSellTamsorelProductsClick(); });
    add(mniMore, mniTellaFriendSendEmail, "mniTellaFriendSendEmail", QStringLiteral("Tell a Friend (Send e-mail)"),
        [this] { mniTellaFriendSendEmailClick(); });
    m->addSeparator();
    add(m, mniOptions, "mniOptions", QStringLiteral("Options..."), [this] { mniOptionsClick(); });
    m->addSeparator();
    add(m, mniExit, "mniExit", QStringLiteral("Exit"), [this] { mniExitClick(); });

    connect(PopupMenu1, &QMenu::aboutToShow, this, &TfrmMain::PopupMenu1Popup);
    GLSceneViewer1->SetPopupMenu(PopupMenu1);
}

void TfrmMain::SetMenuShortcutLabels() {
    SetShortcutLabel(mniBrowsePicture, QKeySequence(Qt::Key_F3));
    SetShortcutLabel(mniNext, QKeySequence(Qt::Key_Space));
    SetShortcutLabel(mniPrevious, QKeySequence(Qt::Key_Backspace));
    SetShortcutLabel(mniStartSlideShow, QKeySequence(Qt::Key_F11));
    SetShortcutLabel(mniZoomAll, QKeySequence(Qt::KeypadModifier | Qt::Key_Asterisk));
    SetShortcutLabel(mniFullScreen, QKeySequence(Qt::ALT | Qt::Key_Return));
    SetShortcutLabel(mniRotate, QKeySequence(Qt::Key_R));
    SetShortcutLabel(mniMirror, QKeySequence(Qt::Key_M));
    SetShortcutLabel(mniTile, QKeySequence(Qt::Key_T));
    SetShortcutLabel(mniDelete, QKeySequence(Qt::Key_Delete));
    SetShortcutLabel(mniProgramHelp, QKeySequence(Qt::Key_F1));
    SetShortcutLabel(mniOptions, QKeySequence(Qt::Key_F4));
    SetShortcutLabel(mniExit, QKeySequence(Qt::Key_Escape));
}

TGLBaseSceneObject *TfrmMain::LoadedSelection() const {
    if (SelectedDummyName.isEmpty())
        return nullptr;
    TGLBaseSceneObject *holder = GLScene1->FindObject(SelectedDummyName);
    return holder && holder->Tag() == 0 ? holder : nullptr;
}

TGLLibMaterial *TfrmMain::PictureMaterialOf(TGLBaseSceneObject *holder) const {
    if (!holder || holder->ChildCount() == 0)
        return nullptr;
    auto *plane = dynamic_cast<TGLCustomSceneObject *>(holder->GetChild(0));
    return plane ? GLMatLib1->FindLibMaterial(plane->Material().LibMaterialName()) : nullptr;
}

QString TfrmMain::SelectedPicturePath() const {
    if (SelectedDummyName.isEmpty())
        return QString();
    auto *holder = dynamic_cast<TGLCustomSceneObject *>(GLScene1->FindObject(SelectedDummyName));
    return holder ? holder->Hint() : QString();
}

QString TfrmMain::TileCaption() const {
    TGLLibMaterial *material = PictureMaterialOf(LoadedSelection());
    if (!material)
        return QStringLiteral("Tile");
    if (material->TextureScale().X() != 1.0f)
        return QStringLiteral("Tile 1\u00D71");
    const QString n = QString::number(gVars.spnPictureTile);
    return QStringLiteral("Tile ") + n + QChar(0x00D7) + n;
}

void TfrmMain::PopupMenu1Popup() {
    StopSlideShow();
    const bool hasSelection = PictureCount() > 0 && !SelectedDummyName.isEmpty();
    const bool isLoaded = LoadedSelection() != nullptr;
    for (QAction *a : {mniRemovePicture, mniDelete, mniCopyTo, mniSendTo->menuAction()})
        a->setEnabled(hasSelection);
    for (QAction *a : {mniRotate, mniMirror, mniTile, mniSetasWallpaper->menuAction()})
        a->setEnabled(hasSelection && isLoaded);
    SetCaption(mniTile, TileCaption());
    mniRemoveAllPictures->setEnabled(PictureCount() > 1);
}

// --- options --------------------------------------------------------------------------------

void TfrmMain::OpenOptions() {
    struct Quality {
        bool useBestMapSize;
        int mapSize, filter, mipMapMin, mipMapMag, brightness, gamma;
        bool operator==(const Quality &) const = default;
    };
    auto quality = [] {
        return Quality{gVars.chkUseBestMapSize, gVars.cmbMapSize, gVars.cmbDefaultFilter,
                       gVars.cmbPicturesMipMapMin, gVars.cmbPicturesMipMapMag, gVars.trkPicturesBrightness,
                       gVars.trkPictureGamma};
    };
    const Quality before = quality();
    const int columnsBefore = gVars.spnPicturesColumns;

    ShowOptions(this, [this] { SetUpMostNonDynamicOptions(); });

    if (PictureCount() == 0)
        return;
    if (!(quality() == before) &&
        ShowMsg(115, QStringLiteral("You have change the picture quality settings. Do you want to reload picture(s) now?"),
                mbYes | mbNo, miQuestion, kRegKeyValues, QStringLiteral("MsgReloadPictures"),
                kOrvantaCaption) == mrYes)
        ReloadImages();
    if (gVars.spnPicturesColumns != columnsBefore) {
        RealignImages();
        ZoomAll();
    }
}

void TfrmMain::mniOptionsClick() { OpenOptions(); }

// --- delete ---------------------------------------------------------------------------------

void TfrmMain::DeletePicture() {
    const QString caption = QStringLiteral("Confirm File Delete");
    if (SelectedDummyName.isEmpty())
        return;
    const QString path = SelectedPicturePath();
    if (!QFileInfo(path).isFile()) {
        ShowStdMessage(StdMessageKind::Plain, kSourceFileNotFound, this);
        return;
    }
    const bool toTrash = gVars.chkDeleteToRecycleBin && !platform::KeyState::ShiftHeld();
    if (ShowDelMsg(toTrash, path, kRegKeyValues,
                   toTrash ? QStringLiteral("MsgRecycleWarning") : QStringLiteral("MsgDeleteWarning"),
                   caption) != mrYes)
        return;
    if (!QFileInfo(path).isFile()) {
        ShowStdMessage(StdMessageKind::Plain, kSourceFileNotFound, this);
        return;
    }
    RememberNeighbour();
    if (toTrash) {
        if (!SendToRecycleBin(path)) {
            // The desktop shows no error of its own here, so the failure is told like any other.
            ShowFileInUseError(QStringLiteral("Cannot delete"), path);
            return;
        }
    } else if (!QFile::remove(path)) {
        ShowFileInUseError(QStringLiteral("Cannot delete"), path);
        return;
    }
    if (RemovePicture())
        SelectAfterDelete();
}

void TfrmMain::RememberNeighbour() {
    TGLBaseSceneObject *selected = GLScene1->FindObject(SelectedDummyName);
    neighbourIndex_ = selected ? GLDummyColumns->ChildIndex(selected) : -1;
    nextFile_.clear();
    if (PictureCount() >= 2)
        return;
    ClearFolderFileList();
    ListFolderPictures(FolderFileList, ExtractFilePath(SelectedPicturePath()));
    const int count = int(FolderFileList.size());
    const QString first =
        PictureCount() > 0 ? static_cast<TGLCustomSceneObject *>(GLDummyColumns->GetChild(0))->Hint() : QString();
    int k = 0;
    for (int j = 0; j < count; ++j)
        if (FolderFileList[size_t(j)].Path() == first) {
            k = j == count - 1 ? j - 1 : j + 1;
            break;
        }
    if (k >= 0 && k < count)
        nextFile_ = FolderFileList[size_t(k)].Path();
}

void TfrmMain::SelectAfterDelete() {
    if (PictureCount() > 0) {
        if (neighbourIndex_ > PictureCount() - 1)
            neighbourIndex_ = PictureCount() - 1;
        if (neighbourIndex_ >= 0) {
            Inquadra(GLDummyColumns->GetChild(neighbourIndex_), false);
            SelectObjectByChild(neighbourIndex_);
            return;
        }
    } else if (!nextFile_.isEmpty() && QFileInfo(nextFile_).isFile() && !LoadRunning()) {
        if (gVars.chkShowLoadingText)
            GLHUDTextLoading->SetVisible(true);
        RepaintViewer();
        ResetGLDummyColumns(false);
        AddPic(nextFile_);
        GLHUDTextLoading->SetVisible(false);
        RepaintViewer();
        if (PictureCount() > 0) {
            Inquadra(GLDummyColumns->GetChild(0), false);
            SelectObjectByChild(0);
            return;
        }
    }
    ResetSelection();
}

void TfrmMain::mniDeleteClick() { DeletePicture(); }

// --- save and send --------------------------------------------------------------------------

void TfrmMain::mniCopyToClick() {
    if (!SelectedDummyName.isEmpty())
        SavePictureAsDialog(SelectedPicturePath(), this);
}

void TfrmMain::mniDesktopClick() {
    if (!SelectedDummyName.isEmpty())
        SendPictureToFolder(SelectedPicturePath(), SendTarget::Desktop);
}

void TfrmMain::mniMyDocumentsClick() {
    if (!SelectedDummyName.isEmpty())
        SendPictureToFolder(SelectedPicturePath(), SendTarget::MyDocuments);
}

void TfrmMain::mniMyPicturesClick() {
    if (!SelectedDummyName.isEmpty())
        SendPictureToFolder(SelectedPicturePath(), SendTarget::MyPictures);
}

void TfrmMain::mniWebBrowserClick() {
    if (!SelectedDummyName.isEmpty())
        SendPictureToWebBrowser(SelectedPicturePath());
}

void TfrmMain::mniMailRecipientClick() {
    if (!SelectedDummyName.isEmpty())
        SendPictureToMailRecipient(SelectedPicturePath());
}

void TfrmMain::mniSetasWallpaperClick() {}

// --- links, about, credits, exit ------------------------------------------------------------

void TfrmMain::mniProgramHelpClick() { ShellOpen(ProductSiteLink(kPathProgramHelp)); }
void TfrmMain::mniFAQClick() { ShellOpen(ProductSiteLink(kPathFaq)); }
void TfrmMain::mniHomepageClick() { ShellOpen(ProductSiteLink(kPathHomePage)); }
void TfrmMain::mniCheckforUpdateClick() { ShellOpen(ProductSiteLink(kPathHomePage)); }
void TfrmMain::mniGetMoreProductsClick() { ShellOpen(ProductSiteLink(kPathMoreProducts)); }
void TfrmMain::mniRegisterToNewsletterClick() { ShellOpen(ProductSiteLink(kPathNewsletter)); }
void TfrmMain::mniSellTamsorelProductsClick() { ShellOpen(ProductSiteLink(kPathAffiliate)); }
void TfrmMain::mniTellaFriendSendEmailClick() {
    ComposeMail(QString(), QStringLiteral("Orvanta..."), ProductSiteLink(kPathHomePage));
}
void TfrmMain::mniAboutClick() { ShowAbout(ProgramFolder, AppDataFolder, this); }
void TfrmMain::mniCreditsToClick() { ShowCredits(this); }
void TfrmMain::mniExitClick() { close(); }

// --- picture tools --------------------------------------------------------------------------

void TfrmMain::RotatePictue() {
    TGLBaseSceneObject *holder = LoadedSelection();
    if (!holder || holder->ChildCount() == 0)
        return;
    // A quarter turn clockwise as the camera sees the wall (it looks along +Z): the plane's up
    // axis turns from (x, y) to (-y, x). Exact quarter steps, so four turns give the start.
    TGLCoordinates &up = holder->GetChild(0)->Up();
    const float x = up.X(), y = up.Y();
    up.SetVector(-y, x, 0);
    RepaintViewer();
}

void TfrmMain::MirrorPicture() {
    TGLBaseSceneObject *holder = LoadedSelection();
    if (!holder || holder->ChildCount() == 0)
        return;
    // Left and right change places on the plane alone; its material and texture stay as they
    // are (so tiling and other pictures sharing nothing with it are not touched).
    TGLCoordinates &scale = holder->GetChild(0)->Scale();
    scale.SetX(-scale.X());
    RepaintViewer();
}

void TfrmMain::TilePicture() {
    TGLLibMaterial *material = PictureMaterialOf(LoadedSelection());
    if (!material)
        return;
    if (material->TextureScale().X() == 1.0f) {
        const float n = float(gVars.spnPictureTile);
        material->TextureScale().SetX(n);
        material->TextureScale().SetY(n);
        material->Material().Texture().SetTextureWrap(twBoth);
    } else {
        material->TextureScale().SetX(1.0f);
        material->TextureScale().SetY(1.0f);
        material->Material().Texture().SetTextureWrap(twNone);
    }
    RepaintViewer();
}

// Where pictures come from: the command line (also handed over by a later start), the open
// dialog, folders and files dropped on the view.
//
// A load lets pending window messages run between pictures (and while a picture is prepared),
// so a hand-off or a drop can arrive while a load runs. Those wait and run, in order, when the
// load ends; commands that would start another load (browse, reload, stepping) are ignored
// while one runs.

#include "app/fmMain.h"

#include "app/PictureLoadQueue.h"
#include "picture/PictureFormats.h"
#include "platform/Errors.h"
#include "platform/KeyState.h"
#include "scene/GLHUDObjects.h"
#include "scene/GLObjects.h"
#include "scene/GLScene.h"
#include "scene/GLSceneViewer.h"
#include "settings/Options.h"
#include "settings/gRegistry.h"
#include "settings/gVars.h"
#include "util/ShellOps.h"
#include "util/gUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include <exception>

namespace {

bool RecursiveBrowse() { return FindOptionValue(QStringLiteral("chkRecursiveBrowse")) == QStringLiteral("true"); }

QString MessageOf(const std::exception &e) {
    if (auto *o = dynamic_cast<const OrvantaError *>(&e))
        return o->Message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

void TfrmMain::LoadFromParams() {
    if (LoadRunning()) {
        loadFromParamsPending_ = true;
        return;
    }
    ++loadFromParamsCalls_;
    MaxPicturesMessageShown = false;
    ++loadDepth_;
    try {
        const QString count = RegReadString(kRegKeyParams, QStringLiteral("Count"));
        if (!count.isEmpty()) {
            int n = 0;
            if (!ParseDecimalInt(count, n))
                throw OrvantaError(QStringLiteral("'%1' is not a valid integer value").arg(count));
            if (n > 0) {
                QStringList entries;
                for (int k = 1; k <= n; ++k)
                    entries.append(RegReadString(kRegKeyParams, QStringLiteral("F%1").arg(k)));
                StopLoading = false;
                LoadingPictures = true;
                if (gVars.chkShowLoadingText)
                    GLHUDTextLoading->SetVisible(true);
                RepaintViewer();
                const TextureMapSettings settings = CurrentMapSettings();
                for (int k = 1; k <= n; ++k) {
                    const QString path = entries[k - 1];
                    if (!path.isEmpty()) {
                        const int kind = GetPathKind(path);
                        if (kind == 1 && IsPictureFile(path)) {
                            SubProc0001(path);
                            SetLoadingProgress(k, n);
                            QCoreApplication::processEvents();
                            // Only the picture files that follow can still be on the wall
                            // after this one when Ctrl is held; decode the next one meanwhile.
                            if (k < n && GetPathKind(entries[k]) == 1 && IsPictureFile(entries[k]))
                                loadQueue_->Prefetch(entries.mid(k, 1), settings);
                            AddPic(path);
                            paramsPaths_.append(path);
                        } else if (kind == 2) {
                            const QStringList files = CollectFolderPictures(path, RecursiveBrowse());
                            AddPictureFiles(files, true);
                            paramsPaths_ += files;
                        }
                    }
                    QCoreApplication::processEvents();
                    if (StopLoading)
                        break;
                }
                EndLoad(true);
            }
        }
    } catch (const std::exception &e) {
        EndLoad(false);
        ShowErrorBox(this, QStringLiteral("Cannot load from parameters!\r\n\r\nError: ") + MessageOf(e));
    }
    --loadDepth_;
    RunDeferredWork();
}

void TfrmMain::AddPictureFiles(const QStringList &files, bool startOfLoadBeforeFirst) {
    const TextureMapSettings settings = CurrentMapSettings();
    bool first = true;
    for (int k = 0; k < files.size() && !StopLoading; ++k) {
        if (!IsPictureFile(files[k]))
            continue;
        if (first && startOfLoadBeforeFirst)
            SubProc0001(files[k]);
        first = false;
        SetLoadingProgress(k + 1, int(files.size()));
        QCoreApplication::processEvents();
        // Decode the next pictures while this one is attached.
        loadQueue_->Prefetch(files.mid(k + 1, loadQueue_->MaxThreads()), settings);
        AddPic(files[k]);
        QCoreApplication::processEvents();
    }
}

void TfrmMain::EndLoad(bool selectLastAndFrame) {
    loadQueue_->Clear();
    LoadingPictures = false;
    GLHUDTextLoading->SetVisible(false);
    RepaintViewer();
    if (selectLastAndFrame) {
        SelectObjectByChild(PictureCount() - 1);
        ZoomAll();
    }
}

void TfrmMain::LoadPictureList(const QStringList &files, bool startOfLoadBeforeFirst) {
    MaxPicturesMessageShown = false;
    ++loadDepth_;
    if (gVars.chkShowLoadingText)
        GLHUDTextLoading->SetVisible(true);
    RepaintViewer();
    StopLoading = false;
    LoadingPictures = true;
    try {
        AddPictureFiles(files, startOfLoadBeforeFirst);
    } catch (const std::exception &e) {
        ShowErrorBox(this, MessageOf(e));
    }
    EndLoad(true);
    --loadDepth_;
    RunDeferredWork();
}

void TfrmMain::BrowsePicture() {
    if (LoadRunning())
        return;
    MaxPicturesMessageShown = false;
    QString folder = RegReadString(kRegKeyValues, QStringLiteral("CP"));
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
        folder = GetMyPicturesFolder();
    QString selectedName;
    if (auto *holder = dynamic_cast<TGLCustomSceneObject *>(GLScene1->FindObject(SelectedDummyName)))
        selectedName = ExtractFileName(holder->Hint());

    QFileDialog dialog(this, QStringLiteral("Open"), folder, ToQtDialogFilter(BuildOpenDialogFilter(PictureExtensions)));
    dialog.setObjectName(QStringLiteral("dlgOpenPicture"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    dialog.setSizeGripEnabled(true);
    if (!selectedName.isEmpty())
        dialog.selectFile(selectedName);
    // Preview pane: the picture under the cursor, scaled to fit.
    auto *preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("previewPane"));
    preview->setFixedSize(200, 200);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString &path) {
        QPixmap pixmap;
        if (QFileInfo(path).isFile() && QFileInfo(path).size() < (64 << 20) && pixmap.load(path))
            preview->setPixmap(pixmap.scaled(preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        else
            preview->setText(QStringLiteral("No preview"));
    });

    QCoreApplication::processEvents();
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList files = dialog.selectedFiles();
    QCoreApplication::processEvents();
    if (files.size() == 1) {
        ++loadDepth_;
        if (gVars.chkShowLoadingText)
            GLHUDTextLoading->SetVisible(true);
        RepaintViewer();
        try {
            if (IsPictureFile(files[0])) {
                SubProc0001(files[0]);
                SetLoadingProgress(1, 1);
                QCoreApplication::processEvents();
                AddPic(files[0]);
            }
        } catch (const std::exception &e) {
            ShowErrorBox(this, MessageOf(e));
        }
        EndLoad(true);
        --loadDepth_;
        RunDeferredWork();
    } else if (!files.isEmpty()) {
        LoadPictureList(files, true);
    }
}

void TfrmMain::BrowseFolder() {
    if (LoadRunning())
        return;
    QString start = RegReadString(kRegKeyValues, QStringLiteral("CP"));
    if (start.trimmed().isEmpty() || !QFileInfo(start).isDir())
        start = GetMyPicturesFolder();
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Browse Folder"), start);
    if (folder.isEmpty())
        return;
    DropFileTargetSceneDrop({folder});
}

void TfrmMain::DropFileTargetSceneDrop(const QStringList &paths) {
    if (LoadRunning()) {
        pendingDrops_.append(paths);
        return;
    }
    StopSlideShow();
    QStringList files;
    const bool recursive = RecursiveBrowse();
    for (const QString &p : paths) {
        const int kind = GetPathKind(p);
        if (kind == 2)
            files += CollectFolderPictures(p, recursive);
        else if (kind == 1 && IsPictureFile(p))
            files.append(p);
    }
    if (files.isEmpty())
        return;
    LoadPictureList(files, true);
}

void TfrmMain::AddFolderFile(const QString &folder, const QString &baseName, const QString &ext, int32_t size,
                             int32_t time, int32_t attr) {
    try {
        AList entry{folder, baseName, ext, size, time, attr};
        FolderFileList.push_back(entry);
    } catch (const std::exception &e) {
        ShowErrorBox(this, MessageOf(e));
    }
}

void TfrmMain::LoadStartUpFolder() {
    if (FindOptionValue(QStringLiteral("chkLoadPicturesOnRun")) != QStringLiteral("true"))
        return;
    const QString folder = FindOptionValue(QStringLiteral("edtRunAtStartUpFolder"));
    if (folder == QStringLiteral("E") || folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
        return;
    DropFileTargetSceneDrop({folder});
}

void TfrmMain::RunDeferredWork() {
    if (LoadRunning())
        return;
    if (closeAfterLoad_) {
        closeAfterLoad_ = false;
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    }
    if (loadFromParamsPending_) {
        loadFromParamsPending_ = false;
        QTimer::singleShot(0, this, [this] { LoadFromParams(); });
        return;
    }
    if (!pendingDrops_.isEmpty()) {
        const QStringList next = pendingDrops_.takeFirst();
        QTimer::singleShot(0, this, [this, next] { DropFileTargetSceneDrop(next); });
    }
}

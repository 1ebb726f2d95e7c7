#include "app/PicturePreparation.h"

#include "picture/PictureFormats.h"
#include "picture/PictureLoader.h"
#include "platform/Errors.h"
#include "util/WorkFolder.h"
#include "util/gUtils.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <exception>

namespace {

constexpr int kPlaceholderWidth = 512;
constexpr int kPlaceholderHeight = 256;

void PreparePlaceholderBitmap(TBitmap32 &bitmap) {
    bitmap.SetSize(kPlaceholderWidth, kPlaceholderHeight);
    bitmap.Clear(Color32(255, 255, 255));
    bitmap.Font.Name = QStringLiteral("MS Sans Serif");
    bitmap.Font.Size = 12;
    bitmap.Font.Color = Color32(0, 0, 0);
    bitmap.Font.Style = fsItalic;
}

// The placeholder becomes the map as it is: same size, mirrored, no resampling.
void PlaceholderToMap(TBitmap32 &bitmap, TBitmap32 &map) {
    bitmap.MirrorLeftRight();
    map.SetSize(bitmap.Width(), bitmap.Height());
    std::copy(bitmap.Bits(), bitmap.Bits() + size_t(bitmap.Width()) * size_t(bitmap.Height()), map.Bits());
}

QString MessageOf(const std::exception &e) {
    if (auto *o = dynamic_cast<const OrvantaError *>(&e))
        return o->Message();
    return QString::fromLocal8Bit(e.what());
}

// A private folder per preparation inside the work folder, so pictures of the same file name
// from different folders, prepared side by side, never share a working copy.
QString JobFolder() {
    static QAtomicInteger<quint64> counter;
    if (!PrepareWorkFolder())
        return QString();
    const QString folder = WorkFolder() + QStringLiteral("job-%1/").arg(counter.fetchAndAddRelaxed(1));
    return QDir().mkpath(folder) ? folder : QString();
}

} // namespace

void DrawCannotLoadPlaceholder(TBitmap32 &bitmap, const QString &path, const QString &error) {
    PreparePlaceholderBitmap(bitmap);
    bitmap.DrawTextInRect({1, 1, 500, 256}, QStringLiteral("Cannot load:\r\n") + ExtractFileName(path));
    bitmap.DrawTextInRect({1, 71, 500, 256}, QStringLiteral("Error:\r\n") + error);
}

void DrawNoPreviewPlaceholder(TBitmap32 &bitmap, const QString &path) {
    PreparePlaceholderBitmap(bitmap);
    bitmap.DrawTextInRect({1, 1, 500, 256},
                          ExtractFileName(path) + QStringLiteral("\r\n\r\nNo preview available."));
}

PreparedPicture PreparePicture(const QString &path, const TextureMapSettings &settings) {
    PreparedPicture out;
    out.Path = path;
    // The full-size picture is the largest buffer of a load. Each worker keeps its own between
    // pictures, so a load of photos of one size reuses the memory instead of mapping (and
    // faulting in) tens of megabytes afresh for every picture.
    thread_local TBitmap32 bitmap;
    bitmap.StretchFilter = settings.filter;
    bitmap.Font = TBitmapFont();
    out.Map.StretchFilter = settings.filter;
    DecodeRequest request = TextureMapDecodeRequest(settings);
    request.MirrorLeftRight = true;

    QString currentName = path;
    QString workingCopy;
    QString jobFolder;
    bool jobFolderTried = false;
    bool failed = false;
    bool placeholderDrawn = false;
    int attempt = 0;
    do {
        failed = false;
        try {
            // The decoder may deliver the picture reduced to about the map's size (the map is
            // the same either way) and mirrored, saving full-size passes over the picture.
            PictureSize pictureSize;
            LoadPictureFile(currentName, bitmap, request, pictureSize);
            out.PixelWidth = pictureSize.Width;
            out.PixelHeight = pictureSize.Height;
            BuildTextureMap(bitmap, pictureSize, out.Map, settings);
        } catch (const std::exception &e) {
            failed = true;
            out.PixelWidth = out.PixelHeight = 0;
            if (out.FirstError.isEmpty())
                out.FirstError = MessageOf(e);
            if (attempt == kDecodeAttempts - 1) {
                DrawCannotLoadPlaceholder(bitmap, path, out.FirstError);
                PlaceholderToMap(bitmap, out.Map);
                placeholderDrawn = true;
            } else {
                if (!jobFolderTried) {
                    jobFolder = JobFolder();
                    jobFolderTried = true;
                }
                if (!jobFolder.isEmpty()) {
                    QString base = ExtractFileName(path);
                    const QString ext = ExtractFileExt(base);
                    base.chop(ext.size());
                    const QString newName = jobFolder + base + QLatin1Char('.') +
                                            QString::fromLatin1(PictureFormatTable[size_t(attempt)].Extension);
                    bool ok;
                    if (!workingCopy.isEmpty() && QFileInfo::exists(workingCopy)) {
                        QFile::remove(newName);
                        ok = QFile::rename(workingCopy, newName);
                    } else {
                        QFile::remove(newName);
                        ok = QFile::copy(path, newName);
                    }
                    if (!ok)
                        break;  // no copy to try: the placeholder follows below
                    workingCopy = newName;
                    currentName = newName;
                }
            }
            ++attempt;
        }
    } while (failed && attempt < kDecodeAttempts);

    if (!workingCopy.isEmpty() && QFileInfo::exists(workingCopy))
        QFile::remove(workingCopy);
    if (!jobFolder.isEmpty())
        QDir().rmdir(jobFolder);

    try {
        if (failed && !placeholderDrawn) {
            // The attempts ended early (no working copy could be made): show the failure.
            DrawCannotLoadPlaceholder(bitmap, path, out.FirstError);
            PlaceholderToMap(bitmap, out.Map);
        } else if (!failed && (out.PixelWidth == 0 || out.PixelHeight == 0)) {
            DrawNoPreviewPlaceholder(bitmap, path);
            PlaceholderToMap(bitmap, out.Map);
        }
    } catch (const std::exception &e) {
        // Even the placeholder could not be drawn (no memory): an empty map, marked failed.
        failed = true;
        if (out.FirstError.isEmpty())
            out.FirstError = MessageOf(e);
    }
    out.Failed = failed;
    // A decoded picture is shown at its own proportions, whatever size it was decoded at.
    const bool decoded = !failed && out.PixelWidth > 0 && out.PixelHeight > 0;
    out.ShownWidth = decoded ? out.PixelWidth : bitmap.Width();
    out.ShownHeight = decoded ? out.PixelHeight : bitmap.Height();
    return out;
}

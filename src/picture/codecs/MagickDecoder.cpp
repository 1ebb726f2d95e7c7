#include "picture/codecs/MagickDecoder.h"

#include "picture/DecodeLimits.h"
#include "platform/Errors.h"

#include <chrono>
#include <cstring>
#include <mutex>

#include <magick/MagickCore.h>

namespace {

// Only the coders named above may read; no delegate, no indirect file ("@file") reads.
constexpr const char *kPolicy =
    "<policymap>"
    "<policy domain=\"delegate\" rights=\"none\" pattern=\"*\"/>"
    "<policy domain=\"coder\" rights=\"none\" pattern=\"*\"/>"
    "<policy domain=\"coder\" rights=\"read\" pattern=\"{BMP,TGA,PCX,PPM,PGM,PBM,PNM,PSD,PCD,SGI,DDS}\"/>"
    "<policy domain=\"path\" rights=\"none\" pattern=\"@*\"/>"
    "<policy domain=\"filter\" rights=\"none\" pattern=\"*\"/>"
    "</policymap>";

constexpr MagickSizeType kMemoryBytes = MagickSizeType(1) << 30;
constexpr MagickSizeType kMapBytes = MagickSizeType(1) << 30;
constexpr std::chrono::seconds kTimePerDecode(30);

struct ExceptionHolder {
    ExceptionInfo *info = AcquireExceptionInfo();
    ~ExceptionHolder() { DestroyExceptionInfo(info); }
};
struct ImageInfoHolder {
    ImageInfo *info = CloneImageInfo(nullptr);
    ~ImageInfoHolder() { DestroyImageInfo(info); }
};
struct ImageHolder {
    Image *image = nullptr;
    ~ImageHolder() {
        if (image)
            DestroyImageList(image);
    }
};

// MagickCore's own time resource counts from the first decode of the process and, once passed,
// ends the whole process from inside the library. It stays unlimited; a per-decode deadline
// through the progress monitor keeps one slow file from blocking a worker instead.
MagickBooleanType CheckDeadline(const char *, const MagickOffsetType, const MagickSizeType, void *client) {
    const auto *deadline = static_cast<const std::chrono::steady_clock::time_point *>(client);
    return std::chrono::steady_clock::now() < *deadline ? MagickTrue : MagickFalse;
}

// Turns MagickCore's refusal into the program's message: a resource limit is a picture too large,
// missing data a file too short for its header, anything else an invalid file.
[[noreturn]] void RaiseRefusal(const ExceptionInfo *exception, const char *shortName) {
    const QString reason = QString::fromUtf8(exception->reason ? exception->reason : "");
    if (exception->severity == ResourceLimitError || reason.contains(QLatin1String("exceeds limit")) ||
        reason.contains(QLatin1String("ResourcesExhausted"), Qt::CaseInsensitive))
        throw OrvantaError(QStringLiteral("Cannot load image. The %1 picture is too large for the decoding limits.")
                               .arg(QLatin1String(shortName)));
    if (reason.contains(QLatin1String("UnexpectedEndOfFile"), Qt::CaseInsensitive) ||
        reason.contains(QLatin1String("InsufficientImageData"), Qt::CaseInsensitive))
        decode_limits::RaiseTooShort();
    decode_limits::RaiseInvalidFormat(shortName);
}

// False when a system policy limits MagickCore's time resource (which the program cannot raise):
// decoding would then end the program after that time, so these decoders refuse instead.
bool gTimeUnlimited = true;

} // namespace

void InitMagick() {
    static std::once_flag once;
    std::call_once(once, [] {
        MagickCoreGenesis(nullptr, MagickFalse);
        ExceptionHolder exception;
        SetMagickSecurityPolicy(kPolicy, exception.info);
        SetMagickResourceLimit(MemoryResource, kMemoryBytes);
        SetMagickResourceLimit(MapResource, kMapBytes);
        SetMagickResourceLimit(DiskResource, 0);
        SetMagickResourceLimit(AreaResource, MagickSizeType(decode_limits::kMaxPicturePixels));
        SetMagickResourceLimit(WidthResource, MagickSizeType(decode_limits::kMaxPictureSide));
        SetMagickResourceLimit(HeightResource, MagickSizeType(decode_limits::kMaxPictureSide));
        // Decoding runs on the program's own worker threads; MagickCore adds none.
        SetMagickResourceLimit(ThreadResource, 1);
        SetMagickResourceLimit(TimeResource, MagickResourceInfinity);
        gTimeUnlimited = GetMagickResourceLimit(TimeResource) == MagickResourceInfinity;
    });
}

void DecodeWithMagick(const QByteArray &data, const char *coder, const char *shortName, TBitmap32 &bitmap) {
    InitMagick();
    if (!gTimeUnlimited)
        throw OrvantaError(QStringLiteral(
            "Cannot load image. The system's ImageMagick policy sets a time limit that would end the program."));
    if (data.isEmpty())
        decode_limits::RaiseInvalidFormat(shortName);
    ImageInfoHolder info;
    ExceptionHolder exception;
    // The "CODER:" prefix fixes the coder, so the content is never used to choose another one.
    FormatLocaleString(info.info->filename, MaxTextExtent, "%s:picture", coder);
    CopyMagickString(info.info->magick, coder, MaxTextExtent);
    info.info->affirm = MagickTrue;
    // The first image only (the composite of a Photoshop file, the main surface of a DDS file);
    // a Photo CD file selects its resolution by scene, so it keeps its default (768 x 512).
    if (std::strcmp(coder, magick_coder::PhotoCd) != 0) {
        info.info->scene = 0;
        info.info->number_scenes = 1;
    }
    auto deadline = std::chrono::steady_clock::now() + kTimePerDecode;
    SetImageInfoProgressMonitor(info.info, CheckDeadline, &deadline);

    ImageHolder image;
    image.image = BlobToImage(info.info, data.constData(), size_t(data.size()), exception.info);
    if (!image.image || exception.info->severity >= ErrorException)
        RaiseRefusal(exception.info, shortName);
    Image *first = image.image;
    decode_limits::CheckPictureSize(int64_t(first->columns), int64_t(first->rows));
    if (TransformImageColorspace(first, sRGBColorspace) == MagickFalse)
        decode_limits::RaiseInvalidFormat(shortName);
    decode_limits::SizeBitmap(bitmap, int(first->columns), int(first->rows));
    if (ExportImagePixels(first, 0, 0, first->columns, first->rows, "BGRA", CharPixel, bitmap.Bits(),
                          exception.info) == MagickFalse)
        decode_limits::RaiseInvalidFormat(shortName);
}

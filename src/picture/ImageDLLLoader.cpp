#include "picture/ImageDLLLoader.h"

#include "picture/DecodeLimits.h"
#include "picture/PictureLoader.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <dlfcn.h>

namespace {

constexpr int kFileTypeBufferBytes = 261;

bool IsExtensionChar(QChar c) {
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           c == QLatin1Char('_');
}

[[noreturn]] void Raise(const char *message) { throw OrvantaError(QString::fromLatin1(message)); }

// The plug-in's file type: the text after the last '.', when the last of '.', '/' and ':' is a '.'.
QString PluginFileType(const QString &fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const qsizetype sep = std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char(':')));
    if (dot < 0 || dot < sep)
        return QString();
    return fileName.mid(dot + 1).toUpper();
}

uint8_t High(const uint8_t *sample16) { return sample16[1]; } // little-endian 16-bit sample

} // namespace

QStringList ParseLoadFilterExtensions(const QString &filter) {
    const QString text = filter.toUpper() + QLatin1Char('|');
    QStringList result;
    for (qsizetype at = text.indexOf(QLatin1String("*.")); at >= 0; at = text.indexOf(QLatin1String("*."), at + 2)) {
        qsizetype end = at + 2;
        while (end < text.size() && IsExtensionChar(text[end]))
            ++end;
        const QString ext = text.mid(at + 2, end - at - 2);
        // Whole extensions are compared, so "*.TIFF;*.TIF" yields both TIFF and TIF.
        if (!ext.isEmpty() && !result.contains(ext))
            result << ext;
    }
    return result;
}

void ConvertImageContainer(const TImageContainer &image, TBitmap32 &bitmap) {
    const int planes = image.PixelFormat & 0x0F;
    const int code = image.PixelFormat;
    if (planes == 0)
        Raise("Unsupported bitmap format");
    int bytesPerPixel = 0;
    if (code == 3)
        bytesPerPixel = 3;
    else if (code == 4)
        bytesPerPixel = 4;
    else if (code == 0x21)
        bytesPerPixel = 2;
    else if (code == 0x11 || code == 0x13 || code == 0x14)
        bytesPerPixel = 2 * planes;
    else if (planes == 1)
        bytesPerPixel = 1;
    else
        Raise("Unsupported pixel format");
    if (image.Width <= 0 || image.Height <= 0 || !image.Pixels)
        Raise("Error in bitmap data");
    decode_limits::SizeBitmap(bitmap, image.Width, image.Height);

    const auto *pixels = static_cast<const uint8_t *>(image.Pixels);
    const size_t stride = size_t(image.Width) * size_t(bytesPerPixel);
    const auto *palette = static_cast<const uint8_t *>(image.Palette);
    for (int y = 0; y < image.Height; ++y) {
        const uint8_t *in = pixels + size_t(y) * stride;
        TColor32 *out = bitmap.ScanLine(y);
        for (int x = 0; x < image.Width; ++x, in += bytesPerPixel) {
            switch (bytesPerPixel) {
            case 1:
                out[x] = palette ? Color32(palette[3 * in[0]], palette[3 * in[0] + 1], palette[3 * in[0] + 2])
                                 : Color32(in[0], in[0], in[0]);
                break;
            case 2:
                if (code == 0x21) {
                    const unsigned w = unsigned(in[0]) | unsigned(in[1]) << 8;
                    const unsigned r = (w >> 11) & 31, g = (w >> 5) & 63, b = w & 31;
                    out[x] = Color32(uint8_t(r << 3 | r >> 2), uint8_t(g << 2 | g >> 4), uint8_t(b << 3 | b >> 2));
                } else {
                    out[x] = Color32(High(in), High(in), High(in));
                }
                break;
            case 3:
            case 4:
                out[x] = Color32(in[2], in[1], in[0]);
                break;
            default: // 16-bit samples, blue first
                out[x] = Color32(High(in + 4), High(in + 2), High(in));
                break;
            }
        }
    }
}

TImageDLLLoader::TImageDLLLoader(DecoderTable *table) : table_(table ? table : &DecoderTable::Instance()) {}

TImageDLLLoader::~TImageDLLLoader() {
    table_->RemoveOwnedBy(this);
    for (Plugin &p : plugins_)
        dlclose(p.Handle);
}

bool TImageDLLLoader::FindPluginDecoders(const QString &Folder) {
    QString folder = Folder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    bool kept = false;
    for (const QFileInfo &info : files) {
        const QString upper = info.fileName().toUpper();
        if (upper != QLatin1String("JASPERLIB.SO") && upper != QLatin1String("TIFFREAD.SO"))
            continue;
        void *handle = dlopen(QFile::encodeName(info.absoluteFilePath()).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            continue;
        Plugin p;
        p.Handle = handle;
        p.FileName = info.absoluteFilePath();
        p.LibLoadImage = reinterpret_cast<TLibLoadImage>(dlsym(handle, ORVANTA_LIB_LOAD_IMAGE_NAME));
        p.LibSaveImage = reinterpret_cast<TLibSaveImage>(dlsym(handle, ORVANTA_LIB_SAVE_IMAGE_NAME));
        p.LibFreeImage = reinterpret_cast<TLibFreeImage>(dlsym(handle, ORVANTA_LIB_FREE_IMAGE_NAME));
        if ((!p.LibLoadImage && !p.LibSaveImage) || !p.LibFreeImage) {
            dlclose(handle);
            continue;
        }
        if (auto get = reinterpret_cast<TLibGetFilter>(dlsym(handle, ORVANTA_LIB_GET_LOAD_FILTER_NAME))) {
            if (const char *text = get())
                p.LoadFilter = QString::fromLocal8Bit(text);
        }
        if (auto get = reinterpret_cast<TLibGetFilter>(dlsym(handle, ORVANTA_LIB_GET_SAVE_FILTER_NAME))) {
            if (const char *text = get())
                p.SaveFilter = QString::fromLocal8Bit(text);
        }
        p.Extensions = ParseLoadFilterExtensions(p.LoadFilter);
        p.CallLock = std::make_shared<std::mutex>();
        for (const QString &ext : p.Extensions)
            table_->Add(ext.toLower(), ext.toLower(),
                        [this](const QString &fileName, TBitmap32 &bitmap) { LoadPicture(fileName, bitmap); }, this);
        plugins_.push_back(std::move(p));
        kept = true;
    }
    return kept;
}

void TImageDLLLoader::LoadPicture(const QString &FileName, TBitmap32 &Bitmap) const {
    const QString type = PluginFileType(FileName);
    const Plugin *plugin = nullptr;
    for (const Plugin &p : plugins_)
        if (!type.isEmpty() && p.Extensions.contains(type)) {
            plugin = &p;
            break;
        }
    if (!plugin || !plugin->LibLoadImage)
        throw OrvantaError(QStringLiteral("Unsupported file format") + QStringLiteral(": ") + type);

    char fileType[kFileTypeBufferBytes] = {};
    const QByteArray typeBytes = type.toLatin1().left(kFileTypeBufferBytes - 1);
    std::memcpy(fileType, typeBytes.constData(), size_t(typeBytes.size()));
    QByteArray name = QFile::encodeName(FileName);

    std::lock_guard lock(*plugin->CallLock);
    TImageContainer image{};
    const int32_t code = plugin->LibLoadImage(name.data(), fileType, &image);
    switch (code) {
    case 0:
        break;
    case 2: Raise("Unable to open file");
    case 3: Raise("Error in bitmap data");
    case 4: Raise("Unsupported pixel format");
    case 5: Raise("Unable to close file");
    default:
        throw OrvantaError(QStringLiteral("Error in bitmap data") + QStringLiteral(": %1").arg(code));
    }
    QString failure;
    try {
        ConvertImageContainer(image, Bitmap);
    } catch (const OrvantaError &e) {
        failure = e.Message();
    }
    plugin->LibFreeImage(&image);
    if (!failure.isEmpty())
        throw OrvantaError(failure);
    const int planes = image.PixelFormat & 0x0F;
    if (planes > 3)
        throw OrvantaError(QStringLiteral("The image contains %1 color planes, only 3 were loaded").arg(planes));
}

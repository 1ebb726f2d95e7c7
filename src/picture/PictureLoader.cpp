#include "picture/PictureLoader.h"

#include "picture/DecodeLimits.h"
#include "picture/PictureFormats.h"
#include "picture/codecs/BmpRle24.h"
#include "picture/codecs/DdsUncompressed.h"
#include "picture/codecs/EpsDecoder.h"
#include "picture/codecs/GifDecoder.h"
#include "picture/codecs/IconReader.h"
#include "picture/codecs/JpegDecoder.h"
#include "picture/codecs/MagickDecoder.h"
#include "picture/codecs/MetafileDecoder.h"
#include "picture/codecs/PngDecoder.h"
#include "picture/codecs/PsdComposite.h"
#include "picture/codecs/PspDecoder.h"
#include "picture/codecs/TiffDecoder.h"
#include "platform/Errors.h"

#include <QFile>
#include <algorithm>
#include <mutex>
#include <shared_mutex>

namespace {

// One lock for every table: entries change only at start-up and when a plug-in loader goes.
std::shared_mutex &TableMutex() {
    static std::shared_mutex mutex;
    return mutex;
}

using BufferDecoder = void (*)(const QByteArray &, TBitmap32 &);

PictureDecoder FromFile(BufferDecoder decode) {
    return [decode](const QString &fileName, TBitmap32 &bitmap) {
        decode(decode_limits::ReadWholeFile(fileName), bitmap);
    };
}

PictureDecoder Magick(const char *coder, const char *shortName) {
    return [coder, shortName](const QString &fileName, TBitmap32 &bitmap) {
        DecodeWithMagick(decode_limits::ReadWholeFile(fileName), coder, shortName, bitmap);
    };
}

// ImageMagick first; a file it refuses goes to our own reader of the layouts ImageMagick 6 lacks,
// and when that one does not know the file either, ImageMagick's refusal stands.
using Fallback = bool (*)(const QByteArray &, TBitmap32 &);
PictureDecoder MagickThen(const char *coder, const char *shortName, Fallback fallback) {
    return [coder, shortName, fallback](const QString &fileName, TBitmap32 &bitmap) {
        const QByteArray data = decode_limits::ReadWholeFile(fileName);
        try {
            DecodeWithMagick(data, coder, shortName, bitmap);
        } catch (const OrvantaError &) {
            if (!fallback(data, bitmap))
                throw;
        }
    };
}

void FillBuiltIns(DecoderTable &t) {
    const PictureDecoder metafile = FromFile(DecodeMetafile);
    const PictureDecoder icon = FromFile(ReadIcon);
    const PictureDecoder bmp = MagickThen(magick_coder::Bmp, "BMP", DecodeBmpRle24);
    const RequestDecoder jpeg = [](const QString &fileName, TBitmap32 &bitmap, const DecodeRequest &request,
                                   PictureSize &fullSize) {
        DecodeJpeg(decode_limits::ReadWholeFile(fileName), bitmap, request, fullSize);
    };
    const PictureDecoder targa = Magick(magick_coder::Targa, "TGA");
    const PictureDecoder tiff = FromFile(DecodeTiff);
    const PictureDecoder eps = FromFile(DecodeEps);
    const PictureDecoder pcx = Magick(magick_coder::Pcx, "PCX");
    const PictureDecoder sgi = Magick(magick_coder::Sgi, "SGI");
    const PictureDecoder psd = MagickThen(magick_coder::Photoshop, "PSD", DecodePsdComposite);
    const PictureDecoder gif = FromFile(DecodeGif);
    const PictureDecoder png = FromFile(DecodePng);

    // 1. The basic entries.
    t.Add("wmf", "Windows Metafile", metafile);
    t.Add("emf", "Enhanced Windows Metafile", metafile);
    t.Add("ico", "Windows icon", icon);
    t.Add("bmp", "Windows Bitmap", bmp);
    // 2. to 4.
    t.Add("dds", "Microsoft DirectDraw Surface", MagickThen(magick_coder::Dds, "DDS", DecodeUncompressedDds));
    t.Add("dib", "Device Independent Bitmap", bmp);
    // libjpeg-turbo writes the fourth byte of every pixel as 255, so JPEG results are opaque already.
    t.AddRequestDecoder("jpeg", "Joint Picture Expert Group", jpeg, true);
    t.AddRequestDecoder("jpg", "Joint Picture Expert Group", jpeg, true);
    // 5. The main picture-format set.
    t.Add("bmp", "Windows Bitmap", bmp);
    t.Add("ico", "Windows icon", icon);
    t.Add("wmf", "Windows Metafile", metafile);
    t.Add("emf", "Enhanced Windows Metafile", metafile);
    for (const char *ext : {"jfif", "jpg", "jpe", "jpeg"})
        t.AddRequestDecoder(ext, "Joint Picture Expert Group", jpeg, true);
    for (const char *ext : {"rle", "dib"})
        t.Add(ext, "Windows Bitmap", bmp);
    for (const char *ext : {"win", "vst", "vda", "tga", "icb"})
        t.Add(ext, "Targa Image", targa);
    for (const char *ext : {"tiff", "tif", "fax"})
        t.Add(ext, "TIFF image", tiff);
    t.Add("eps", "Encapsulated Post Script", eps);
    for (const char *ext : {"pcx", "pcc", "scr"})
        t.Add(ext, "Zsoft Paintbrush", pcx);
    for (const char *ext : {"sgi", "rgba", "rgb", "bw"})
        t.Add(ext, "Silicon Graphics", sgi);
    for (const char *ext : {"psd", "pdd"})
        t.Add(ext, "Adobe Photoshop Image", psd);
    t.Add("ppm", "Portable Pixmap", Magick(magick_coder::Ppm, "PPM"));
    t.Add("pgm", "Portable Graymap", Magick(magick_coder::Pgm, "PGM"));
    t.Add("pbm", "Portable Bitmap", Magick(magick_coder::Pbm, "PBM"));
    t.Add("pcd", "Kodak Photo-CD Image", Magick(magick_coder::PhotoCd, "PCD"));
    t.Add("gif", "Graphics Interchange Format", gif);
    t.Add("psp", "Paint Shop Pro Image", FromFile(DecodePsp));
    t.Add("png", "Portable Network Graphics", png);
    // 6. The second GIF entry (GIF files take their own path in LoadPictureFile).
    t.Add("gif", "Graphics Interchange Format", gif);
}

} // namespace


DecoderTable::DecoderTable() { FillBuiltIns(*this); }

DecoderTable &DecoderTable::Instance() {
    static DecoderTable table;
    return table;
}

void DecoderTable::Add(const QString &extension, const QString &description, PictureDecoder decoder,
                       const void *owner, bool opaque) {
    std::unique_lock lock(TableMutex());
    entries_.push_back(Entry{extension.toLower(), description, std::move(decoder), owner, opaque});
}

void DecoderTable::AddRequestDecoder(const QString &extension, const QString &description, RequestDecoder decoder,
                                     bool opaque) {
    PictureDecoder plain = [decoder](const QString &fileName, TBitmap32 &bitmap) {
        PictureSize fullSize;
        decoder(fileName, bitmap, DecodeRequest(), fullSize);
    };
    std::unique_lock lock(TableMutex());
    entries_.push_back(Entry{extension.toLower(), description, std::move(plain), nullptr, opaque, std::move(decoder)});
}

void DecoderTable::RemoveOwnedBy(const void *owner) {
    std::unique_lock lock(TableMutex());
    std::erase_if(entries_, [owner](const Entry &e) { return owner && e.Owner == owner; });
}

PictureDecoder DecoderTable::Find(const QString &extension) const {
    const std::optional<Entry> entry = FindEntry(extension);
    return entry ? entry->Decoder : PictureDecoder();
}

std::optional<DecoderTable::Entry> DecoderTable::FindEntry(const QString &extension) const {
    const QString key = extension.toLower();
    std::shared_lock lock(TableMutex());
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (it->Extension == key)
            return *it;
    return std::nullopt;
}

std::vector<DecoderTable::Entry> DecoderTable::Entries() const {
    std::shared_lock lock(TableMutex());
    return entries_;
}

namespace {

void LoadIcon(const QString &fileName, TBitmap32 &bitmap) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw OrvantaError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    const QByteArray head = file.read(4);
    file.close();
    if (head.size() != 4 || head != QByteArray("\x00\x00\x01\x00", 4))
        throw OrvantaError(QStringLiteral("Invalid ICO image format."));
    ReadIcon(decode_limits::ReadWholeFile(fileName), bitmap);
}

// The last step of every decode: alpha 255 unless the decoder made it so, and the mirror when it
// was asked for and the decoder did not do it. Both in one pass over the rows.
void FinishPicture(TBitmap32 &bitmap, bool setAlpha, bool mirror) {
    if (!mirror) {
        if (setAlpha)
            bitmap.SetAlpha(255);
        return;
    }
    const int w = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        TColor32 *row = bitmap.ScanLine(y);
        std::reverse(row, row + w);
        if (setAlpha)
            for (int x = 0; x < w; ++x)
                row[x] |= 0xFF000000u;
    }
}

} // namespace

void LoadPictureFile(const QString &FileName, TBitmap32 &Bitmap) {
    PictureSize fullSize;
    LoadPictureFile(FileName, Bitmap, DecodeRequest(), fullSize);
}

void LoadPictureFile(const QString &FileName, TBitmap32 &Bitmap, const DecodeRequest &Request,
                     PictureSize &FullSize) {
    const QString ext = PictureFileExtension(FileName).toUpper();
    bool opaque = false;
    bool honoured = false; // the decoder took the request (and reported the full size)
    if (ext == QLatin1String(".GIF")) {
        DecodeGif(decode_limits::ReadWholeFile(FileName), Bitmap);
    } else if (ext == QLatin1String(".ICO")) {
        LoadIcon(FileName, Bitmap);
    } else {
        const QString bare = ext.mid(1).toLower();
        const std::optional<DecoderTable::Entry> entry = DecoderTable::Instance().FindEntry(bare);
        if (!entry || (!entry->Decoder && !entry->Requested))
            throw OrvantaError(QStringLiteral("Unknown picture file extension (.%1)").arg(bare));
        if (entry->Requested) {
            entry->Requested(FileName, Bitmap, Request, FullSize);
            honoured = true;
        } else {
            entry->Decoder(FileName, Bitmap);
        }
        opaque = entry->Opaque;
    }
    if (!honoured)
        FullSize = {Bitmap.Width(), Bitmap.Height()};
    FinishPicture(Bitmap, !opaque, Request.MirrorLeftRight && !honoured);
}

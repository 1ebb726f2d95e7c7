#pragma once
// The decoding front end: the table that maps extensions to decoders, and LoadPictureFile,
// which turns one picture file into a 32-bit bitmap. Safe to call from any thread.

#include "picture/Bitmap32.h"
#include "picture/DecodeRequest.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

// Reads the named file into the bitmap or raises OrvantaError with the user-visible message.
using PictureDecoder = std::function<void(const QString &FileName, TBitmap32 &Bitmap)>;
// A decoder that honours a DecodeRequest (reduced size, mirroring) and reports the full size.
using RequestDecoder = std::function<void(const QString &FileName, TBitmap32 &Bitmap, const DecodeRequest &Request,
                                          PictureSize &FullSize)>;

// Extension -> decoder. Lookups search from the newest entry backwards, so the latest entry for
// an extension wins (plug-ins, entered last, take precedence over the built-in decoders).
class DecoderTable {
public:
    struct Entry {
        QString Extension; // lower case, without the dot
        QString Description;
        PictureDecoder Decoder;
        const void *Owner; // who may take the entry out again (a plug-in loader); null for built-ins
        bool Opaque;       // the decoder itself sets every alpha byte to 255
        RequestDecoder Requested = {}; // set when the decoder honours decode requests
    };

    // The process-wide table, filled with the built-in decoders on first use.
    static DecoderTable &Instance();

    void Add(const QString &extension, const QString &description, PictureDecoder decoder,
             const void *owner = nullptr, bool opaque = false);
    // A built-in entry whose decoder honours decode requests; Decoder calls it with an empty one.
    void AddRequestDecoder(const QString &extension, const QString &description, RequestDecoder decoder,
                           bool opaque);
    // Takes out every entry added with this owner.
    void RemoveOwnedBy(const void *owner);
    // The decoder of the newest entry for the extension (any case, without the dot); empty if none.
    PictureDecoder Find(const QString &extension) const;
    // The newest entry for the extension, if any.
    std::optional<Entry> FindEntry(const QString &extension) const;
    // A copy of all entries, oldest first.
    std::vector<Entry> Entries() const;

    DecoderTable(); // a table with the built-in entries (tests build their own)

private:
    std::vector<Entry> entries_;
};

// Decodes the named file into Bitmap (picture size, alpha 255): GIF files through the GIF
// decoder, icon files through the icon reader, all others through DecoderTable. Raises
// OrvantaError with the decoder's message on failure; Bitmap may then hold anything.
void LoadPictureFile(const QString &FileName, TBitmap32 &Bitmap);
// The same with a request: Bitmap gets a size the request allows (the full size unless the
// decoder can reduce) and is mirrored when asked; FullSize receives the picture's own size.
void LoadPictureFile(const QString &FileName, TBitmap32 &Bitmap, const DecodeRequest &Request,
                     PictureSize &FullSize);

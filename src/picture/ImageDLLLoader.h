#pragma once
// Optional decoder plug-ins: shared libraries named jasperlib.so or tiffread.so (any case) in the
// program's folder that export the entry points of ImageContainer.h. Their load filters add
// extensions to the decoder table, where they take precedence over the built-in decoders.

#include "picture/Bitmap32.h"
#include "picture/ImageContainer.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>
#include <vector>

class DecoderTable;

class TImageDLLLoader {
public:
    struct Plugin {
        void *Handle = nullptr;
        TLibLoadImage LibLoadImage = nullptr;
        TLibSaveImage LibSaveImage = nullptr;
        TLibFreeImage LibFreeImage = nullptr;
        QString LoadFilter; // as the library returned it, or empty
        QString SaveFilter;
        QString FileName;
        QStringList Extensions;              // upper case, each once, from the load filter
        std::shared_ptr<std::mutex> CallLock; // a plug-in is called by one thread at a time
    };

    explicit TImageDLLLoader(DecoderTable *table = nullptr); // null: DecoderTable::Instance()
    ~TImageDLLLoader(); // takes its entries out of the table and unloads every library
    TImageDLLLoader(const TImageDLLLoader &) = delete;
    TImageDLLLoader &operator=(const TImageDLLLoader &) = delete;

    // Looks for plug-ins in Folder, adds their extensions to the table; true when one was kept.
    bool FindPluginDecoders(const QString &Folder);
    // Decodes a file through the first plug-in whose load filter lists its type.
    void LoadPicture(const QString &FileName, TBitmap32 &Bitmap) const;

    const std::vector<Plugin> &Plugins() const { return plugins_; }

private:
    DecoderTable *table_;
    std::vector<Plugin> plugins_;
};

// The extensions of a load filter text ("JPEG 2000|*.jp2;*.j2k"), upper case, each once, in order.
QStringList ParseLoadFilterExtensions(const QString &filter);

// Converts a plug-in's filled record into the bitmap (Windows bitmap order: B, G, R). Raises
// "Unsupported bitmap format" (no planes), "Unsupported pixel format" or "Error in bitmap data".
void ConvertImageContainer(const TImageContainer &image, TBitmap32 &bitmap);

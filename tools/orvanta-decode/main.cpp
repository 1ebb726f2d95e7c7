// orvanta-decode FILE [OUT.png]: decodes one picture file exactly as the viewer does (plug-ins
// from the program's own folder, then LoadPictureFile), prints "WIDTHxHEIGHT" or the error
// message, and writes the bitmap as PNG when OUT is given. Exit code 0 on success, 1 on failure.
// With --map N|best and/or --filter NAME (a cmbDefaultFilter text; defaults 512 and Lanczos) it
// makes the texture map the wall would get, by the wall's road (a decode reduced to about the
// map size where the decoder can, mirrored left to right, then BuildTextureMap), prints
// "map WIDTHxHEIGHT" as a second line and writes the map instead of the bitmap. --full makes
// the map from the full-size picture instead (for comparing the two roads).

#include "picture/Bitmap32.h"
#include "picture/ImageDLLLoader.h"
#include "picture/PictureLoader.h"
#include "picture/TextureMap.h"
#include "platform/Errors.h"

#include <QFileInfo>
#include <QImage>
#include <QString>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Options {
    QString file;
    QString out;
    bool makeMap = false;
    bool fullDecode = false;
    TextureMapSettings map; // defaults: fixed 512 x 512, Lanczos
};

bool ApplyMapOption(Options &o, const QString &value) {
    o.makeMap = true;
    if (value == QLatin1String("best")) {
        o.map.useBestMapSize = true;
        return true;
    }
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || (n != 256 && n != 512 && n != 1024 && n != 2048))
        return false;
    o.map.useBestMapSize = false;
    o.map.mapSize = n;
    return true;
}

bool ApplyFilterOption(Options &o, const QString &value) {
    o.makeMap = true;
    return StretchFilterFromName(value, o.map.filter);
}

// Options take the form --name or --name VALUE; add a row here for each new one.
struct OptionRule {
    const char *name;
    bool takesValue;
    std::function<bool(Options &, const QString &value)> apply; // false: bad value
};

const std::vector<OptionRule> &OptionRules() {
    static const std::vector<OptionRule> rules = {
        {"map", true, ApplyMapOption},
        {"filter", true, ApplyFilterOption},
        {"full", false, [](Options &o, const QString &) { return o.makeMap = o.fullDecode = true; }},
    };
    return rules;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: orvanta-decode [--map 256|512|1024|2048|best] [--filter NAME] [--full] FILE [OUT.png]\n");
    return 1;
}

QString ProgramFolder() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2) +
           QLatin1Char('/');
}

bool WritePng(const TBitmap32 &bitmap, const QString &path) {
    const QImage view(reinterpret_cast<const uchar *>(bitmap.Bits()), bitmap.Width(), bitmap.Height(),
                      qsizetype(bitmap.Width()) * 4, QImage::Format_ARGB32);
    return view.save(path, "PNG");
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    std::vector<QString> positional;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (!arg.startsWith(QLatin1String("--"))) {
            positional.push_back(arg);
            continue;
        }
        const OptionRule *rule = nullptr;
        for (const OptionRule &r : OptionRules())
            if (arg == QLatin1String("--") + QLatin1String(r.name))
                rule = &r;
        if (!rule)
            return Usage();
        QString value;
        if (rule->takesValue) {
            if (++i >= argc)
                return Usage();
            value = QString::fromLocal8Bit(argv[i]);
        }
        if (!rule->apply(options, value))
            return Usage();
    }
    if (positional.empty() || positional.size() > 2)
        return Usage();
    options.file = positional[0];
    if (positional.size() == 2)
        options.out = positional[1];

    TImageDLLLoader plugins;
    plugins.FindPluginDecoders(ProgramFolder());
    TBitmap32 bitmap;
    PictureSize pictureSize;
    try {
        DecodeRequest request;
        if (options.makeMap) {
            if (!options.fullDecode)
                request = TextureMapDecodeRequest(options.map);
            request.MirrorLeftRight = true;
        }
        LoadPictureFile(options.file, bitmap, request, pictureSize);
    } catch (const OrvantaError &e) {
        std::printf("%s\n", e.Message().toLocal8Bit().constData());
        return 1;
    }
    std::printf("%dx%d\n", pictureSize.Width, pictureSize.Height);
    if (options.makeMap) {
        TBitmap32 map;
        try {
            BuildTextureMap(bitmap, pictureSize, map, options.map);
        } catch (const OrvantaError &e) {
            std::printf("%s\n", e.Message().toLocal8Bit().constData());
            return 1;
        }
        std::printf("map %dx%d\n", map.Width(), map.Height());
        bitmap = std::move(map);
    }
    if (!options.out.isEmpty() && !WritePng(bitmap, options.out)) {
        std::fprintf(stderr, "cannot write %s\n", options.out.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

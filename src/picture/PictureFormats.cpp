#include "picture/PictureFormats.h"

#include <QStringList>

const std::array<PictureFormat, 42> PictureFormatTable = {{
    {"jpg", "Joint Picture Expert Group"},
    {"jpeg", "Joint Picture Expert Group"},
    {"jpe", "Joint Picture Expert Group"},
    {"jp2", "JPEG 2000"},
    {"jpc", "JPEG 2000"},
    {"j2k", "JPEG 2000"},
    {"j2c", "JPEG 2000"},
    {"gif", "Graphics Interchange Format"},
    {"png", "Portable Network Graphics"},
    {"bmp", "Windows Bitmap"},
    {"dib", "Windows Bitmap"},
    {"rle", "Windows Bitmap"},
    {"tif", "TIFF image"},
    {"tiff", "TIFF image"},
    {"fax", "GFI Fax images"},
    {"wmf", "Windows Metafile"},
    {"emf", "Windows Metafile"},
    {"dds", "Microsoft DirectDraw Surface"},
    {"eps", "Encapsulated Post Script"},
    {"tga", "Targa Image"},
    {"vda", "Targa Image"},
    {"vst", "Targa Image"},
    {"icb", "Targa Image"},
    {"pcx", "Zsoft Paintbrush"},
    {"pcc", "Zsoft Paintbrush"},
    {"scr", "Zsoft Paintbrush"},
    {"ico", "Windows icon"},
    {"pnm", "Portable Bitmap"},
    {"pgm", "Portable Bitmap"},
    {"ppm", "Portable Bitmap"},
    {"pbm", "Portable Bitmap"},
    {"hips", "HIPS image"},
    {"hip", "HIPS image"},
    {"ras", "Sun Rasterfile"},
    {"psd", "Adobe Photoshop Image"},
    {"pdd", "Adobe Photoshop Image"},
    {"psp", "Paint Shop Pro Image"},
    {"pcd", "Kodak Photo-CD Image"},
    {"bw", "Silicon Graphics"},
    {"rgb", "Silicon Graphics"},
    {"rgba", "Silicon Graphics"},
    {"sgi", "Silicon Graphics"},
}};

QString BuildPictureExtensions() {
    QString result;
    for (const PictureFormat &row : PictureFormatTable)
        result += QStringLiteral("*.") + QLatin1String(row.Extension) + QLatin1Char(';');
    return result;
}

QString PictureExtensions = BuildPictureExtensions();

QString PictureFileExtension(const QString &fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    if (dot < 0 || dot < slash)
        return QString();
    return fileName.mid(dot);
}

bool IsPictureFile(const QString &FileName) {
    const QString probe = QLatin1Char('*') + PictureFileExtension(FileName).toLower() + QLatin1Char(';');
    return PictureExtensions.contains(probe);
}

QString BuildOpenDialogFilter(const QString &Extensions) {
    QString spaced = Extensions;
    spaced.replace(QLatin1Char(';'), QLatin1Char(' '));
    QString result = QStringLiteral("All formats (") + spaced + QStringLiteral(")|") + Extensions +
                     QLatin1Char('|');
    for (const PictureFormat &row : PictureFormatTable) {
        const QLatin1String name(row.FormatName);
        QString patterns;
        for (const PictureFormat &other : PictureFormatTable)
            if (QLatin1String(other.FormatName) == name)
                patterns += QStringLiteral("*.") + QLatin1String(other.Extension) + QLatin1Char(';');
        QString blanks = patterns;
        blanks.replace(QLatin1Char(';'), QLatin1Char(' '));
        blanks = blanks.trimmed();
        if (!result.contains(name))
            result += name + QStringLiteral(" (") + blanks + QStringLiteral(")|") + patterns + QLatin1Char('|');
    }
    if (result.endsWith(QLatin1Char('|')))
        result.chop(1);
    return result;
}

QString ToQtDialogFilter(const QString &openDialogFilter) {
    // Entries come in pairs: the shown name (which already lists the patterns) and the pattern list.
    const QStringList parts = openDialogFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString shown = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns = patterns.simplified();
        // Qt reads the patterns from the parentheses of the shown name; make them the real list.
        const qsizetype open = shown.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            shown = shown.left(open).trimmed();
        entries << shown + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

#pragma once
// The picture file formats: the fixed table of 42 extensions, the extension list built from it,
// the one picture-file test used everywhere, and the filter text of the picture open dialog.

#include <QString>
#include <array>

struct PictureFormat {
    const char *Extension;  // lower case, without the dot
    const char *FormatName; // rows with the same name form one dialog filter group
};

// Order matters: the dialog filter lists the groups in it, and retries take extensions from it.
extern const std::array<PictureFormat, 42> PictureFormatTable;

// "*.jpg;*.jpeg;...;*.sgi;" from the table, in table order.
QString BuildPictureExtensions();

// The extension list used by IsPictureFile; built at start-up (the main window may store
// BuildPictureExtensions() into it again).
extern QString PictureExtensions;

// The extension of a file name with its dot ("" when none): the text from the last '.' that
// stands after the last '/'.
QString PictureFileExtension(const QString &fileName);

// True when the file's extension (in any case) is one of the table's.
bool IsPictureFile(const QString &FileName);

// "All formats (...)|...|Joint Picture Expert Group (...)|...|...": one all-formats entry and
// one entry per format group, in table order.
QString BuildOpenDialogFilter(const QString &Extensions);

// The same filter in QFileDialog's form: "Name (*.a *.b);;Name (*.c)".
QString ToQtDialogFilter(const QString &openDialogFilter);

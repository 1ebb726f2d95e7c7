#pragma once
// Small shared helpers: paths and numbered names.

#include <QString>

// An empty path stays empty; otherwise a "/" is appended unless the path ends with one.
QString AddTrailingBackslash(const QString &path);

// The user's roaming application-data folder ($XDG_DATA_HOME or ~/.local/share), not created;
// empty when it cannot be named.
QString GetRoamingAppDataPath();

// The decimal digits of value with width - digits + 1 zeros in front when that count is
// positive: PadNumber(1, 4) = "00001", PadNumber(12345, 4) = "12345". Longer numbers are not cut.
QString PadNumber(int value, int width);

// The extension of a file name with its dot ("photo.JPG" -> ".JPG"): from the last "." that
// stands after the last "/"; empty when there is none.
QString ExtractFileExt(const QString &fileName);
// The folder part of a path, with its trailing "/" ("" when there is none).
QString ExtractFilePath(const QString &fileName);
// The name part of a path, without its folder.
QString ExtractFileName(const QString &fileName);

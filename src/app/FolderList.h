#pragma once
// Picture files of folders: the folder list used to step through one folder's pictures, and
// the collection of a folder's pictures for a load. Both list a folder the way a file manager
// shows it: natural, case-insensitive name order ("img2" before "img10").

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

struct AList {
    QString Folder;    // with a trailing "/"
    QString BaseName;  // without the extension
    QString Ext;       // with its dot
    int32_t Size = 0;  // low 32 bits of the size in bytes
    int32_t Time = 0;  // last write, packed DOS date and time
    int32_t Attr = 0;  // read-only 0x01, hidden 0x02, archive 0x20
    QString Path() const { return Folder + BaseName + Ext; }
};

using TFolderFileList = std::vector<AList>;

// Appends the picture files of the folder itself (sub-folders are not entered).
void ListFolderPictures(TFolderFileList &list, const QString &folder);

// The picture files of a folder in load order: its own files, then (when recursive) each
// sub-folder's pictures in turn, depth first. Links to folders already visited are not
// followed again.
QStringList CollectFolderPictures(const QString &folder, bool recursive);

// 0 when the path does not exist, 2 for a folder, 1 otherwise.
int GetPathKind(const QString &path);

// Natural, case-insensitive comparison of two names: negative, zero or positive.
int NaturalCompare(const QString &a, const QString &b);

#pragma once
// Copies of a picture's file: "Save Picture As...", "Send to" a personal folder, and the texts
// of their messages. The messages go through a FilePrompts object, so this layer needs no
// widgets; the dialogs layer provides the message-box implementation.

#include <QString>

#include <cstdint>
#include <functional>

// The message boxes the file operations show.
class FilePrompts {
public:
    virtual ~FilePrompts() = default;
    virtual void ShowPlainMessage(const QString &text) = 0;  // no icon, OK
    virtual void ShowErrorMessage(const QString &text) = 0;  // error icon, OK
    virtual bool AskWarningYesNo(const QString &text) = 0;   // warning icon, Yes/No; true on Yes
};

inline const QString kSourceFileNotFound =
    QStringLiteral("Cannot execute action, source file not found!");

// "Size: " + text, or "Size: N/A" when the text is empty or only blanks.
QString FormatSizeText(const QString &text);

// message + " " + the file name without extension (when there is one) +
// ": It is being used by another person or program.\r\n\r\nClose any programs that might be
// using the file and try again."
QString FileInUseErrorText(const QString &message, const QString &path);
void ShowFileInUseError(const QString &message, const QString &path, FilePrompts &prompts);

// Copies source over target (an existing file there is replaced). A missing source shows
// kSourceFileNotFound; a failed copy shows ShowFileInUseError("Cannot copy", source).
// True when the copy was made.
bool CopyPictureFile(const QString &source, const QString &target, FilePrompts &prompts);

// The personal folders a picture can be sent to.
enum class SendTarget : uint8_t { Desktop = 0, MyDocuments = 1, MyPictures = 2 };
// "Desktop", "My Documents", "My Pictures".
QString SendTargetLabel(SendTarget target);
// The target's folder (not created); empty when it does not exist.
QString SendTargetFolder(SendTarget target);

// Copies source into the target's folder under its own name. Missing source:
// kSourceFileNotFound; missing folder: label + " folder not found!" (error); an existing
// destination is replaced only after Yes to the warning "<dest> already exists.\r\nDo you want
// to replace it?"; a failed copy: ShowFileInUseError("Cannot send", source). True when copied.
bool SendToFolder(const QString &source, SendTarget target, FilePrompts &prompts);

// How the save dialog of "Save Picture As..." is set up for a source file.
struct SaveDialogSetup {
    QString initialFolder;     // "SP" when it names an existing folder, else GetMyPicturesFolder()
    QString fileName;          // the source's name without folder
    QString extension;         // the source's extension without its "." (may be empty)
    QString defaultExtension;  // the same; empty means none is added
    QString filter;            // ext + " image (*." + ext + ")|*." + ext
    QString qtNameFilter;      // the filter's name part, as a Qt name filter
};
SaveDialogSetup PrepareSaveDialog(const QString &source);

// Shows the save dialog for a setup; returns the chosen file, or empty when cancelled.
using SaveFileChooser = std::function<QString(const SaveDialogSetup &setup)>;

// "Save Picture As..." for the selected picture's file: missing source -> kSourceFileNotFound
// and nothing else; otherwise the chooser asks for a target, its folder is stored as "SP"
// (before copying, so it is kept even when the copy fails), then CopyPictureFile.
// True when a copy was made.
bool SavePictureAs(const QString &source, const SaveFileChooser &chooser, FilePrompts &prompts);

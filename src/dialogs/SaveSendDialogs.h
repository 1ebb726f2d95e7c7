#pragma once
// What the main window's "Save Picture As..." and "Send to" entries call with the selected
// picture's file path: the file operations of util/FileOps.h with Orvanta's message boxes and
// the save dialog.

#include "util/FileOps.h"

#include <QString>

class QWidget;

// The save dialog dlgSavePicture set up as PrepareSaveDialog says: proposed name, default
// extension, the one filter, asks before overwriting, resizable. Empty when cancelled.
QString ChooseSaveFile(const SaveDialogSetup &setup, QWidget *parent);

// "Save Picture As..." (mniCopyToClick).
bool SavePictureAsDialog(const QString &source, QWidget *parent);
// "Send to" > "Desktop" / "My Documents" / "My Pictures".
bool SendPictureToFolder(const QString &source, SendTarget target);
// "Send to" > "Web Browser": the picture's file URL opened in the default web browser.
// "Send to" > "Mail Recipient": a new mail with the file's name as subject and its URL as body
// (a mailto link carries no attachment). Both show the source-not-found message for a missing
// file. True when the request was made.
bool SendPictureToWebBrowser(const QString &source);
bool SendPictureToMailRecipient(const QString &source);
// ShowFileInUseError with the error box.
void ShowFileInUseError(const QString &message, const QString &path);

#pragma once
// Shell operations: handing a link or a file to the desktop's default handler, composing an
// e-mail, the personal and temporary folders, and the trash.

#include <QString>

#include <functional>

// Lets pending events run, then asks the desktop to open the text (a URL, or a local path)
// with its default handler. The outcome is not looked at.
void ShellOpen(const QString &pathOrUrl);

// "mailto:" + recipient + "?subject=" + subject + "&Body=" + body, joined without escaping.
QString ComposeMailText(const QString &recipient, const QString &subject, const QString &body);
// Lets pending events run, then opens ComposeMailText(...) like ShellOpen.
void ComposeMail(const QString &recipient, const QString &subject, const QString &body);

// Test seam: when a handler is set, ShellOpen and ComposeMail pass it the text they would
// open instead of asking the desktop. An empty function restores the desktop.
using ShellOpenHandler = std::function<void(const QString &text)>;
void SetShellOpenHandler(ShellOpenHandler handler);

// The command line that opens a URL in the user's default web browser: the desktop entry that
// the freedesktop mime-apps lists name for "x-scheme-handler/https" (then "http", then
// "text/html"), its Exec line split into program and arguments, with the URL put in place of
// its file and URL field codes (or appended when it has none). Empty when no browser is named
// or its entry cannot be found or has no Exec line.
QStringList WebBrowserCommand(const QString &url);
// Opens the URL in the default web browser (WebBrowserCommand); falls back to ShellOpen when
// no browser is known or it cannot be started. The test seam of ShellOpen applies.
void OpenInWebBrowser(const QString &url);

// The personal pictures folder; when it does not exist the documents folder, then the desktop
// folder; else empty. No trailing "/".
QString GetMyPicturesFolder();

// The system temporary folder with a trailing "/".
QString GetTempFolder();

// Moves the file (or folder) into the freedesktop trash of the current user; true when the
// file is in the trash afterwards. An empty path or a missing file gives false.
bool SendToRecycleBin(const QString &path);

#pragma once
// The per-run work folder: a private folder for working copies (the retries of a picture that
// will not decode under its own name). WorkRootFolder is per user and private
// ($XDG_RUNTIME_DIR/Orvanta/, else <temp>/Orvanta-<uid>/, mode 0700, refused when another user
// owns it); WorkFolder inside it is named by its creation time ("yymmddhhnnsszzz") and made at
// most once per run, on first need. Safe to call from any thread.

#include <QString>

// The folder paths, with trailing "/"; empty until PrepareWorkFolder made them.
QString WorkRootFolder();
QString WorkFolder();

// True at once when WorkFolder is set and exists; otherwise makes it (with WorkRootFolder) and
// returns whether that succeeded.
bool PrepareWorkFolder();

// When WorkFolder is set and exists: deletes every file in it (sub-folders are left), removes
// it, then removes WorkRootFolder when that is empty (another instance may still use it).
void RemoveWorkFolder();

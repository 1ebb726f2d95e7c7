#pragma once
// Orvanta's plain, error and warning message boxes (caption "Orvanta"), and the FilePrompts
// of the file operations built on them.
//
// Test seam: SetStdMessageHandler installs a function that answers in place of the modal
// box; it gets the kind and the text and returns the result (mrOk, mrYes or mrNo).

#include "dialogs/MsgTypes.h"
#include "util/FileOps.h"

#include <QString>

#include <functional>

class QWidget;

enum class StdMessageKind { Plain, Error, WarningYesNo };

using StdMessageHandler = std::function<int(StdMessageKind kind, const QString &text)>;
void SetStdMessageHandler(StdMessageHandler handler);

// Returns mrOk, or mrYes / mrNo for the question (closing the box answers No).
int ShowStdMessage(StdMessageKind kind, const QString &text, QWidget *parent = nullptr);

// FilePrompts over ShowStdMessage.
FilePrompts &MessageBoxPrompts();

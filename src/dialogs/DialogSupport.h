#pragma once
// What Orvanta's modal dialogs share: the window frame, the modal run (also with one dialog
// of a kind at a time), the closing keys, and the check box that silences a question.

#include "dialogs/MsgTypes.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <type_traits>

class QCheckBox;

// Every frame: fixed size, title bar with a close button, the dialog font. Message frames
// also carry the system menu; info boxes stay on top of other windows on a white ground.
enum class DialogFrame { Message, InfoBox };
void SetDialogFrame(QDialog *dialog, DialogFrame frame);

// Closing keys, watched on the dialog and on each of its child widgets as they are now, so
// they work whatever has the focus. Escape closes with `result` when it is released (its
// press is swallowed, so the dialog's own Escape handling never runs); with `enterCloses`,
// Return and Enter close with the same result when pressed.
void InstallClosingKeys(QDialog *dialog, int result, bool enterCloses);

// Shows the dialog modally (or hands it to `run` when given), lets `beforeDestroy` read the
// closed dialog, destroys it, lets pending window messages run and returns the result.
template <class D>
int RunModal(std::unique_ptr<D> dialog, const std::function<int(std::type_identity_t<D> &)> &run = {},
             const std::function<void(std::type_identity_t<D> &)> &beforeDestroy = {}) {
    const int result = run ? run(*dialog) : dialog->exec();
    if (beforeDestroy)
        beforeDestroy(*dialog);
    dialog.reset();
    QCoreApplication::processEvents();
    return result;
}

// RunModal on the dialog `make` creates, for dialogs shown one at a time: while a dialog of
// the same class shown this way is open, closes that one as Cancel instead (without creating
// another) and returns 0.
template <class D, class Make>
int RunModalOneAtATime(Make &&make, const std::function<int(std::type_identity_t<D> &)> &run = {}) {
    static QPointer<D> open;
    if (D *shown = open) {
        shown->done(mrCancel);
        return 0;
    }
    std::unique_ptr<D> dialog = make();
    open = dialog.get();
    return RunModal(std::move(dialog), run);
}

// A question the user may silence for good: a registry value that counts as set with any
// content. While it is set, `silencedResult` comes back at once and nothing is asked.
// Otherwise `ask` answers; when its box was ticked, "T" is written to the value after the
// answer was chosen, whatever the answer (a refused write raises).
struct SilenceableAnswer {
    int result = mrCancel;
    bool ticked = false;
};
int AskUnlessSilenced(const QString &key, const QString &valueName, int silencedResult,
                      const std::function<SilenceableAnswer()> &ask);

// Asks through RunModal on a dialog D made from the request: its result, and whether its
// chkShowAgain box was ticked when it closed.
template <class D, class Request>
SilenceableAnswer AskWithDialog(const Request &request) {
    SilenceableAnswer answer;
    answer.result = RunModal(std::make_unique<D>(request), {},
                             [&answer](D &dialog) { answer.ticked = dialog.chkShowAgain()->isChecked(); });
    return answer;
}

// The check box that silences a question: chkShowAgain with its caption, its top left at (x, y).
QCheckBox *AddShowAgainBox(QDialog *dialog, const QString &caption, int x, int y);

#pragma once
// Helpers for driving modal dialogs in tests: run an action on the active modal widget once it
// is shown, while the code under test sits in its modal loop.

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace orvanta::test {

// Polls every 20 ms (for at most timeoutMs) until a modal widget is active, then runs the
// action on it once.
inline void WhenModal(std::function<void(QWidget *)> action, int timeoutMs = 5000) {
    auto tries = std::make_shared<int>(timeoutMs / 20);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [action, tries, poll] {
        if (QWidget *w = QApplication::activeModalWidget(); w && w->isVisible()) {
            action(w);
            *poll = nullptr;  // break the self-reference
            return;
        }
        if (--*tries > 0)
            QTimer::singleShot(20, *poll);
    };
    QTimer::singleShot(20, *poll);
}

// Sends a key press and release to the widget that has the focus in w (or w).
inline void SendKey(QWidget *w, int key, bool press = true, bool release = true) {
    QWidget *target = w->focusWidget() ? w->focusWidget() : w;
    if (press) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
    if (release) {
        QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
}

} // namespace orvanta::test

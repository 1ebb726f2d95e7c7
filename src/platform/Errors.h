#pragma once
// The one error type of Orvanta: an exception that carries the message text the user sees.
// Errors are raised where they happen and caught at the level of the user's command.

#include <QString>
#include <stdexcept>

class OrvantaError : public std::runtime_error {
public:
    explicit OrvantaError(const QString &message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString &Message() const noexcept { return message_; }

private:
    QString message_;
};

#pragma once
#include <QString>
#include <stdexcept>

// An error that ends a command and reaches the catch-all error box.
// what() is the UTF-8 message; message() the same as QString.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Text of any escaped exception as the user should see it.
QString ErrorText(const std::exception& e);
// The catch-all box's text rule: a full stop is added when the last character's code is
// above that of "." (46).
QString CatchAllText(const QString& message);

#pragma once

#include "platform/prompts.h"

#include <QString>
#include <stdexcept>
#include <utility>

namespace tl
{

// A run-time failure with a description for the user.
class RunTimeError : public std::runtime_error
{
public:
    explicit RunTimeError(const QString& description)
        : std::runtime_error(description.toStdString()), description_(description)
    {
    }
    const QString& description() const { return description_; }

private:
    QString description_;
};

QString ErrorDescription(const std::exception& e);

// Why a file operation failed, for the user: a Japanese sentence for the errno code, with the
// system's own text after it ("ディスクの空き領域が足りません。(No space left on device)").
QString SystemErrorText(int code);
// The same for a file that could not be read: a missing permission is the permission to read.
QString ReadErrorText(int code);

// The message for a file the program keeps for itself (a settings file, the page list) that
// could not be written: the path, and why when code (an errno) is given.
QString CannotWriteFileText(const QString& path, int code = 0);

// The program-wide error convention: the description in a plain box titled "Tagloom" with OK.
void ShowRunTimeError(Prompter& prompter, const QString& description);

// Runs an event handler's body; a failure inside it is shown and ends the handler.
// Returns false when the body failed.
template <class F> bool TrapErrors(Prompter& prompter, F&& body)
{
    try {
        std::forward<F>(body)();
        return true;
    } catch (const std::exception& e) {
        ShowRunTimeError(prompter, ErrorDescription(e));
    }
    return false;
}

} // namespace tl

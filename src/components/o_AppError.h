#pragma once
// The application error box: a failure that no command catches is shown with
// its message ("." appended when the last character sorts after "."), the
// application title as caption, an error icon and OK. The program goes on.

#include <QString>

#include <exception>
#include <functional>

namespace apperror {

// The message as the box shows it.
QString boxText(const QString &message);
void show(const QString &message);
void show(const std::exception &e);

// Run a command; a failure it lets through is shown in the error box.
// Returns false when the command failed.
bool guarded(const std::function<void()> &command);

} // namespace apperror

#pragma once
// Typing as the keyboard does: one key press and release per character, with
// the character as the event's text (letters beyond ASCII included).

#include <QString>

class QWidget;

namespace testkeys {

// "\n" is the Return key.
void typeText(QWidget *target, const QString &text);

} // namespace testkeys

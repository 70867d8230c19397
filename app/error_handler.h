// The general error handler: runs a handler body, and shows any error that
// escapes it in the error box. No exception ever crosses Qt's event loop.
#pragma once

#include <string>
#include <string_view>

class QWidget;

namespace vt {

// The text of the error box: the message with a '.' appended when its last
// character's code (as a Windows-1251 byte) is above that of '.'.
std::string ErrorBoxText(std::string_view message);

// Shows the error box for one message (Windows-1251).
void ShowErrorBox(QWidget* parent, std::string_view message);

// Runs `body`; an error it raises ends it and is shown. A silent abort is not.
template <class Body>
void Guarded(QWidget* parent, Body&& body) noexcept;

void ShowCurrentException(QWidget* parent) noexcept;

template <class Body>
void Guarded(QWidget* parent, Body&& body) noexcept
{
    try {
        body();
    } catch (...) {
        ShowCurrentException(parent);
    }
}

}  // namespace vt

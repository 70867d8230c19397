// The application object. Its event dispatch is the last guard: an error that
// escapes any event handler is shown by the general error handler instead of
// ending the program. It names the program to the desktop: the desktop entry
// it belongs to (docks and task switchers group its windows with the menu
// entry and show its icon) and the icon of every window.
#pragma once

#include <QApplication>

namespace vt {

// The desktop entry's name without ".desktop", as installed in
// share/applications.
inline constexpr const char* kDesktopFileName = "io.github.vesktest.Vesktest";

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace vt

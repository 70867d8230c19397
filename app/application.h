// The application object. Its event dispatch is the last guard: an error that
// escapes any event handler is shown by the general error handler instead of
// ending the program.
#pragma once

#include <QApplication>

namespace vt {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace vt

// Every modal box of the program goes through this one seam: the plain
// message dialog, the error box of the general error handler and the
// file-open dialog. Tests install their own and inspect what was asked.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace vt {

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // No icon, one OK button, captioned with the application's title.
    virtual void ShowMessage(QWidget* parent, const QString& text);
    // Error icon, one OK button, captioned with the application's title.
    virtual void ShowError(QWidget* parent, const QString& text);
    // A file-open dialog starting at `current`; the chosen file's full name,
    // or nothing when the user cancelled.
    virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& current);
};

// The dialogs in use; the Qt ones unless a test installed others.
TDialogs& Dialogs();

// Installs `dialogs` (not owned) in place of the Qt ones; nullptr restores them.
void SetDialogs(TDialogs* dialogs);

inline constexpr const char* kApplicationTitle = "Vesk-Test";

}  // namespace vt

// Tells the user which file the results log is: an installed program keeps
// it in the user's data folder, a portable copy beside the executable.
#pragma once

#include <string>

class QWidget;

namespace vt {

// Sets the tooltips of the results memo and of the Save button to name the
// log at `logPath` (file-system bytes).
void ShowResultsLogPlace(QWidget& memo, QWidget& saveButton, const std::string& logPath);

}  // namespace vt

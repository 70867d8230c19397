// Making the application object on a display that may not be there.
//
// The toolkit ends the process when the display it is asked for cannot be
// opened. Here it is asked for that display and then for painting into
// memory, so that what happens instead is the program's choice: a window
// says in one line that it has no display and the program exits with 1;
// painting out of sight (the batch run) goes on in memory and says so.
#pragma once

#include <memory>
#include <string>

#include "app/application.h"

namespace vt {

enum class TDisplayUse {
    Window,    // a window for the user, which needs a display
    Painting,  // painting out of sight, which does not
};

// The application object, or nothing for a Window without a display, when
// one line on standard error has said so: "<who>: cannot open the display
// (<what names it>); <hint>". For Painting, a display that is named but
// cannot be opened gives the line "<who>: cannot open the display (...);
// painting offscreen". An X display that takes the connection but does not
// answer within kDisplayAnswerMs counts as one that cannot be opened
// ("(DISPLAY=host:10, which did not answer in 5 s)"), so that opening never
// waits without end. The toolkit's own messages are kept off standard
// error while it opens, and for Painting for the rest of the process too
// (a batch run's standard error carries only the program's messages).
std::unique_ptr<TApplication> OpenApplication(int& argc, char** argv, TDisplayUse use,
                                              const std::string& who, const std::string& hint);

}  // namespace vt

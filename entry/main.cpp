// Vesk-Test: a small interactive benchmark for desktop PCs. The entry point
// stands above the modes it starts: the window, and the command words.
#include "app/display.h"
#include "app/environment.h"
#include "app/firstcl_.h"
#include "entry/command_line.h"

int main(int argc, char** argv)
{
    // A command word selects a mode without the window.
    if (argc > 1) return vt::RunCommandLine(argc, argv);
    const auto app = vt::OpenApplication(
        argc, argv, vt::TDisplayUse::Window, "vesktest",
        "without a display, run the tests with 'vesktest batch' or compare logs with "
        "'vesktest compare --text'");
    if (!app) return 1;
    vt::T_fVesktest window(vt::TEnvironment::System());
    window.show();
    return app->exec();
}

// Vesk-Test: a small interactive benchmark for desktop PCs.
#include "app/application.h"
#include "app/environment.h"
#include "app/firstcl_.h"
#include "commands/command_line.h"

int main(int argc, char** argv)
{
    // A command word selects a mode without the window.
    if (argc > 1) return vt::RunCommandLine(argc, argv);
    vt::TApplication app(argc, argv);
    vt::T_fVesktest window(vt::TEnvironment::System());
    window.show();
    return app.exec();
}

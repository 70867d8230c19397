// Vesk-Test: a small interactive benchmark for desktop PCs.
#include "app/application.h"
#include "app/environment.h"
#include "app/firstcl_.h"

int main(int argc, char** argv)
{
    vt::TApplication app(argc, argv);
    vt::T_fVesktest window(vt::TEnvironment::System());
    window.show();
    return app.exec();
}

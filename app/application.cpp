#include "app/application.h"

#include <QFont>

#include "app/dialogs.h"
#include "app/error_handler.h"

namespace vt {

namespace {
// The design names the fonts of the system it was drawn on. These are the
// metric-compatible families shipped with the program's font packages; any
// family not listed here is left to fontconfig's own substitution.
void InstallFontSubstitutions()
{
    struct Pair {
        const char* design;
        const char* local;
    };
    for (const Pair& p :
         {Pair{"MS Sans Serif", "Liberation Sans"}, Pair{"Arial", "Liberation Sans"},
          Pair{"Courier", "Liberation Mono"}, Pair{"Courier New", "Liberation Mono"},
          // The projection button's arrow: DejaVu Sans has the
          // right-pointing arrow glyph it shows.
          Pair{"Wingdings", "DejaVu Sans"}})
        QFont::insertSubstitution(QString::fromLatin1(p.design), QString::fromLatin1(p.local));
}
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(kApplicationTitle));
    InstallFontSubstitutions();
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException(activeWindow());
        return false;
    }
}

}  // namespace vt

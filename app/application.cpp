#include "app/application.h"

#include <QFont>
#include <QIcon>

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
// The program's icon in the sizes the hicolor theme installs, built in so
// that a copy that was never installed shows it too.
QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/vesktest-%1.png").arg(size), QSize(size, size));
    return icon;
}
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The X11 window class is the application name: the desktop entry's
    // StartupWMClass.
    setApplicationName(QString::fromLatin1(kApplicationTitle));
    setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    setWindowIcon(ProgramIcon());
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

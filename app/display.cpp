#include "app/display.h"

#include <QGuiApplication>
#include <cstdio>

#include "platform/display.h"
#include "platform/stop_request.h"
#include "platform/terminal.h"

namespace vt {

namespace {

// Drops the toolkit's messages; a fatal one is still shown, since the
// toolkit ends the process after it.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtFatalMsg)
        TQuietStandardError::WriteThrough(text.toLocal8Bit().toStdString() + "\n");
}

}  // namespace

std::unique_ptr<TApplication> OpenApplication(int& argc, char** argv, TDisplayUse use,
                                              const std::string& who, const std::string& hint)
{
    using TOffscreen = TPlatformChoice::TOffscreen;
    const TDisplayVariables variables = TDisplayVariables::FromProcess();
    TPlatformChoice choice = ChoosePlatforms(variables);
    std::string named = DisplayNamed(variables);
    // The toolkit would wait for an X display that never answers without
    // end: one that does not answer in time is left out, as if refused.
    if (!variables.X11.empty() && PlatformListHas(choice.Platforms, "xcb")) {
        const TDisplayAnswer answer = ProbeXDisplay(variables.X11, kDisplayAnswerMs);
        if (answer == TDisplayAnswer::Silent || answer == TDisplayAnswer::Stopped) {
            choice.Platforms = WithoutPlatform(choice.Platforms, "xcb");
            named += ", which did not answer in " + std::to_string(kDisplayAnswerMs / 1000) + " s";
        }
    }
    const std::string cannot = who + ": cannot open the display (" + named + "); ";
    if (use == TDisplayUse::Window && choice.Offscreen == TOffscreen::NoDisplay) {
        std::fprintf(stderr, "%s%s\n", cannot.c_str(), hint.c_str());
        return nullptr;
    }
    if (!choice.Platforms.empty())
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(choice.Platforms));

    const QtMessageHandler previous = qInstallMessageHandler(QuietMessages);
    std::unique_ptr<TApplication> app;
    {
        // The X library writes a refused connection's reason straight to
        // standard error, past the toolkit's messages.
        const TQuietStandardError quiet;
        app = std::make_unique<TApplication>(argc, argv);
    }
    if (use == TDisplayUse::Window) qInstallMessageHandler(previous);

    const bool offscreen = QGuiApplication::platformName() == QLatin1String(kOffscreenPlatform);
    if (!offscreen || choice.Offscreen == TOffscreen::Asked) return app;
    if (use == TDisplayUse::Window) {
        std::fprintf(stderr, "%s%s\n", cannot.c_str(), hint.c_str());
        return nullptr;
    }
    // A stop that came while the display was tried ends the run next.
    if (choice.Offscreen == TOffscreen::Fallback && !StopRequested())
        std::fprintf(stderr, "%spainting offscreen\n", cannot.c_str());
    return app;
}

}  // namespace vt

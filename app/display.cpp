#include "app/display.h"

#include <QGuiApplication>
#include <cstdio>

#include "platform/display.h"
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
    const TPlatformChoice choice = ChoosePlatforms(variables);
    const std::string cannot =
        who + ": cannot open the display (" + DisplayNamed(variables) + "); ";
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
    if (choice.Offscreen == TOffscreen::Fallback)
        std::fprintf(stderr, "%spainting offscreen\n", cannot.c_str());
    return app;
}

}  // namespace vt

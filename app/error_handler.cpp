#include "app/error_handler.h"

#include <exception>
#include <new>

#include "app/dialogs.h"
#include "app/qt_text.h"
#include "platform/errors.h"

namespace vt {

std::string ErrorBoxText(std::string_view message)
{
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        text += '.';
    return text;
}

void ShowErrorBox(QWidget* parent, std::string_view message)
{
    Dialogs().ShowError(parent, Q(ErrorBoxText(message)));
}

void ShowCurrentException(QWidget* parent) noexcept
{
    try {
        try {
            throw;
        } catch (const EAbort&) {
        } catch (const Exception& e) {
            ShowErrorBox(parent, e.Message());
        } catch (const std::bad_alloc&) {
            ShowErrorBox(parent, EOutOfMemory().Message());
        } catch (const std::exception& e) {
            ShowErrorBox(parent, e.what());
        } catch (...) {
            ShowErrorBox(parent, "Unknown error");
        }
    } catch (...) {
        // Showing the box failed itself; nothing more can be reported.
    }
}

}  // namespace vt

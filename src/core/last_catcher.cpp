#include "core/last_catcher.h"

#include "core/cp1250.h"
#include "core/ui_services.h"

namespace vorlan {

namespace {
int shownCount = 0;
}

bool appException(const std::string& message) {
    if (message.compare(0, 16, "Access violation") == 0) return false;
    MessageBoxRequest request;
    request.caption = applicationTitle();
    // Engine messages are Windows-1250; those of the host's libraries are UTF-8.
    request.text = isValidUtf8(message) ? utf8ToCp1250(message) : message;
    request.icon = MessageIcon::Error;
    request.buttons = ButtonOk;
    ++shownCount;
    ui().messageBox(request);
    return true;
}

bool appException(const std::exception& error) {
    return appException(std::string(error.what()));
}

int shownAppExceptions() {
    return shownCount;
}

void guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        appException(error);
    } catch (...) {
        appException(utf8ToCp1250("Neznámá chyba"));
    }
}

} // namespace vorlan

#include "ui/qt/app_exception.h"

#include "core/cp1250.h"

namespace vorlan::qt {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        appException(error);
    } catch (...) {
        appException(utf8ToCp1250("Neznámá chyba"));
    }
    return false;
}

} // namespace vorlan::qt

#include "ui/qt/screen_colormap.h"

#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace vorlan::qt {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

class ScreenColormap : public QObject {
public:
    explicit ScreenColormap(xcb_connection_t* connection) : connection_(connection) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        rootVisual_ = screen->root_visual;
        colormap_ = screen->default_colormap;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::PlatformSurface) return false;
        if (static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() !=
            QPlatformSurfaceEvent::SurfaceCreated)
            return false;
        if (auto* window = qobject_cast<QWindow*>(object)) useDefaultColormap(window->winId());
        return false;
    }

private:
    void useDefaultColormap(WId id) {
        const auto window = static_cast<xcb_window_t>(id);
        const std::unique_ptr<xcb_get_window_attributes_reply_t, FreeReply> attributes(
            xcb_get_window_attributes_reply(
                connection_, xcb_get_window_attributes(connection_, window), nullptr));
        // Another visual (a translucent window) cannot take the default colormap.
        if (!attributes || attributes->visual != rootVisual_) return;
        const std::uint32_t value = colormap_;
        xcb_change_window_attributes(connection_, window, XCB_CW_COLORMAP, &value);
    }

    xcb_connection_t* connection_;
    xcb_visualid_t rootVisual_ = 0;
    xcb_colormap_t colormap_ = 0;
};

} // namespace

std::unique_ptr<QObject> installScreenColormap() {
    auto* application = qGuiApp;
    if (!application) return nullptr;
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return nullptr;
    auto filter = std::make_unique<ScreenColormap>(x11->connection());
    application->installEventFilter(filter.get());
    return filter;
}

} // namespace vorlan::qt

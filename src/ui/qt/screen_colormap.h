#pragma once
// Windows on an X display drawn in the screen's default colormap.

#include <memory>

class QObject;

namespace vorlan::qt {

// Qt gives each window a colormap of its own, even for the screen's default visual. Programs
// that read the screen window by window (xwd -root, some screen readers and recorders) then
// take every window of the runtime for a separate colour region and read it from the lowest
// of them, so dialogs, menus and lists that lie over another window of the runtime come out
// black although the display shows them. Windows in the default visual therefore get the
// default colormap as soon as they exist, which is what X clients normally use. On other
// platforms nothing is installed. The returned object is the event filter; keep it as long as
// the application runs.
std::unique_ptr<QObject> installScreenColormap();

} // namespace vorlan::qt

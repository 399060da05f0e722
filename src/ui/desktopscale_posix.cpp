#include "desktopscale.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <xcb/xcb.h>

namespace {

// A desktop names its scale in the display's resources, as xrdb sets them: "Xft.dpi:\t144".
bool namesItsScale(xcb_connection_t *connection, int screenNumber)
{
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int skipped = 0; skipped < screenNumber && screen.rem > 0; ++skipped)
        xcb_screen_next(&screen);
    if (screen.rem == 0)
        return false;
    constexpr uint32_t MostWords = 1 << 20;
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> resources(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, screen.data->root,
                                                XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0,
                                                MostWords),
                               nullptr),
        &std::free);
    if (!resources)
        return false;
    const std::string_view lines(static_cast<const char *>(xcb_get_property_value(resources.get())),
                                 std::size_t(xcb_get_property_value_length(resources.get())));
    return lines.rfind("Xft.dpi:", 0) == 0 || lines.find("\nXft.dpi:") != std::string_view::npos;
}

} // namespace

// Qt 5 on X11 takes the monitor's physical size where the desktop names no scale (a bare X
// server, ssh -X, many remote sessions): the window would come out at some fraction, such as
// 834 x 261 on a 100 dpi monitor. Qt's own QT_FONT_DPI, set by the user, still decides.
void scaleOnlyAsTheDesktopAsks()
{
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (std::getenv("QT_FONT_DPI") || (platform && std::strncmp(platform, "xcb", 3) != 0))
        return;
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (!xcb_connection_has_error(connection) && !namesItsScale(connection, screenNumber))
        setenv("QT_FONT_DPI", "96", 0);
    xcb_disconnect(connection);
}

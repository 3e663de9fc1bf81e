#include "platform/qt/DisplayProbe.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace korvalin {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool XDisplayReachable(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

// The compositor's socket: an absolute WAYLAND_DISPLAY, else one below XDG_RUNTIME_DIR.
bool WaylandDisplayReachable(const std::string& display) {
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    const std::string path = display.front() == '/' ? display : runtime + "/" + display;
    sockaddr_un address{};
    if (path.size() >= sizeof(address.sun_path) || (display.front() != '/' && runtime.empty())) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int socketFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketFd < 0) {
        return false;
    }
    const bool reachable =
        connect(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(socketFd);
    return reachable;
}

}  // namespace

std::string UnreachableDisplay() {
    const std::string platform = Environment("QT_QPA_PLATFORM");
    if (!platform.empty() && platform.rfind("xcb", 0) != 0 && platform.rfind("wayland", 0) != 0) {
        return {};  // a platform of the user's choice (offscreen, vnc, ...) needs no server
    }
    const std::string x = Environment("DISPLAY");
    const std::string wayland = Environment("WAYLAND_DISPLAY");
    if ((!x.empty() && XDisplayReachable(x)) ||
        (!wayland.empty() && WaylandDisplayReachable(wayland))) {
        return {};
    }
    std::string named;
    if (!x.empty()) {
        named = "DISPLAY=" + x;
    }
    if (!wayland.empty()) {
        named += (named.empty() ? "" : ", ") + std::string("WAYLAND_DISPLAY=") + wayland;
    }
    return named;
}

}  // namespace korvalin

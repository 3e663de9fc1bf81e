#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "console/CommandLine.h"
#include "console/ConsoleMain.h"
#include "platform/linux/MainLoop.h"
#include "platform/linux/NetlinkInterfaceTable.h"

#ifdef KORVALIN_WITH_GUI
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "app/GuiMain.h"
#endif

namespace {

#ifdef KORVALIN_WITH_GUI
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

// Why the windows cannot start although a display is named, or empty when one of the
// named displays answers. Qt aborts the process when its platform plugin finds no
// server, so this is asked before it is started.
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
#endif

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    // Parsed first as without a display: only when the console view would be chosen for the
    // lack of one is the named display tried.
    korvalin::CommandLine commandLine = korvalin::ParseCommandLine(arguments, false);
    if (commandLine.noDisplay && korvalin::DisplayAvailableFromEnvironment()) {
#ifdef KORVALIN_WITH_GUI
        const std::string unreachable = UnreachableDisplay();
        if (unreachable.empty()) {
            commandLine = korvalin::ParseCommandLine(arguments, true);
        } else {
            // The console view, as without a display, with the true reason in place of
            // "none is set".
            commandLine.noDisplay = false;
            std::cerr << "korvalin: cannot connect to the display (" << unreachable
                      << "); starting the console view\n";
        }
#else
        commandLine = korvalin::ParseCommandLine(arguments, true);
#endif
    }
    if (commandLine.mode == korvalin::RunMode::Gui) {
#ifdef KORVALIN_WITH_GUI
        return korvalin::RunGui(argc, argv);
#else
        std::fputs("korvalin: built without windows; use --console.\n", stderr);
        return 1;
#endif
    }
    // Without windows the loop of the calling thread is the user-interface thread.
    korvalin::MainLoop loop;
    korvalin::NetlinkInterfaceTable interfaceTable;
    return korvalin::RunCommandLine(commandLine, loop, interfaceTable, std::cout, std::cerr);
}

#include "app/GuiMain.h"

#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <memory>

#include "app/AboutBox.h"
#include "app/AutoStart.h"
#include "app/ConfigurationWindow.h"
#include "app/LastChanceSave.h"
#include "app/LogindWatcher.h"
#include "app/SignalPipe.h"
#include "app/SingleInstance.h"
#include "app/TerminableDialogs.h"
#include "control/Controller.h"
#include "control/MonitorSources.h"
#include "core/DataFolder.h"
#include "display/StatusWindowSet.h"
#include "display/TrayIcon.h"
#include "platform/linux/LinuxOsVersion.h"
#include "platform/linux/LinuxRegistry.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/NetlinkInterfaceTable.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/QtUiThread.h"
#include "sources/AdapterMonitor.h"
#include "sources/RouterMonitor.h"

namespace korvalin {
namespace {

// Saves at the session manager's request, so a logout that ends the process loses nothing.
void SaveOnSessionRequests(QApplication& application, ConfigurationWindow& main) {
    Controller& controller = main.Control();
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &main,
                     [&controller](QSessionManager&) { controller.SaveSettings(); });
    QObject::connect(&application, &QGuiApplication::saveStateRequest, &main,
                     [&controller](QSessionManager&) { controller.SaveSettings(); });
}

}  // namespace

int RunGui(int argc, char** argv) {
    QApplication application(argc, argv);
    // The program lives in the notification area: hiding its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    const LinuxOsVersion osVersion;
    CheckOperatingSystem(osVersion);

    QtUiThread uiThread;
    QtDialogs qtDialogs;
    TerminableDialogs dialogs(qtDialogs);
    LinuxShell systemShell;
    QtShell shell(systemShell);

    SingleInstance instance(SingleInstance::DefaultFolders(
        QString::fromStdString(DataFolder(shell, dialogs).GetAppDataFolder() + "Korvalin")));
    if (!instance.Acquire()) {
        std::fputs("korvalin: already running; its configuration window was asked to open.\n",
                   stderr);
        return 0;
    }
    LinuxRegistry registry(shell);
    NetlinkInterfaceTable interfaceTable;

    Controller controller(ControllerParts{
        dialogs, shell,
        std::make_unique<AdapterMonitorSource>(
            std::make_unique<AdapterMonitor>(interfaceTable, uiThread)),
        std::make_unique<RouterMonitorSource>(std::make_unique<RouterMonitor>(uiThread)),
        std::make_unique<StatusWindowSet>(registry, dialogs, std::make_unique<StatusWindows>()),
        nullptr,  // no caption text display: the option keeps its value only
    });
    // The display connection breaking ends the program through exit(); the sums counted
    // since the last periodic save are written then.
    const LastChanceSave lastChance([&controller] { controller.SaveSumsOnExit(); });
    ConfigurationWindowDependencies dependencies{
        controller,
        dialogs,
        registry,
        shell,
        TrayIcon::TrayHostAvailable(),
        // Ends the loop at once: quit() would first ask every window to close, and the
        // status windows only hide when asked.
        [] { QCoreApplication::exit(0); },
        // No interface information window and no router information dialog: their
        // buttons do nothing.
        {},
        {},
        [&shell, &dialogs](QWidget& owner) {
            AboutBox about(shell, &owner, &dialogs);
            about.exec();
        },
    };
    ConfigurationWindow main(std::move(dependencies));

    SignalPipe signalPipe;
    QObject::connect(&signalPipe, &SignalPipe::TerminationRequested, &main, [&main, &dialogs](int) {
        dialogs.RequestTermination();
        main.Terminate();
    });
    LogindWatcher logind;
    QObject::connect(&logind, &LogindWatcher::AboutToSleepOrShutDown, &main,
                     [&controller] { controller.SaveSettings(); });
    QObject::connect(&instance, &SingleInstance::ActivationRequested, &main, [&main] {
        main.Konfiguration1Click();
        main.raise();
        main.activateWindow();
    });
    SaveOnSessionRequests(application, main);

    if (!main.FormCreate()) {
        return 1;
    }
    // Asked to end while a start-up message was open: start-up has finished without
    // waiting for anyone, and the window's end saves.
    if (dialogs.Terminating()) {
        return 0;
    }
    return QApplication::exec();
}

}  // namespace korvalin

#include "app/LastChanceSave.h"

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace korvalin {
namespace {

// Empty while no instance is armed.
std::function<void()> armedSave;
std::atomic<bool> saved{false};
QtMessageHandler previousHandler = nullptr;

void SaveAtExit() {
    LastChanceSave::Run();
}

void HandleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        LastChanceSave::Run();
    }
    if (previousHandler != nullptr) {
        previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

}  // namespace

LastChanceSave::LastChanceSave(std::function<void()> save) {
    static bool installed = false;
    armedSave = std::move(save);
    saved = false;
    if (!installed) {
        installed = true;
        std::atexit(SaveAtExit);
        previousHandler = qInstallMessageHandler(HandleMessage);
    }
}

LastChanceSave::~LastChanceSave() {
    armedSave = nullptr;
}

void LastChanceSave::Run() {
    if (!armedSave || saved.exchange(true)) {
        return;
    }
    armedSave();
}

}  // namespace korvalin

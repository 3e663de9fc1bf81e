#include "display/BigFormStatusWindows.h"

#include "display/BigFormUnit.h"

namespace korvalin {

BigFormStatusWindows::BigFormStatusWindows(Registry& registry, Dialogs& dialogs,
                                           std::unique_ptr<StatusWindows> smallWindows)
    : registry_(registry), dialogs_(dialogs), smallWindows_(std::move(smallWindows)) {
    if (!smallWindows_) {
        smallWindows_ = std::make_unique<StatusWindows>();
    }
}

BigFormStatusWindows::~BigFormStatusWindows() = default;

void BigFormStatusWindows::Create(QWidget& owner) {
    smallWindows_->Create(owner);
    // A top-level window of its own, not owned by the configuration window.
    bigForm_ = std::make_unique<TBigForm>(registry_, screens_, dialogs_);
}

void BigFormStatusWindows::UpdateTraffic(std::int64_t received, std::int64_t sent,
                                         std::int64_t totalReceived, std::int64_t totalSent) {
    smallWindows_->UpdateTraffic(received, sent, totalReceived, totalSent);
    if (bigForm_) {
        bigForm_->UpdateTraffic(received, sent, totalReceived, totalSent);
    }
}

void BigFormStatusWindows::ShowBig() {
    if (bigForm_) {
        bigForm_->show();
    }
}

void BigFormStatusWindows::CloseBig() {
    if (bigForm_) {
        bigForm_->close();
    }
}

}  // namespace korvalin

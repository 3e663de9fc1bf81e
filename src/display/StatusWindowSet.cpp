#include "display/StatusWindowSet.h"

#include "display/LargeStatusWindow.h"

namespace korvalin {

StatusWindowSet::StatusWindowSet(Registry& registry, Dialogs& dialogs,
                                 std::unique_ptr<StatusWindows> smallWindows)
    : registry_(registry), dialogs_(dialogs), smallWindows_(std::move(smallWindows)) {
    if (!smallWindows_) {
        smallWindows_ = std::make_unique<StatusWindows>();
    }
}

StatusWindowSet::~StatusWindowSet() = default;

void StatusWindowSet::Create(QWidget& owner) {
    smallWindows_->Create(owner);
    // A top-level window of its own, not owned by the configuration window.
    bigForm_ = std::make_unique<LargeStatusWindow>(registry_, screens_, dialogs_);
}

void StatusWindowSet::UpdateTraffic(std::int64_t received, std::int64_t sent,
                                    std::int64_t totalReceived, std::int64_t totalSent) {
    smallWindows_->UpdateTraffic(received, sent, totalReceived, totalSent);
    if (bigForm_) {
        bigForm_->UpdateTraffic(received, sent, totalReceived, totalSent);
    }
}

void StatusWindowSet::ShowBig() {
    if (bigForm_) {
        bigForm_->show();
    }
}

void StatusWindowSet::CloseBig() {
    if (bigForm_) {
        bigForm_->close();
    }
}

}  // namespace korvalin

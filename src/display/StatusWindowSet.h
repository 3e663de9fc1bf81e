#pragma once

#include <memory>

#include "control/StatusWindows.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "platform/qt/QtScreens.h"

namespace korvalin {

class LargeStatusWindow;

// The controller's status windows with the large window in place: the large window's
// calls go to LargeStatusWindow, the small window's to the windows handed in.
class StatusWindowSet final : public StatusWindows {
public:
    StatusWindowSet(Registry& registry, Dialogs& dialogs,
                    std::unique_ptr<StatusWindows> smallWindows);
    ~StatusWindowSet() override;

    void Create(QWidget& owner) override;
    void UpdateTraffic(std::int64_t received, std::int64_t sent, std::int64_t totalReceived,
                       std::int64_t totalSent) override;
    void ShowSmall(bool barMode) override { smallWindows_->ShowSmall(barMode); }
    void CloseSmall() override { smallWindows_->CloseSmall(); }
    void ShowBig() override;
    void CloseBig() override;
    void Release() override { smallWindows_->Release(); }

    // Empty until Create.
    LargeStatusWindow* BigForm() const { return bigForm_.get(); }

private:
    Registry& registry_;
    Dialogs& dialogs_;
    QtScreens screens_;
    std::unique_ptr<StatusWindows> smallWindows_;
    std::unique_ptr<LargeStatusWindow> bigForm_;
};

}  // namespace korvalin

#pragma once

#include "platform/RePosWindow.h"

class QWidget;

namespace korvalin {

// Lets WindowPlacement place a top-level widget. The position is the window frame's top-left
// corner and the size is the widget's own, without the window manager's decoration:
// the decoration is unknown until the window manager has framed the window, so storing
// the frame's size would let the window grow by it at every start.
class QtRePosWindow final : public RePosWindow {
public:
    explicit QtRePosWindow(QWidget& widget) : widget_(widget) {}

    ScreenRect Bounds() const override;
    void SetLeft(int left) override;
    void SetTop(int top) override;
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    WindowShowState ShowState() const override;
    void SetShowState(WindowShowState state) override;
    bool HasSizeableBorder() const override;
    void KeepOwnPosition() override;

private:
    QWidget& widget_;
};

}  // namespace korvalin

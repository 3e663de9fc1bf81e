#include "widgets/MySpeedButton.h"

namespace korvalin {

TMySpeedButton::TMySpeedButton(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QToolButton::clicked, this, [this] {
        if (groupIndex_ != 0) {
            setChecked(true);
            RaiseGroupMates();
        }
    });
}

void TMySpeedButton::SetCaption(const QString& caption) {
    setText(caption);
}

void TMySpeedButton::SetHint(const QString& hint) {
    setToolTip(hint);
    setStatusTip(hint);
}

void TMySpeedButton::SetGlyph(const QIcon& glyph) {
    setIcon(glyph);
}

void TMySpeedButton::SetGroupIndex(int group) {
    groupIndex_ = group;
    setCheckable(group != 0);
}

void TMySpeedButton::SetDown(bool down) {
    if (groupIndex_ == 0) {
        setDown(down);
        return;
    }
    setChecked(down);
    if (down) {
        RaiseGroupMates();
    }
}

void TMySpeedButton::RaiseGroupMates() {
    if (parentWidget() == nullptr) {
        return;
    }
    const auto mates =
        parentWidget()->findChildren<TMySpeedButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (TMySpeedButton* mate : mates) {
        if (mate != this && mate->groupIndex_ == groupIndex_) {
            mate->setChecked(false);
        }
    }
}

}  // namespace korvalin

#include "display/TrayIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace korvalin {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent), icon_(new QSystemTrayIcon(this)) {
    setObjectName(QStringLiteral("TrayIcon"));
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { Activated(reason); });
}

TrayIcon::~TrayIcon() {
    SetActive(false);
}

void TrayIcon::SetActive(bool active) {
    if (active == active_) {
        return;
    }
    active_ = active;
    if (active) {
        Add();
    } else {
        Remove();
    }
}

void TrayIcon::SetDefaultIcon(const QIcon& icon) {
    defaultIcon_ = icon;
    icon_->setIcon(icon);
}

void TrayIcon::SetToolTip(const QString& text) {
    toolTip_ = text.left(TipLimit);
    icon_->setToolTip(toolTip_);
}

void TrayIcon::SetPopupMenu(QMenu* menu) {
    popupMenu_ = menu;
    // Qt opens the context menu itself on the right press, at the pointer.
    icon_->setContextMenu(menu);
}

bool TrayIcon::TrayHostAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::Activated(int reason) {
    // Qt reports the left press as Trigger and a following double click separately, so
    // a double click opens the window once.
    if (reason == QSystemTrayIcon::Trigger) {
        emit OnClick();
    }
}

void TrayIcon::Add() {
    icon_->setIcon(defaultIcon_);
    icon_->setToolTip(toolTip_);
    // Qt keeps a shown icon and docks it again into a tray host that appears later, so
    // "added" means only that a host was there to take it now.
    icon_->show();
    iconAddedToSysTray_ = TrayHostAvailable() && icon_->isVisible();
}

void TrayIcon::Remove() {
    icon_->hide();
    iconAddedToSysTray_ = false;
}

}  // namespace korvalin

#include "display/TrayIco.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace korvalin {

TTrayIcon95::TTrayIcon95(QObject* parent) : QObject(parent), icon_(new QSystemTrayIcon(this)) {
    setObjectName(QStringLiteral("TrayIcon"));
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { Activated(reason); });
}

TTrayIcon95::~TTrayIcon95() {
    SetActive(false);
}

void TTrayIcon95::SetActive(bool active) {
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

void TTrayIcon95::SetDefaultIcon(const QIcon& icon) {
    defaultIcon_ = icon;
    icon_->setIcon(icon);
}

void TTrayIcon95::SetToolTip(const QString& text) {
    toolTip_ = text.left(TipLimit);
    icon_->setToolTip(toolTip_);
}

void TTrayIcon95::SetPopupMenu(QMenu* menu) {
    popupMenu_ = menu;
    // Qt opens the context menu itself on the right press, at the pointer.
    icon_->setContextMenu(menu);
}

bool TTrayIcon95::TrayHostAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TTrayIcon95::Activated(int reason) {
    // Qt reports the left press as Trigger and a following double click separately, so
    // a double click opens the window once.
    if (reason == QSystemTrayIcon::Trigger) {
        emit OnClick();
    }
}

void TTrayIcon95::Add() {
    icon_->setIcon(defaultIcon_);
    icon_->setToolTip(toolTip_);
    // Qt keeps a shown icon and docks it again into a tray host that appears later, so
    // "added" means only that a host was there to take it now.
    icon_->show();
    iconAddedToSysTray_ = TrayHostAvailable() && icon_->isVisible();
}

void TTrayIcon95::Remove() {
    icon_->hide();
    iconAddedToSysTray_ = false;
}

}  // namespace korvalin

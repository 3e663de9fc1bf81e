#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;

namespace korvalin {

// The program's icon in the notification area (on QSystemTrayIcon): tooltip, a left press
// raises OnClick, a right press opens PopupMenu, and the icon comes back by itself when
// the tray host is restarted.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // Tooltips longer than this are cut.
    static constexpr int TipLimit = 126;

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // True shows the icon, false removes it; nothing happens when the value is unchanged.
    bool Active() const { return active_; }
    void SetActive(bool active);

    const QIcon& DefaultIcon() const { return defaultIcon_; }
    void SetDefaultIcon(const QIcon& icon);

    // The tooltip as stored, that is already cut to TipLimit characters.
    const QString& ToolTip() const { return toolTip_; }
    void SetToolTip(const QString& text);

    // The menu opened by a right press; owned by the caller (the configuration window).
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu);

    // Whether the last showing of the icon reached a tray host.
    bool IconAddedToSysTray() const { return iconAddedToSysTray_; }

    // Whether the desktop has a notification area at all; without one the caller has to
    // keep its window reachable some other way.
    static bool TrayHostAvailable();

    // The underlying Qt icon, for tests and the desktop's own queries.
    QSystemTrayIcon* Icon() const { return icon_; }

signals:
    // The left button was pressed on the icon.
    void OnClick();

private:
    void Activated(int reason);
    void Add();
    void Remove();

    QSystemTrayIcon* icon_;
    QIcon defaultIcon_;
    QString toolTip_;
    QMenu* popupMenu_ = nullptr;
    bool active_ = false;
    bool iconAddedToSysTray_ = false;
};

}  // namespace korvalin

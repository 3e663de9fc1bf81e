#pragma once

#include <QColor>
#include <QLabel>
#include <string>

#include "platform/Shell.h"

namespace korvalin {

// A label that shows its text on a normal background, on the highlight background while
// the pointer is over it, and opens its address through the shell when clicked.
class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

    void SetAddress(const std::string& address) { address_ = address; }
    const std::string& Address() const { return address_; }
    // The shell that opens the address; without one a click only raises Clicked.
    void SetShell(Shell* shell) { shell_ = shell; }

    void SetNormalColor(const QColor& color);
    void SetHighlightColor(const QColor& color);
    QColor NormalColor() const { return normal_; }
    QColor HighlightColor() const { return highlight_; }
    bool Highlighted() const { return highlighted_; }
    void SetHighlighted(bool on);

    // Opens the address as a click does; done (if any) receives the shell's outcome, false
    // at once without a shell or an address.
    void OpenAddress(const Shell::OpenCompletion& done = {});

signals:
    void Clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ApplyBackground();

    std::string address_;
    Shell* shell_ = nullptr;
    QColor normal_;
    QColor highlight_;
    bool highlighted_ = false;
};

}  // namespace korvalin

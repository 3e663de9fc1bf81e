#include "widgets/CaptionBarButtons.h"

#include <QEvent>
#include <QFont>
#include <QWidget>
#include <algorithm>

namespace korvalin {

CaptionBarButtons::CaptionBarButtons(QWidget* window) : QObject(window), window_(window) {
    window_->installEventFilter(this);
}

QToolButton* CaptionBarButtons::AddButton(const QString& objectName, const QString& caption,
                                          const QString& fontFamily, int height) {
    auto* button = new QToolButton(window_);
    button->setObjectName(objectName);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    if (!fontFamily.isEmpty()) {
        QFont font(fontFamily);
        font.setPixelSize(std::max(6, height));
        button->setFont(font);
    }
    const int side = std::max(height + 4, 9);
    button->resize(side, side);
    buttons_.push_back(button);
    Place();
    button->show();
    return button;
}

QToolButton* CaptionBarButtons::Button(int position) const {
    if (position < 0 || position >= Count()) {
        return nullptr;
    }
    return buttons_[static_cast<std::size_t>(position)];
}

void CaptionBarButtons::SetVisible(bool visible) {
    for (QToolButton* button : buttons_) {
        button->setVisible(visible);
    }
}

void CaptionBarButtons::Place() {
    int right = window_->width();
    for (QToolButton* button : buttons_) {
        right -= button->width();
        button->move(right, 0);
        button->raise();
    }
}

bool CaptionBarButtons::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Resize) {
        Place();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace korvalin

#pragma once

#include <QObject>
#include <QToolButton>
#include <vector>

namespace korvalin {

// A set of small buttons kept in the top right corner of a window, standing where the
// window's caption bar would carry extra buttons (the window manager owns the real caption
// bar). The buttons sit right to left in the order they were added.
class CaptionBarButtons final : public QObject {
    Q_OBJECT
public:
    explicit CaptionBarButtons(QWidget* window);

    // Adds a button named objectName with caption and the font of family fontFamily (empty:
    // the window's font) and button height; the set owns nothing but the buttons.
    QToolButton* AddButton(const QString& objectName, const QString& caption,
                           const QString& fontFamily, int height);
    QToolButton* Button(int position) const;
    int Count() const { return static_cast<int>(buttons_.size()); }
    void SetVisible(bool visible);
    // Moves the buttons back into the window's corner.
    void Place();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::vector<QToolButton*> buttons_;
};

}  // namespace korvalin

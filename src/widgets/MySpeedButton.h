#pragma once

#include <QToolButton>

namespace korvalin {

// A flat button with caption, glyph and hint. Buttons with the same non-zero GroupIndex
// under the same parent work as one exclusive group: a click keeps the clicked one down
// and raises the others.
class TMySpeedButton final : public QToolButton {
    Q_OBJECT
public:
    explicit TMySpeedButton(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    QString Caption() const { return text(); }
    void SetHint(const QString& hint);
    QString Hint() const { return toolTip(); }
    void SetGlyph(const QIcon& glyph);
    void SetFlat(bool flat) { setAutoRaise(flat); }

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int group);
    bool Down() const { return isChecked(); }
    // Pushes the button down (raising its group mates) or raises it; no click is raised.
    void SetDown(bool down);

private:
    void RaiseGroupMates();
    int groupIndex_ = 0;
};

}  // namespace korvalin

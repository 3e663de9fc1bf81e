#pragma once

#include <QToolButton>

#include "widgets/ButtonGlyph.h"

namespace korvalin {

class ColourScheme;

// A flat button with caption, glyph and hint. Buttons with the same non-zero GroupIndex
// under the same parent work as one exclusive group: a click keeps the clicked one down
// and raises the others.
class FlatButton final : public QToolButton {
    Q_OBJECT
public:
    explicit FlatButton(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    QString Caption() const { return text(); }
    void SetHint(const QString& hint);
    QString Hint() const { return toolTip(); }
    void SetGlyph(const QIcon& glyph);
    // One of the own glyphs, drawn in the caption's colour in front of it; none at first.
    void SetGlyphKind(ButtonGlyph glyph);
    ButtonGlyph GlyphKind() const { return glyphKind_; }
    // The scheme whose disabled colours the caption is drawn in; the designed one unless
    // set. Not owned.
    void SetColorMap(const ColourScheme* colorMap);
    void SetFlat(bool flat) { setAutoRaise(flat); }

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int group);
    bool Down() const { return isChecked(); }
    // Pushes the button down (raising its group mates) or raises it; no click is raised.
    void SetDown(bool down);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void RaiseGroupMates();
    const ColourScheme& ColorMap() const;
    // The width the own glyph adds in front of the caption.
    int GlyphExtent() const;

    int groupIndex_ = 0;
    ButtonGlyph glyphKind_ = ButtonGlyph::None;
    const ColourScheme* colorMap_ = nullptr;
};

}  // namespace korvalin

#include "widgets/FlatButton.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <algorithm>

#include "widgets/ColourScheme.h"

namespace korvalin {

FlatButton::FlatButton(QWidget* parent) : QToolButton(parent) {
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

void FlatButton::SetCaption(const QString& caption) {
    setText(caption);
}

void FlatButton::SetHint(const QString& hint) {
    setToolTip(hint);
    setStatusTip(hint);
}

void FlatButton::SetGlyph(const QIcon& glyph) {
    setIcon(glyph);
}

void FlatButton::SetGlyphKind(ButtonGlyph glyph) {
    glyphKind_ = glyph;
    updateGeometry();
    update();
}

void FlatButton::SetColorMap(const ColourScheme* colorMap) {
    colorMap_ = colorMap;
    update();
}

const ColourScheme& FlatButton::ColorMap() const {
    return colorMap_ != nullptr ? *colorMap_ : ColourScheme::Designed();
}

int FlatButton::GlyphExtent() const {
    if (glyphKind_ == ButtonGlyph::None) {
        return 0;
    }
    return ButtonGlyphSize +
           (text().isEmpty() ? 0 : fontMetrics().horizontalAdvance(QLatin1Char(' ')));
}

QSize FlatButton::sizeHint() const {
    return QToolButton::sizeHint() + QSize(GlyphExtent(), 0);
}

QSize FlatButton::minimumSizeHint() const {
    return QToolButton::minimumSizeHint() + QSize(GlyphExtent(), 0);
}

// The style draws the flat panel (raised while hovered, sunken while down); glyph and
// caption are drawn here, so the own glyph can stand beside the caption and disabled
// text gets the scheme's shadow.
void FlatButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    const QIcon picture = option.icon;
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    QRect content =
        style()->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButton, this);
    content.adjust(3, 3, -3, -3);
    if (option.state & (QStyle::State_Sunken | QStyle::State_On)) {
        content.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                          style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    const bool enabled = isEnabled();
    const QSize iconSize = picture.isNull() ? QSize() : option.iconSize;
    const int glyphWidth = glyphKind_ != ButtonGlyph::None ? ButtonGlyphSize : iconSize.width();
    const int gap = glyphWidth > 0 && !caption.isEmpty()
                        ? fontMetrics().horizontalAdvance(QLatin1Char(' '))
                        : 0;
    const int textWidth = fontMetrics().horizontalAdvance(caption);
    const int total = glyphWidth + gap + textWidth;
    int left = content.left() + std::max(0, (content.width() - total) / 2);

    if (glyphKind_ != ButtonGlyph::None) {
        const QRectF box(left, content.center().y() - ButtonGlyphSize / 2.0 + 0.5, ButtonGlyphSize,
                         ButtonGlyphSize);
        if (!enabled) {
            PaintButtonGlyph(painter, glyphKind_, box.translated(1, 1),
                             ColorMap().DisabledFontShadow);
        }
        PaintButtonGlyph(
            painter, glyphKind_, box,
            enabled ? palette().color(QPalette::ButtonText) : ColorMap().DisabledFontColor);
    } else if (!iconSize.isEmpty()) {
        const QPixmap pixmap =
            picture.pixmap(iconSize, devicePixelRatio(), enabled ? QIcon::Normal : QIcon::Disabled);
        painter.drawPixmap(left, content.center().y() - iconSize.height() / 2 + 1, pixmap);
    }
    left += glyphWidth + gap;

    const QRect textRect(left, content.top(), content.right() - left + 1, content.height());
    constexpr int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
    if (enabled) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(textRect, flags, caption);
    } else {
        ColorMap().DrawDisabledText(painter, textRect, flags, caption);
    }
}

void FlatButton::SetGroupIndex(int group) {
    groupIndex_ = group;
    setCheckable(group != 0);
}

void FlatButton::SetDown(bool down) {
    if (groupIndex_ == 0) {
        setDown(down);
        return;
    }
    setChecked(down);
    if (down) {
        RaiseGroupMates();
    }
}

void FlatButton::RaiseGroupMates() {
    if (parentWidget() == nullptr) {
        return;
    }
    const auto mates =
        parentWidget()->findChildren<FlatButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (FlatButton* mate : mates) {
        if (mate != this && mate->groupIndex_ == groupIndex_) {
            mate->setChecked(false);
        }
    }
}

}  // namespace korvalin

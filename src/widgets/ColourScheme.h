#pragma once

#include <QColor>
#include <QObject>
#include <QRect>
#include <QString>

class QPainter;

namespace korvalin {

// The light-blue colour scheme shared by the configuration window, the small status window
// and the strip. Colour values are given as stored (low byte red, as the classic colour
// reference keeps them); AutoRefresh would re-derive them from the desktop palette, which
// the program switches off so the designed colours stay.
class ColourScheme final : public QObject {
    Q_OBJECT
public:
    explicit ColourScheme(QObject* parent = nullptr);

    // A colour reference with the red channel in the low byte, as the scheme's values are
    // written down.
    static QColor FromColorRef(unsigned colorRef);

    bool AutoRefresh() const { return autoRefresh_; }
    void SetAutoRefresh(bool on);

    // The scheme with its designed colours, for widgets that were given none.
    static const ColourScheme& Designed();

    // Draws text as a disabled control shows it: in DisabledFontColor over a shadow in
    // DisabledFontShadow one pixel down and right, which keeps it legible on the light
    // background. flags are Qt's alignment and text flags.
    void DrawDisabledText(QPainter& painter, const QRect& rect, int flags,
                          const QString& text) const;

    // Takes the desktop palette's colours where the scheme follows the system; does
    // nothing while AutoRefresh is off.
    void Refresh();

    QColor Color;
    QColor ShadowColor;
    QColor HighlightColor;
    QColor HotColor;
    QColor MenuColor;
    QColor BtnFrameColor;
    QColor UnusedColor;
    QColor BtnSelectedColor;
    QColor SelectedColor;
    QColor DisabledColor;
    QColor DisabledFontColor;
    QColor DisabledFontShadow;
    QColor FontColor;
    QColor HotFontColor;
    QColor BtnSelectedFont;
    QColor SelectedFontColor;
    // The outer bottom-right frame colour of the scheme's raised frames.
    QColor FrameBottomRightOuter;

private:
    void SetDesignedColors();
    bool autoRefresh_ = true;
};

}  // namespace korvalin

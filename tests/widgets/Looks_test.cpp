// What the own widgets draw: the flat buttons' glyphs and the disabled texts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "widgets/ButtonGlyph.h"
#include "widgets/ColourScheme.h"
#include "widgets/FlatButton.h"
#include "widgets/RadioCheckList.h"

namespace korvalin {
namespace {

const std::vector<ButtonGlyph> AllGlyphs = {
    ButtonGlyph::Confirm, ButtonGlyph::Info,  ButtonGlyph::Help, ButtonGlyph::Web,
    ButtonGlyph::Quit,    ButtonGlyph::Reset, ButtonGlyph::Test, ButtonGlyph::Start};

QImage GlyphImage(ButtonGlyph glyph) {
    QImage image(ButtonGlyphSize, ButtonGlyphSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintButtonGlyph(painter, glyph, QRectF(0, 0, ButtonGlyphSize, ButtonGlyphSize), Qt::black);
    return image;
}

// The share of the image's pixels that carry ink.
double Inked(const QImage& image) {
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            inked += qAlpha(image.pixel(x, y)) > 96 ? 1 : 0;
        }
    }
    return static_cast<double>(inked) / (image.width() * image.height());
}

// Pixels close to the colour in the rectangle of the image (text is drawn smoothed, so
// only its cores have the pen's colour exactly).
int CountColour(const QImage& image, const QRect& area, const QColor& colour) {
    constexpr int Tolerance = 24;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            count += std::abs(qRed(pixel) - colour.red()) <= Tolerance &&
                             std::abs(qGreen(pixel) - colour.green()) <= Tolerance &&
                             std::abs(qBlue(pixel) - colour.blue()) <= Tolerance
                         ? 1
                         : 0;
        }
    }
    return count;
}

// A widget on the scheme's light-blue background, as the windows show them.
void OnSchemeBackground(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, ColourScheme::Designed().Color);
    palette.setColor(QPalette::Base, ColourScheme::Designed().Color);
    palette.setColor(QPalette::Button, ColourScheme::Designed().Color);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

TEST(ButtonGlyphs, EachKindDrawsAPictureOfItsOwnAndNoneDrawsNothing) {
    std::set<std::vector<uchar>> seen;
    for (const ButtonGlyph glyph : AllGlyphs) {
        SCOPED_TRACE(static_cast<int>(glyph));
        const QImage image = GlyphImage(glyph);
        const double inked = Inked(image);
        EXPECT_GT(inked, 0.08) << "too faint to be seen";
        EXPECT_LT(inked, 0.8) << "a blot, not a picture";
        seen.insert(std::vector<uchar>(image.constBits(), image.constBits() + image.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), AllGlyphs.size()) << "two kinds look the same";
    EXPECT_EQ(Inked(GlyphImage(ButtonGlyph::None)), 0.0);
}

TEST(SpeedButtonGlyph, NoneAtFirstAndAGlyphStandsInFrontOfTheCaption) {
    FlatButton plain;
    plain.SetCaption(QStringLiteral("Hilfe"));
    EXPECT_EQ(plain.GlyphKind(), ButtonGlyph::None);

    FlatButton withGlyph;
    withGlyph.SetCaption(QStringLiteral("Hilfe"));
    withGlyph.SetGlyphKind(ButtonGlyph::Help);
    EXPECT_EQ(withGlyph.GlyphKind(), ButtonGlyph::Help);
    EXPECT_GE(withGlyph.sizeHint().width(), plain.sizeHint().width() + ButtonGlyphSize);

    for (FlatButton* button : {&plain, &withGlyph}) {
        OnSchemeBackground(*button);
        button->resize(90, 28);
    }
    const QImage without = plain.grab().toImage();
    const QImage with = withGlyph.grab().toImage();
    const QColor ink = withGlyph.palette().color(QPalette::ButtonText);
    // The caption is centred with its glyph, so the glyph lies left of where the plain
    // caption begins.
    int plainLeft = without.width();
    for (int x = 0; x < without.width() && plainLeft == without.width(); ++x) {
        if (CountColour(without, QRect(x, 0, 1, without.height()), ink) > 0) {
            plainLeft = x;
        }
    }
    ASSERT_LT(plainLeft, without.width()) << "the plain caption drew nothing";
    EXPECT_GT(CountColour(with, QRect(0, 0, plainLeft, with.height()), ink), 3);
}

// Disabled texts of the own widgets carry the scheme's white shadow beside the grey text,
// which keeps them legible on the light-blue background; enabled ones have neither.
TEST(DisabledText, FlatButtonsAndTheCheckListDrawItWithTheSchemesShadow) {
    const ColourScheme& scheme = ColourScheme::Designed();
    FlatButton button;
    button.SetCaption(QStringLiteral("Abfrage dauerhaft aktivieren"));
    button.resize(200, 28);
    RadioCheckList list;
    list.AddItem(QStringLiteral("Alle Netzwerkadapter"));
    list.AddItem(QStringLiteral("eth0"));
    list.resize(200, 60);
    for (QWidget* widget : std::vector<QWidget*>{&button, &list}) {
        SCOPED_TRACE(widget->metaObject()->className());
        OnSchemeBackground(*widget);
        widget->setEnabled(true);
        const QImage enabled = widget->grab().toImage();
        widget->setEnabled(false);
        const QImage disabled = widget->grab().toImage();
        const QRect inside = disabled.rect().adjusted(3, 3, -3, -3);
        EXPECT_GT(CountColour(disabled, inside, scheme.DisabledFontShadow), 10);
        EXPECT_GT(CountColour(disabled, inside, scheme.DisabledFontColor), 10);
        EXPECT_EQ(CountColour(enabled, inside, scheme.DisabledFontColor), 0);
    }
}

}  // namespace
}  // namespace korvalin

#include "platform/SystemColors.h"

#include <optional>

#include <QApplication>
#include <QPalette>

TSystemColors TSystemColors::FromPalette(const QPalette& P)
{
    TSystemColors c;
    c.ButtonFace = P.color(QPalette::Active, QPalette::Button);
    c.ButtonHighlight = P.color(QPalette::Active, QPalette::Light);
    c.ButtonShadow = P.color(QPalette::Active, QPalette::Dark);
    c.DarkShadow = P.color(QPalette::Active, QPalette::Shadow);
    c.Light = P.color(QPalette::Active, QPalette::Midlight);
    c.ButtonText = P.color(QPalette::Active, QPalette::ButtonText);
    c.ActiveCaption = P.color(QPalette::Active, QPalette::Highlight);
    c.CaptionText = P.color(QPalette::Active, QPalette::HighlightedText);
    return c;
}

TSystemColors TSystemColors::Classic()
{
    TSystemColors c;
    c.ButtonFace = QColor(192, 192, 192);
    c.ButtonHighlight = QColor(255, 255, 255);
    c.ButtonShadow = QColor(128, 128, 128);
    c.DarkShadow = QColor(0, 0, 0);
    c.Light = QColor(223, 223, 223);
    c.ButtonText = QColor(0, 0, 0);
    c.ActiveCaption = QColor(0, 0, 128);
    c.CaptionText = QColor(255, 255, 255);
    return c;
}

static std::optional<TSystemColors>& Chosen()
{
    static std::optional<TSystemColors> c;
    return c;
}

TSystemColors SystemColors() { return Chosen() ? *Chosen() : TSystemColors::FromPalette(QApplication::palette()); }
void SetSystemColors(const TSystemColors& Colors) { Chosen() = Colors; }
void ResetSystemColors() { Chosen().reset(); }

#include "toolbars/model/ButtonModel.h"

unsigned TButtonLogic::MouseEntered()
{
    if (!Enabled || MouseInControl) return 0;
    MouseInControl = 1;
    return beRepaint | beEnter;
}

unsigned TButtonLogic::MouseLeft()
{
    if (!Enabled || !MouseInControl || MenuIsDown) return 0;
    if (!MouseHeld && State == bsDown) State = bsUp;
    MouseInControl = 0;
    return beRepaint | beExit;
}

unsigned TButtonLogic::UpdateTracking(bool Over)
{
    if (Over) return MouseEntered();
    return MouseLeft();
}

unsigned TButtonLogic::MouseDown(bool LeftButton)
{
    if (!Enabled) return 0;
    MouseInControl = 1;
    if (!LeftButton) return 0;
    unsigned e = 0;
    if (!Down) {
        State = bsDown;
        e |= beRepaint;
    } else if (AllowAllUp) {
        e |= beRepaint;
    }
    if (HasMenu)
        e |= beClick;
    else
        MouseHeld = 1;
    return e;
}

static bool Inside(QPoint P, QSize S) { return P.x() >= 0 && P.x() < S.width() && P.y() >= 0 && P.y() < S.height(); }

unsigned TButtonLogic::MouseMove(QPoint P, QSize Size)
{
    if (!MouseHeld) return 0;
    const uint8_t wanted = Inside(P, Size) ? (Down ? bsExclusive : bsDown) : (Down ? bsExclusive : bsUp);
    if (wanted == State) return 0;
    State = wanted;
    return beRepaint;
}

unsigned TButtonLogic::MouseUp(bool LeftButton, QPoint P, QSize Size)
{
    if (!LeftButton) {
        if (!Enabled) return 0;
        MouseHeld = 0;
        return MouseLeft();
    }
    if (!MouseHeld) return 0;
    MouseHeld = 0;
    const bool inside = !HasMenu && Inside(P, Size);
    unsigned e = beRepaint;
    if (GroupIndex != 0) {
        if (inside)
            e |= SetDown(!Down);
        else if (Down)
            State = bsExclusive;
    }
    // Released: a button that is not held down shows up again.
    if (!Down && State == bsDown) State = bsUp;
    e |= inside ? beClick : beTracking;
    return e;
}

unsigned TButtonLogic::SetEnabled(bool Value)
{
    if (Value == Enabled) return 0;
    Enabled = Value;
    if (!Enabled) {
        State = bsDisabled;
        MouseHeld = 0;
        MouseInControl = 0;
    } else {
        State = Down && GroupIndex != 0 ? bsExclusive : bsUp;
    }
    return beRepaint | beTracking;
}

unsigned TButtonLogic::SetDown(bool Value)
{
    if (GroupIndex == 0) Value = false;
    if (Value == Down) return 0;
    if (Down && !Value && !AllowAllUp) return 0;
    Down = Value;
    if (Enabled) State = Down ? bsExclusive : bsUp;
    return beRepaint | (Down ? unsigned(beGroupNotice) : 0u);
}

unsigned TButtonLogic::SetGroupIndex(int Value)
{
    if (Value == GroupIndex) return 0;
    GroupIndex = Value;
    return beGroupNotice;
}

unsigned TButtonLogic::SetAllowAllUp(bool Value)
{
    if (Value == AllowAllUp) return 0;
    AllowAllUp = Value;
    return beGroupNotice;
}

unsigned TButtonLogic::GroupNotice(bool SenderDown, bool SenderAllowAllUp)
{
    unsigned e = 0;
    if (SenderDown && Down) {
        Down = false;
        if (Enabled) State = bsUp;
        e = beRepaint;
    }
    AllowAllUp = SenderAllowAllUp;
    return e;
}

unsigned TButtonLogic::MenuOpening()
{
    MenuIsDown = 1;
    unsigned e = 0;
    if (State == bsUp) {
        State = bsDown;
        e |= beRepaint;
    }
    return e | MouseLeft();
}

unsigned TButtonLogic::MenuClosed()
{
    MenuIsDown = 0;
    if (State == bsDown) State = bsUp;
    return beRepaint | beTracking;
}

int NumGlyphsFor(QSize Strip, int Previous)
{
    if (Strip.width() <= 0 || Strip.height() <= 0) return 1;
    if (Strip.width() % Strip.height() != 0) return Previous;
    const int n = Strip.width() / Strip.height();
    return n > 4 ? 1 : n;
}

TFaceLayout LayoutButtonFace(const TFaceRequest& R)
{
    TFaceLayout f;
    const QSize client = R.Client.size();
    const int cells = R.NumGlyphs > 0 ? R.NumGlyphs : 1;
    if (R.DrawGlyph && R.Strip.width() > 0 && R.Strip.height() > 0)
        f.GlyphSize = QSize(R.Strip.width() / cells, R.Strip.height());
    const QSize arrow = R.DropArrow ? ArrowSize : QSize(0, 0);
    const bool hasGlyph = f.GlyphSize.width() > 0 && f.GlyphSize.height() > 0;
    int layout = R.Layout;
    if ((layout == 2 || layout == 3) && !hasGlyph) layout = 0;
    const bool horizontal = layout == 0 || layout == 1;
    int margin = R.Margin, spacing = R.Spacing;

    const bool hasText = R.DrawText && R.HasCaption;
    if (hasText) {
        int right = client.width();
        if (horizontal) right -= arrow.width();
        if (R.WordWrap) {
            int x = 4;
            if (horizontal && hasGlyph) {
                right -= f.GlyphSize.width() + (spacing == -1 ? 4 : spacing);
                x = margin != -1 ? margin : spacing != -1 ? spacing : 4;
            }
            right -= 2 * x;
        }
        f.TextSize = R.MeasureText ? R.MeasureText(right) : QSize(0, 0);
    }
    f.TextBounds = QRect(QPoint(0, 0), f.TextSize);

    if (horizontal) {
        f.GlyphPos.setY((client.height() - f.GlyphSize.height() + 1) / 2);
        f.TextPos.setY((client.height() - f.TextSize.height() + 1) / 2);
    } else {
        f.GlyphPos.setX((client.width() - f.GlyphSize.width() - arrow.width() + 1) / 2);
        f.TextPos.setX((client.width() - f.TextSize.width() + 1) / 2);
        f.ArrowPos.setX(hasGlyph ? f.GlyphPos.x() + f.GlyphSize.width() : f.TextPos.x() + f.TextSize.width());
    }
    if (!hasText || !hasGlyph) spacing = 0;

    const int alongClient = horizontal ? client.width() : client.height();
    const int glyphAlong = horizontal ? f.GlyphSize.width() : f.GlyphSize.height();
    const int textAlong = horizontal ? f.TextSize.width() : f.TextSize.height();
    const int arrowAlong = horizontal ? arrow.width() : 0;
    if (margin == -1 && spacing != -1) {
        const int total = glyphAlong + spacing + textAlong + arrowAlong;
        margin = (alongClient - total + 1) / 2;
    } else if (margin == -1 && spacing == -1) {
        const int total = glyphAlong + textAlong + arrowAlong;
        margin = spacing = (alongClient - total) / 3;
    } else if (spacing == -1) {
        spacing = (alongClient - margin - glyphAlong - arrowAlong - textAlong) / 2;
    }

    switch (layout) {
    case 0:
        f.GlyphPos.setX(margin);
        f.TextPos.setX(margin + f.GlyphSize.width() + spacing);
        f.ArrowPos.setX(f.TextPos.x() + f.TextSize.width());
        break;
    case 1:
        f.ArrowPos.setX(client.width() - margin - arrow.width());
        f.GlyphPos.setX(f.ArrowPos.x() - f.GlyphSize.width());
        f.TextPos.setX(f.GlyphPos.x() - spacing - f.TextSize.width());
        break;
    case 2:
        f.GlyphPos.setY(margin);
        f.TextPos.setY(margin + f.GlyphSize.height() + spacing);
        break;
    default:
        f.GlyphPos.setY(client.height() - margin - f.GlyphSize.height());
        f.TextPos.setY(f.GlyphPos.y() - spacing - f.TextSize.height());
        break;
    }
    f.ArrowPos.setY(hasGlyph ? f.GlyphPos.y() + (f.GlyphSize.height() - 3) / 2
                             : f.TextPos.y() + (f.TextSize.height() - 3) / 2);

    const QPoint shift = R.Client.topLeft() + R.Offset;
    f.GlyphPos += shift;
    f.TextPos += shift;
    f.ArrowPos += shift;
    f.TextBounds.moveTopLeft(f.TextPos);
    return f;
}

#include "display/DisplaySupport.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/model/StyleControls.h"
#include "schema/ElementDialogs.h"
#include "schema/SchemaCommon.h"
#include "shell/FileDialog.h"
#include "shell/MainWindow.h"
#include "shell/NetworkDraw.h"
#include "shell/NetworkDrawPad.h"
#include "shell/SketchPad.h"

QString WindowsText(std::string_view bytes) { return ShowText(bytes); }

std::string WindowsBytes(const QString& text) { return TypedText(text, std::string::npos, true); }

bool ChooseFile(TSketchPadWindow& pad, QWidget* parent, const char* name, const QString& title,
                const QStringList& filters, bool save, QString& file, const QString& initial)
{
    TFileDialog d(parent, title, filters);
    d.setObjectName(name);
    d.setOption(QFileDialog::DontUseNativeDialog, true);
    d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save && !filters.isEmpty()) d.SetDefaultExtension(FilterExtensions(filters.front()).value(0));
    if (!initial.isEmpty()) d.selectFile(initial);
    if (RunDisplayDialog(pad, d) != QDialog::Accepted || d.ChosenFiles().isEmpty()) return false;
    file = d.ChosenFiles().first();
    return !file.isEmpty();
}

void SetRed(QWidget* control, bool red)
{
    if (control) control->setStyleSheet(red ? "color: red" : "");
}

TStoredSpinBox::TStoredSpinBox(QWidget* parent, const char* name, int minimum, int maximum) : QSpinBox(parent)
{
    setObjectName(name);
    setRange(minimum, maximum);
    connect(this, &QSpinBox::valueChanged, this, [this] { FChanged = true; });
}

void TStoredSpinBox::SetStored(int32_t value)
{
    FStored = value;
    setValue(std::clamp<int32_t>(value, minimum(), maximum()));
    FChanged = false;
}

int32_t TStoredSpinBox::Stored() const
{
    return StoredChoice<int32_t>(FStored, FStored >= minimum() && FStored <= maximum(), FChanged, value());
}

QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

void AddOkCancel(QDialog& dialog, QBoxLayout* layout, const char* okName, const char* cancelName, QPushButton** ok,
                 QPushButton** cancel)
{
    QPushButton* o = NamedButton(&dialog, okName, "OK");
    o->setDefault(true);
    QPushButton* c = NamedButton(&dialog, cancelName, "Cancel");
    layout->addWidget(o);
    layout->addWidget(c);
    QObject::connect(o, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(c, &QPushButton::clicked, &dialog, &QDialog::reject);
    if (ok) *ok = o;
    if (cancel) *cancel = c;
}

int RunDisplayDialog(TSketchPadWindow& pad, QDialog& dialog) { return pad.Main.ExecDialog(dialog); }

void AddHelp(QDialog& dialog, TZOKMainWindow& main, int context, QWidget* button)
{
    auto show = [&main, context] { main.ShowHelpTopic(context); };
    if (auto* b = qobject_cast<QPushButton*>(button)) QObject::connect(b, &QPushButton::clicked, &dialog, show);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), &dialog);
    QObject::connect(f1, &QShortcut::activated, &dialog, show);
}

void RepaintWindow(TSketchPadWindow& pad)
{
    pad.InvalidatePad();
    InvalidateUnderlayViewers(pad, false);
}

void RepaintNetworkWindows(TSketchPadWindow& pad)
{
    pad.Main.InvalidateNetworkViews(pad);
    InvalidateUnderlayViewers(pad, true);
}

// ---- samples ----

TSamplePad::TSamplePad(TSketchPadWindow& pad, const TDisplaySettings* display, uint8_t styleMode)
    : FWidths(pad.Settings.Widths)
{
    FWidths.NodeStyleMode = styleMode;
    FWidths.LinkStyleMode = styleMode;
    FPad = MakeDrawPad(*pad.Network, pad.View, pad.Settings, pad.WindowNumber);
    FPad.Widths = &FWidths;
    FPad.Images = &pad.Main.SymbolImages;
    FPad.WindowColor = pad.Main.PaletteRGB[0];
    FPad.OriginX = FPad.OriginY = 0;
    FPad.Underlay = nullptr;
    SetDisplay(display);
}

void TSamplePad::SetDisplay(const TDisplaySettings* display)
{
    if (display) FPad.Display = display;
}

TSampleView::TSampleView(QWidget* parent, QSize size) : QWidget(parent), FSize(size) { setMinimumSize(size); }

void TSampleView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Background);
    if (!Paint) return;
    p.setClipRect(rect());
    TQPainterCanvas canvas(p);
    Paint(canvas, width(), height());
}

void TSampleView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void TSampleView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

void DrawPolygonStyleSample(TCanvas& canvas, const TDrawPad& pad, const TPolygonStyle& style, int32_t left,
                            int32_t top, int32_t right, int32_t bottom)
{
    canvas.SetPen(ColorFromBgr(style.Color), style.PenStyle <= psInsideFrame ? style.PenStyle : uint8_t(psSolid),
                  style.PenWidth);
    const TSymbolImages::TEntry* fill =
        style.FillStyle >= 11 && pad.Images ? pad.Images->Fill(style.FillStyle - 10) : nullptr;
    if (fill)
        canvas.SetBrushImage(fill->Transparent);
    else
        canvas.SetBrush(ColorFromBgr(style.FillColor),
                        style.FillStyle <= bsDiagCross ? style.FillStyle : uint8_t(bsSolid));
    canvas.SetBkMode(false);
    const TCanvasPoint pts[5] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}};
    // Style 8 outlines the polygon without closing it, as the drawing does.
    if (style.FillStyle == 8)
        canvas.Polyline(pts, 4);
    else
        canvas.Polygon(pts, 4);
    canvas.SetBrush(0, bsClear);
}

// ---- the colour chooser ----

bool ChooseColor(TSketchPadWindow& pad, QWidget* parent, std::array<int32_t, 26>& colours, int32_t& colour)
{
    for (int i = 1; i <= 16; ++i)
        QColorDialog::setCustomColor(i - 1, QColor::fromRgb(ColorFromBgr(colours[size_t(i)])));
    QColorDialog d(QColor::fromRgb(ColorFromBgr(colour)), parent);
    d.setObjectName("ColorDialog");
    d.setOption(QColorDialog::DontUseNativeDialog);
    const bool chosen = RunDisplayDialog(pad, d) == QDialog::Accepted;
    for (int i = 1; i <= 16; ++i)
        colours[size_t(i)] = ColorToBgr(QColorDialog::customColor(i - 1).rgb() & 0xFFFFFFu);
    if (chosen) colour = ColorToBgr(d.selectedColor().rgb() & 0xFFFFFFu);
    return chosen;
}

// ---- the symbol-image viewer ----

bool ShowSymbolImages(TSketchPadWindow& pad, QWidget* parent, bool nodes, int& number)
{
    TViewBitmapsDB d(&pad.Main.SymbolImages, !nodes, number, parent);
    if (RunDisplayDialog(pad, d) != QDialog::Accepted) return false;
    number = d.BitmapSE->value();
    return true;
}

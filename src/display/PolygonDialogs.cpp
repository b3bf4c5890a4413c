#include "display/PolygonDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/model/ColorSchemes.h"
#include "core/model/StyleControls.h"
#include "display/StylePickers.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

// ---- "Polygon Styles" ----

TPolygonStylesDB::TPolygonStylesDB(TSketchPadWindow& Pad, QWidget* Parent)
    : TShrinkForm(Parent), FPad(Pad), FSample(Pad)
{
    setObjectName("PolygonStylesDB");
    setWindowTitle("Polygon Styles");
    const TDisplaySettings& d = Pad.Settings.Display;
    for (int i = 0; i < PolygonStyleCount; ++i) Styles[size_t(i)] = d.PolygonStyles[size_t(i)];
    Colors = d.Colors;
    auto* grid = new QGridLayout(this);
    Group = new QButtonGroup(this);
    const TDrawPad* pad = &FSample.Pad();
    constexpr int perColumn = 7;
    for (int k = 1; k <= PolygonStyleCount; ++k) {
        const int row = (k - 1) % perColumn, col = (k - 1) / perColumn * 2;
        auto* b = new QRadioButton(QString::number(k - 1), this);
        b->setObjectName(QString("RadioButton%1").arg(k));
        Group->addButton(b, k);
        grid->addWidget(b, row, col);
        auto* s = new TSampleView(this, QSize(40, 28));
        s->setObjectName(QString("Sample%1").arg(k));
        s->Background = QColor::fromRgb(pad->WindowColor);
        const TPolygonStyle* st = &Styles[size_t(k - 1)];
        s->Paint = [pad, st](TCanvas& c, int w, int h) { DrawPolygonStyleSample(c, *pad, *st, 3, 3, w - 4, h - 4); };
        connect(s, &TSampleView::clicked, b, [b] { b->setChecked(true); });
        AddRowWidget(k, s);
        grid->addWidget(s, row, col + 1);
        Samples[size_t(k)] = s;
    }
    Group->button(1)->setChecked(true);
    auto* side = new QVBoxLayout;
    FillColorButton = NamedButton(this, "FillColorButton", "&Fill Color");
    BorderColorButton = NamedButton(this, "BorderColorButton", "&Border Color");
    FillPatternButton = NamedButton(this, "FillPatternButton", "Fill &Pattern");
    BorderLineButton = NamedButton(this, "BorderLineButton", "Border &Line");
    for (QPushButton* b : {FillColorButton, BorderColorButton, FillPatternButton, BorderLineButton})
        side->addWidget(b);
    connect(FillColorButton, &QPushButton::clicked, this, &TPolygonStylesDB::ChooseFillColor);
    connect(BorderColorButton, &QPushButton::clicked, this, &TPolygonStylesDB::ChooseBorderColor);
    connect(FillPatternButton, &QPushButton::clicked, this, &TPolygonStylesDB::ChooseFillPattern);
    connect(BorderLineButton, &QPushButton::clicked, this, &TPolygonStylesDB::ChooseBorderLine);
    side->addStretch();
    AddOkCancel(*this, side);
    grid->addLayout(side, 0, 2 * ((PolygonStyleCount + perColumn - 1) / perColumn), perColumn, 1);
    FindRows();
}

int TPolygonStylesDB::SelectedStyle() const
{
    const int k = Group->checkedId();
    return k >= 1 ? k - 1 : 0;
}

bool TPolygonStylesDB::Run()
{
    PrepareShrunk(PolygonStyleCount, 0, PolygonStyleCount, nullptr);
    return RunDisplayDialog(FPad, *this) == QDialog::Accepted;
}

void TPolygonStylesDB::Repaint(int Style) { Samples[size_t(Style + 1)]->update(); }

void TPolygonStylesDB::ChooseFillColor()
{
    const int s = SelectedStyle();
    if (ChooseColor(FPad, this, Colors, Styles[size_t(s)].FillColor)) Repaint(s);
}

void TPolygonStylesDB::ChooseBorderColor()
{
    const int s = SelectedStyle();
    if (ChooseColor(FPad, this, Colors, Styles[size_t(s)].Color)) Repaint(s);
}

void TPolygonStylesDB::ChooseFillPattern()
{
    const int s = SelectedStyle();
    TFillPatternDB d(FPad, Styles[size_t(s)], this);
    if (!d.Run(int(FillBrushStyles.size()))) return;
    Styles[size_t(s)] = d.Result();
    Repaint(s);
}

void TPolygonStylesDB::ChooseBorderLine()
{
    const int s = SelectedStyle();
    TBorderStyleDB d(FPad, Styles[size_t(s)], this);
    if (!d.Run(int(BorderPens.size()))) return;
    Styles[size_t(s)] = d.Result();
    Repaint(s);
}

void TPolygonStylesDB::Store(TDisplaySettings& Display) const
{
    for (int i = 0; i < PolygonStyleCount; ++i) Display.PolygonStyles[size_t(i)] = Styles[size_t(i)];
    Display.Colors = Colors;
}

// ---- "Color Palettes" ----

TPolygonColorsDB::TPolygonColorsDB(TSketchPadWindow& Pad, QWidget* Parent)
    : QDialog(Parent), FPad(Pad), FUse(Pad.Settings.Display.UsePolygonColors)
{
    setObjectName("PolygonColorsDB");
    setWindowTitle("Color Palettes");
    const TDisplaySettings& d = Pad.Settings.Display;
    auto* v = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int i = 1; i <= 16; ++i) {
        Swatches[size_t(i)] = d.Colors[size_t(i)];
        auto* s = new TSampleView(this, QSize(36, 28));
        s->setObjectName(QString("Shape%1").arg(i));
        s->setCursor(Qt::PointingHandCursor);
        const int32_t* colour = &Swatches[size_t(i)];
        s->Paint = [colour](TCanvas& c, int w, int h) {
            c.SetPen(0, psSolid, 1);
            c.SetBrush(ColorFromBgr(*colour), bsSolid);
            const TCanvasPoint pts[4] = {{1, 1}, {w - 2, 1}, {w - 2, h - 2}, {1, h - 2}};
            c.Polygon(pts, 4);
        };
        connect(s, &TSampleView::clicked, this, [this, i] { EditSwatch(i); });
        grid->addWidget(new QLabel(QString::number(i), this), (i - 1) / 8 * 2, (i - 1) % 8, Qt::AlignHCenter);
        grid->addWidget(s, (i - 1) / 8 * 2 + 1, (i - 1) % 8);
        Shapes[size_t(i)] = s;
    }
    v->addLayout(grid);
    auto* schemeRow = new QHBoxLayout;
    schemeRow->addWidget(new QLabel("Color Scheme:", this));
    SchemeBox = new QComboBox(this);
    SchemeBox->setObjectName("SchemeBox");
    for (const TColorScheme& s : ColorSchemes) SchemeBox->addItem(s.Name);
    SchemeBox->setCurrentIndex(0);
    // Choosing a scheme fills the swatches at once.
    connect(SchemeBox, &QComboBox::currentIndexChanged, this, [this](int scheme) {
        const auto colours = SchemeColors(scheme);
        for (int i = 1; i <= 16; ++i) {
            Swatches[size_t(i)] = colours[size_t(i)];
            Shapes[size_t(i)]->update();
        }
    });
    schemeRow->addWidget(SchemeBox, 1);
    v->addLayout(schemeRow);
    CheckBox1 = new QCheckBox("Use for Links && Nodes", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setChecked(FUse != 0);
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { FUseChanged = true; });
    v->addWidget(CheckBox1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AddOkCancel(*this, buttons);
    v->addLayout(buttons);
}

void TPolygonColorsDB::EditSwatch(int N)
{
    if (N < 1 || N > 16) return;
    // The chooser's answer reaches a swatch only through its custom colours.
    int32_t colour = Swatches[size_t(N)];
    ChooseColor(FPad, this, Swatches, colour);
    for (int i = 1; i <= 16; ++i) Shapes[size_t(i)]->update();
}

void TPolygonColorsDB::Store(TDisplaySettings& Display) const
{
    Display.UsePolygonColors = FUseChanged ? (CheckBox1->isChecked() ? 1 : 0) : FUse;
    for (int i = 1; i <= 16; ++i) Display.Colors[size_t(i)] = Swatches[size_t(i)];
}

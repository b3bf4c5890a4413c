#include "display/StyleDialogs.h"

#include <cmath>
#include <numbers>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/file/TextFormat.h"
#include "core/model/Rounding.h"
#include "core/model/StyleControls.h"
#include "display/StylePickers.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

// ---- "Node Styles" / "Link Styles" ----

TClassStylesDB::TClassStylesDB(TSketchPadWindow& Pad, bool ANodes, QWidget* Parent)
    : TShrinkForm(Parent), Nodes(ANodes), FPad(Pad), FSample(Pad),
      FClasses(ANodes ? *Pad.Network->NodeClasses : *Pad.Network->LinkClasses)
{
    const TWidthSettings& w = Pad.Settings.Widths;
    for (int c = 0; c <= MaxClasses; ++c) {
        const TClassRecord& r = FClasses[c];
        auto& row = Working.Rows[size_t(c)];
        row.Size = r.Width;
        row.Colour = r.Color;
        row.Arrow = r.Arrow;
        row.Slices = r.PieSlices;
    }
    Working.Legend = Nodes ? w.NodeClassLegend : w.LinkClassLegend;
    Working.PieColors = Pad.Settings.Display.PieColors;

    auto* grid = new QGridLayout(this);
    auto* group = new QButtonGroup(this);
    const TDrawPad* pad = &FSample.Pad();
    for (int c = 0; c <= MaxClasses; ++c) {
        const int k = c + 1, gridRow = c;
        auto* b = new QRadioButton(WindowsText(FClasses[c].Name), this);
        b->setObjectName(QString("RadioButton%1").arg(k));
        b->installEventFilter(this);
        group->addButton(b, k);
        RowButtons[size_t(k)] = b;
        grid->addWidget(b, gridRow, 0);
        int col = 1;
        if (!Nodes) {
            auto* arrow = new QCheckBox("Arrow", this);
            arrow->setObjectName(QString("ArrowCB%1").arg(k));
            arrow->setChecked(Working.Rows[size_t(c)].Arrow != 0);
            connect(arrow, &QCheckBox::toggled, this, [this, c](bool on) {
                // The checked box stores 1; an arrow byte from a file stays when left alone.
                Working.Rows[size_t(c)].Arrow = on ? uint8_t(std::max<int>(1, FClasses[c].Arrow)) : uint8_t(0);
                Samples[size_t(c + 1)]->update();
            });
            ArrowBoxes[size_t(k)] = arrow;
            AddRowWidget(k, arrow);
            grid->addWidget(arrow, gridRow, col);
        }
        ++col;
        if (c >= 1) {
            auto* legend = new QCheckBox("Legend", this);
            legend->setObjectName(QString("LegendCB%1").arg(k));
            legend->setChecked(Working.Legend[size_t(c)] != 0);
            connect(legend, &QCheckBox::toggled, this, [this, c](bool on) {
                Working.Legend[size_t(c)] = on ? uint8_t(std::max<int>(1, Working.Legend[size_t(c)])) : uint8_t(0);
            });
            LegendBoxes[size_t(k)] = legend;
            AddRowWidget(k, legend);
            grid->addWidget(legend, gridRow, col);
        }
        ++col;
        auto* s = new TSampleView(this, QSize(72, 34));
        s->setObjectName(QString("Sample%1").arg(k));
        s->Background = QColor::fromRgb(pad->WindowColor);
        const TClassStyles::TRow* row = &Working.Rows[size_t(c)];
        if (Nodes)
            s->Paint = [pad, row](TCanvas& cv, int width, int height) {
                DrawNode(cv, *pad, width / 2, height / 2, nullptr, nullptr, false, true, false, false,
                         pad->StandardSize(), row->Size, row->Colour);
            };
        else
            s->Paint = [pad, row](TCanvas& cv, int width, int height) {
                DrawLink(cv, *pad, 4, height / 2, row->Arrow != 0, nullptr, false, false, true, 0, row->Size,
                         row->Colour, width - 4, height / 2);
            };
        connect(s, &TSampleView::doubleClicked, this, [this, k] {
            RowButtons[size_t(k)]->setChecked(true);
            ChooseColor();
        });
        Samples[size_t(k)] = s;
        AddRowWidget(k, s);
        grid->addWidget(s, gridRow, col++);
        auto* text = new QLabel(this);
        text->setObjectName(QString("RowText%1").arg(k));
        text->setMinimumWidth(30);
        RowTexts[size_t(k)] = text;
        AddRowWidget(k, text);
        grid->addWidget(text, gridRow, col);
        ShowRow(c);
    }
    RowButtons[1]->setChecked(true);

    auto* side = new QVBoxLayout;
    ShapeButton = NamedButton(this, "ShapeButton", Nodes ? "&Shape" : "&Width");
    ColorButton = NamedButton(this, "ColorButton", "&Color");
    BitmapButton = NamedButton(this, "BitmapButton", Nodes ? "&Bitmap" : "Bitmap");
    side->addWidget(ShapeButton);
    side->addWidget(ColorButton);
    side->addWidget(BitmapButton);
    connect(ShapeButton, &QPushButton::clicked, this, &TClassStylesDB::ChooseShape);
    connect(ColorButton, &QPushButton::clicked, this, &TClassStylesDB::ChooseColor);
    connect(BitmapButton, &QPushButton::clicked, this, &TClassStylesDB::ChooseBitmap);
    if (Nodes) {
        PieButton = NamedButton(this, "PieButton", "&Pie");
        side->addWidget(PieButton);
        connect(PieButton, &QPushButton::clicked, this, &TClassStylesDB::ChoosePie);
        // A pie belongs to a user class.
        auto enablePie = [this] { PieButton->setEnabled(SelectedClass() >= 1); };
        connect(group, &QButtonGroup::idToggled, this, enablePie);
        enablePie();
    }
    side->addStretch();
    AddOkCancel(*this, side);
    grid->addLayout(side, 0, 5, MaxClasses + 1, 1);
    FindRows();
}

void TClassStylesDB::ShowRow(int Class)
{
    RowTexts[size_t(Class + 1)]->setText(QString::fromStdString(StyleRowText(Working.Rows[size_t(Class)].Size)));
    Samples[size_t(Class + 1)]->update();
}

int TClassStylesDB::SelectedClass() const
{
    const int k = CheckedRow();
    return k >= 1 ? k - 1 : 0;
}

bool TClassStylesDB::Run()
{
    const int n = CountEntityTypes(FClasses);
    PrepareShrunk(n + 1, 0, Nodes ? 8 : 6, nullptr);
    // The rows hidden, the form fits the rows shown.
    adjustSize();
    return RunDisplayDialog(FPad, *this) == QDialog::Accepted;
}

void TClassStylesDB::ChooseShape()
{
    const int c = SelectedClass();
    auto& row = Working.Rows[size_t(c)];
    TLinkShapesDB d(FPad, Nodes, row.Size, row.Colour, this);
    if (!d.Run(11)) return;
    row.Size = d.Result();
    ShowRow(c);
}

void TClassStylesDB::ChooseColor()
{
    const int c = SelectedClass();
    auto& row = Working.Rows[size_t(c)];
    TLinkColorsDB d(FPad, Nodes, row.Colour, this);
    if (!d.Run(ColorButtonCount)) return;
    row.Colour = d.Result();
    ShowRow(c);
}

void TClassStylesDB::ChooseBitmap()
{
    const int c = SelectedClass();
    auto& row = Working.Rows[size_t(c)];
    int number = row.Size > 10 ? int(std::min<int64_t>(int64_t(row.Size) - 10, TSymbolImages::MaxSymbols)) : 1;
    if (!ShowSymbolImages(FPad, this, Nodes, number)) return;
    row.Size = number + 10;
    ShowRow(c);
}

void TClassStylesDB::ChoosePie()
{
    const int c = SelectedClass();
    if (c < 1) return;
    auto& row = Working.Rows[size_t(c)];
    TPIeDB d(FClasses[c], row.Slices, Working.PieColors, row.Size, this);
    if (RunDisplayDialog(FPad, d) != QDialog::Accepted) return;
    row.Slices = d.Slices();
    Working.PieColors = d.PieColors();
    row.Size = d.Size();
    ShowRow(c);
}

void TClassStylesDB::Store(TEntityClass& Classes, TWidthSettings& Widths, TDisplaySettings& Display) const
{
    for (int c = 0; c <= MaxClasses; ++c) {
        TClassRecord& r = Classes[c];
        const auto& row = Working.Rows[size_t(c)];
        r.Width = row.Size;
        r.Color = row.Colour;
        if (!Nodes) r.Arrow = row.Arrow;
        if (Nodes && c >= 1) r.PieSlices = row.Slices;
    }
    auto& legend = Nodes ? Widths.NodeClassLegend : Widths.LinkClassLegend;
    for (int c = 1; c <= MaxClasses; ++c) legend[size_t(c)] = Working.Legend[size_t(c)];
    if (Nodes)
        for (int k = 1; k <= 10; ++k) Display.PieColors[size_t(k)] = Working.PieColors[size_t(k)];
}

TNodeStylesDB::TNodeStylesDB(TSketchPadWindow& Pad, QWidget* Parent) : TClassStylesDB(Pad, true, Parent)
{
    setObjectName("NodeStylesDB");
    setWindowTitle("Node Styles");
}

TLinkStylesDB::TLinkStylesDB(TSketchPadWindow& Pad, QWidget* Parent) : TClassStylesDB(Pad, false, Parent)
{
    setObjectName("LinkStylesDB");
    setWindowTitle("Link Styles");
}

// ---- "Pie" ----

TPIeDB::TPIeDB(const TClassRecord& Class, const std::array<uint8_t, 11>& ASlices,
               const std::array<int32_t, 11>& APieColors, int32_t ASize, QWidget* Parent)
    : QDialog(Parent), FSlices(ASlices), FColors(APieColors), FSize(ASize)
{
    setObjectName("PIeDB");
    setWindowTitle("Pie Chart: " + WindowsText(Class.Name));
    FAttributeCount = std::clamp(Class.AttributeCount, 0, MaxAttributes);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Attributes for Slices", this), 0, 0);
    grid->addWidget(new QLabel("Pie Colors for Network", this), 0, 1);
    for (int k = 1; k <= 10; ++k) {
        auto* list = new QComboBox(this);
        list->setObjectName(QString("ComboBox%1").arg(k));
        // Item i is attribute i.
        list->addItem("None");
        for (int i = 1; i <= FAttributeCount; ++i) {
            const TAttrib* a = Class.Attr(i);
            list->addItem(a ? WindowsText(a->Name) : QString());
        }
        const int slice = FSlices[size_t(k)];
        list->setCurrentIndex(slice <= FAttributeCount ? slice : 0);
        connect(list, &QComboBox::currentIndexChanged, this, [this, k] {
            FSliceChanged[size_t(k)] = true;
            Sample->update();
        });
        ComboBoxes[size_t(k)] = list;
        grid->addWidget(list, k, 0);

        auto* colours = new QComboBox(this);
        colours->setObjectName(QString("ColorBox%1").arg(k));
        for (int i = 0; i < 16; ++i) {
            QPixmap swatch(24, 12);
            swatch.fill(QColor::fromRgb(BasicColors[size_t(i)]));
            colours->addItem(QIcon(swatch), QString::number(i));
        }
        const int32_t colour = FColors[size_t(k)];
        colours->setCurrentIndex(IsPieColor(colour) ? int(colour) : int(DefaultPieColor(k)));
        connect(colours, &QComboBox::currentIndexChanged, this, [this, k] {
            FColorChanged[size_t(k)] = true;
            Sample->update();
        });
        ColorBoxes[size_t(k)] = colours;
        grid->addWidget(colours, k, 1);
    }
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(new QLabel("Size:", this));
    SizeEdit = new QSpinBox(this);
    SizeEdit->setObjectName("SpinEdit1");
    SizeEdit->setRange(PieSizeMin, PieSizeMax);
    SizeEdit->setValue(std::clamp<int32_t>(PieSizeShown(FSize), PieSizeMin, PieSizeMax));
    connect(SizeEdit, &QSpinBox::valueChanged, this, [this] {
        FSizeChanged = true;
        Sample->update();
    });
    sizeRow->addWidget(SizeEdit);
    grid->addLayout(sizeRow, 11, 0);

    // The sample: the chosen slices at equal angles, the first from the top,
    // clockwise; an empty white circle when none is chosen.
    Sample = new TSampleView(this, QSize(90, 90));
    Sample->setObjectName("PieSample");
    Sample->Paint = [this](TCanvas& c, int w, int h) {
        const int32_t r = 36, x = w / 2, y = h / 2;
        std::vector<int> slices;
        for (int k = 1; k <= 10; ++k)
            if (ComboBoxes[size_t(k)]->currentIndex() > 0) slices.push_back(k);
        c.SetPen(0, psSolid, 1);
        if (slices.empty()) {
            c.SetBrush(0xFFFFFF, bsSolid);
            c.Ellipse(x - r, y - r, x + r, y + r);
            return;
        }
        const double sweep = 2 * std::numbers::pi / double(slices.size());
        double start = std::numbers::pi / 2;
        for (int k : slices) {
            double next = start - sweep;
            if (next < 0) next += 2 * std::numbers::pi;
            const TColorValue colour = BasicColors[size_t(ColorBoxes[size_t(k)]->currentIndex())];
            c.SetPen(colour, psSolid, 1);
            c.SetBrush(colour, bsSolid);
            auto px = [&](double a) { return x + int32_t(pround(20 * std::cos(a))); };
            auto py = [&](double a) { return y - int32_t(pround(20 * std::sin(a))); };
            c.Pie(x - r, y - r, x + r, y + r, px(next), py(next), px(start), py(start));
            start = next;
        }
    };
    grid->addWidget(Sample, 11, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AddOkCancel(*this, buttons);
    grid->addLayout(buttons, 12, 0, 1, 2);
}

std::array<uint8_t, 11> TPIeDB::Slices() const
{
    std::array<uint8_t, 11> out = FSlices;
    for (int k = 1; k <= 10; ++k)
        out[size_t(k)] = StoredChoice<uint8_t>(FSlices[size_t(k)], FSlices[size_t(k)] <= FAttributeCount,
                                               FSliceChanged[size_t(k)], uint8_t(ComboBoxes[size_t(k)]->currentIndex()));
    return out;
}

std::array<int32_t, 11> TPIeDB::PieColors() const
{
    std::array<int32_t, 11> out = FColors;
    for (int k = 1; k <= 10; ++k)
        out[size_t(k)] = StoredChoice<int32_t>(FColors[size_t(k)], IsPieColor(FColors[size_t(k)]),
                                               FColorChanged[size_t(k)], ColorBoxes[size_t(k)]->currentIndex());
    return out;
}

int32_t TPIeDB::Size() const
{
    return StoredChoice<int32_t>(FSize, PieSizeExact(FSize), FSizeChanged, PieSizeStored(SizeEdit->value()));
}

// ---- "Shapes" ----

TShapesDB::TShapesDB(TZOKMainWindow& Main, const TDisplaySettings& Display, QWidget* Parent)
    : QDialog(Parent), FShown(Display)
{
    setObjectName("ShapesDB");
    setWindowTitle("Shapes");
    auto* v = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    auto makeGroup = [&](const char* name, const char* title, std::initializer_list<const char*> captions,
                         int checked, bool& changed) {
        auto* box = new QGroupBox(title, this);
        box->setObjectName(name);
        auto* bv = new QVBoxLayout(box);
        auto* g = new QButtonGroup(this);
        int id = 0;
        for (const char* caption : captions) {
            auto* b = new QRadioButton(caption, box);
            b->setObjectName(QString("%1Button%2").arg(name).arg(id));
            g->addButton(b, id++);
            bv->addWidget(b);
        }
        if (QAbstractButton* b = g->button(checked)) b->setChecked(true);
        connect(g, &QButtonGroup::idClicked, this, [&changed] { changed = true; });
        groups->addWidget(box);
        return g;
    };
    // A stored value without a button shows the default one and is kept unless a button is clicked.
    const int size = StandardSizeButton(Display.StandardSize);
    SizeGroup = makeGroup("RadioGroup1", "Standard Size", {"&Tiny", "&Small", "&Medium", "&Large", "E&xtra", "&Jumbo"},
                          size >= 0 ? size : StandardSizeButton(TDisplaySettings{}.StandardSize), FSizeChanged);
    const int shape = GlobalShapeButton(Display.GlobalShape);
    ShapeGroup = makeGroup("RadioGroup2", "Global Shape", {"&Entity/Bitmap", "&Box", "&Circle", "&Dot", "&Pie", "&None"},
                           shape >= 0 ? shape : GlobalShapeButton(TDisplaySettings{}.GlobalShape), FShapeChanged);
    const int link = LinkStyleButton(Display.GlobalLinkStyle);
    LinkStyleGroup =
        makeGroup("RadioGroup3", "Link Style", {"N&ormal", "Sm&all Dot", "Arrow &1", "Arrow &2", "Arrow &3", "&Bitmap"},
                  link >= 0 ? link : 0, FLinkChanged);
    v->addLayout(groups);
    SuppressCB = new QCheckBox("Suppress all shape points", this);
    SuppressCB->setObjectName("CheckBox1");
    SuppressCB->setChecked(Display.HideShapePointMarks != 0);
    connect(SuppressCB, &QCheckBox::clicked, this, [this] { FSuppressChanged = true; });
    v->addWidget(SuppressCB);
    auto* buttons = new QHBoxLayout;
    HelpButton = NamedButton(this, "HelpButton", "&Help");
    buttons->addStretch();
    AddOkCancel(*this, buttons);
    buttons->addWidget(HelpButton);
    v->addLayout(buttons);
    AddHelp(*this, Main, 500, HelpButton);
}

void TShapesDB::Store(TDisplaySettings& Display) const
{
    const TDisplaySettings& s = FShown;
    // Each group has a button checked from the start.
    const int size = std::max(SizeGroup->checkedId(), 0), shape = std::max(ShapeGroup->checkedId(), 0),
              link = std::max(LinkStyleGroup->checkedId(), 0);
    Display.StandardSize = StoredChoice<int32_t>(s.StandardSize, StandardSizeButton(s.StandardSize) >= 0, FSizeChanged,
                                                 StandardSizes[size_t(size)]);
    Display.GlobalShape = StoredChoice<uint8_t>(s.GlobalShape, GlobalShapeButton(s.GlobalShape) >= 0, FShapeChanged,
                                                GlobalShapes[size_t(shape)]);
    Display.GlobalLinkStyle = StoredChoice<uint8_t>(s.GlobalLinkStyle, LinkStyleButton(s.GlobalLinkStyle) >= 0,
                                                    FLinkChanged, uint8_t(link));
    Display.HideShapePointMarks =
        StoredChoice<uint8_t>(s.HideShapePointMarks, false, FSuppressChanged, SuppressCB->isChecked() ? 1 : 0);
}

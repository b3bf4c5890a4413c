#include "display/StylePickers.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "core/model/StyleControls.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

// ---- the picker base ----

TPickerDB::TPickerDB(TSketchPadWindow& Pad, const TDisplaySettings* Display, QWidget* Parent)
    : TShrinkForm(Parent), FPad(Pad), FSample(Pad, Display)
{
    Group = new QButtonGroup(this);
    FGrid = new QGridLayout(this);
    connect(Group, &QButtonGroup::idClicked, this, [this] { Changed = true; });
}

QRadioButton* TPickerDB::AddRow(int K, const QString& Caption, TSampleView* Sample, int GridRow, int GridColumn)
{
    auto* b = new QRadioButton(Caption, this);
    b->setObjectName(QString("RadioButton%1").arg(K));
    b->installEventFilter(this);
    Group->addButton(b, K);
    FGrid->addWidget(b, GridRow, GridColumn);
    if (Sample) {
        Sample->setParent(this);
        Sample->setObjectName(QString("Sample%1").arg(K));
        FGrid->addWidget(Sample, GridRow, GridColumn + 1);
        AddRowWidget(K, Sample);
        connect(Sample, &TSampleView::doubleClicked, this, [this, K] {
            Check(K);
            Changed = true;
            accept();
        });
    }
    return b;
}

void TPickerDB::Finish(int GridRow)
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AddOkCancel(*this, buttons);
    FGrid->addLayout(buttons, GridRow, 0, 1, FGrid->columnCount());
    FindRows();
}

void TPickerDB::Check(int K)
{
    if (QAbstractButton* b = Group->button(K)) b->setChecked(true);
}

bool TPickerDB::Run(int Rows)
{
    PrepareShrunk(Rows, Group->checkedId() > 0 ? Group->checkedId() : 0, Rows, nullptr);
    return RunDisplayDialog(FPad, *this) == QDialog::Accepted;
}

bool TPickerDB::eventFilter(QObject* Watched, QEvent* Event)
{
    // A double click on an entry picks it and closes the picker.
    if (Event->type() == QEvent::MouseButtonDblClick)
        if (auto* b = qobject_cast<QRadioButton*>(Watched); b && Group->id(b) > 0) {
            b->setChecked(true);
            Changed = true;
            accept();
            return true;
        }
    return TShrinkForm::eventFilter(Watched, Event);
}

// ---- "Link Shapes" / "Node Shapes" ----

TLinkShapesDB::TLinkShapesDB(TSketchPadWindow& Pad, bool Nodes, int32_t Value, int32_t Colour, QWidget* Parent)
    : TPickerDB(Pad, nullptr, Parent), FValue(Value)
{
    setObjectName("LinkShapesDB");
    setWindowTitle(Nodes ? "Node Shapes" : "Link Shapes");
    for (int k = 1; k <= 10; ++k) {
        auto* s = new TSampleView(nullptr, QSize(56, 28));
        s->Background = QColor::fromRgb(FSample.Pad().WindowColor);
        const TDrawPad* pad = &FSample.Pad();
        if (Nodes)
            s->Paint = [pad, k, Colour](TCanvas& c, int w, int h) {
                DrawNode(c, *pad, w / 2, h / 2, nullptr, nullptr, false, true, false, false, pad->StandardSize(), k,
                         Colour);
            };
        else
            s->Paint = [pad, k, Colour](TCanvas& c, int w, int h) {
                DrawLink(c, *pad, 4, h / 2, false, nullptr, false, false, true, 0, k, Colour, w - 4, h / 2);
            };
        AddRow(k, QString::number(k), s, k - 1);
    }
    AddRow(ShapeCustomButton, "Custom", nullptr, 10);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName("SpinEdit1");
    SpinEdit1->setRange(ShapeSpinMin, ShapeSpinMax);
    FGrid->addWidget(SpinEdit1, 10, 1);
    AddRowWidget(ShapeCustomButton, SpinEdit1);
    const TShapeChoice c = ShapeChoiceOf(Value);
    FExact = c.Exact;
    Check(c.Button);
    SpinEdit1->setValue(c.Spin);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this] {
        Changed = true;
        Check(ShapeCustomButton);
    });
    Finish(11);
}

int32_t TLinkShapesDB::Result() const
{
    return StoredChoice<int32_t>(FValue, FExact, Changed, ShapeValueOf(Group->checkedId(), SpinEdit1->value()));
}

// ---- "LinkColorsDB" / "Node Colors" ----

TLinkColorsDB::TLinkColorsDB(TSketchPadWindow& Pad, bool Nodes, int32_t Colour, QWidget* Parent)
    : TPickerDB(Pad, nullptr, Parent), FColour(Colour)
{
    setObjectName("LinkColorsDB");
    setWindowTitle(Nodes ? "Node Colors" : "LinkColorsDB");
    for (int k = 1; k <= ColorButtonCount; ++k) {
        auto* s = new TSampleView(nullptr, QSize(40, 20));
        s->Background = QColor::fromRgb(FSample.Pad().WindowColor);
        const TDrawPad* pad = &FSample.Pad();
        const int32_t colour = ColorOfButton(k);
        if (Nodes)
            s->Paint = [pad, colour](TCanvas& c, int w, int h) {
                DrawNode(c, *pad, w / 2, h / 2, nullptr, nullptr, false, true, false, false, 6, 1, colour);
            };
        else
            s->Paint = [pad, colour](TCanvas& c, int w, int h) {
                DrawLink(c, *pad, 4, h / 2, false, nullptr, false, false, true, 0, 4, colour, w - 4, h / 2);
            };
        // Two columns of entries.
        const int half = (ColorButtonCount + 1) / 2;
        AddRow(k, QString::number(k - 1), s, (k - 1) % half, (k - 1) / half * 2);
    }
    const int shown = ColorButtonOf(Colour);
    Check(shown > 0 ? shown : ColorButtonOf(1));
    Finish((ColorButtonCount + 1) / 2);
}

int32_t TLinkColorsDB::Result() const
{
    return StoredChoice<int32_t>(FColour, ColorButtonOf(FColour) > 0, Changed, ColorOfButton(Group->checkedId()));
}

// ---- "Fill Pattern" ----

TFillPatternDB::TFillPatternDB(TSketchPadWindow& Pad, const TPolygonStyle& Style, QWidget* Parent)
    : TPickerDB(Pad, nullptr, Parent), FStyle(Style)
{
    setObjectName("FillPatternDB");
    setWindowTitle("Fill Pattern");
    const TDrawPad* pad = &FSample.Pad();
    for (int k = 1; k <= int(FillBrushStyles.size()); ++k) {
        auto* s = new TSampleView(nullptr, QSize(48, 24));
        TPolygonStyle st = Style;
        st.FillStyle = FillBrushStyles[size_t(k - 1)];
        s->Paint = [pad, st](TCanvas& c, int w, int h) { DrawPolygonStyleSample(c, *pad, st, 2, 2, w - 3, h - 3); };
        AddRow(k, QString(), s, k - 1);
    }
    // The hatch bitmaps, as many as the program loaded; item 0 is none.
    int count = 0;
    for (int n = 1; n <= TSymbolImages::MaxSymbols; ++n)
        if (pad->Images && pad->Images->Fill(n)) count = n;
    FGrid->addWidget(new QLabel("Bitmaps", this), 0, 2);
    ComboBox5 = new QComboBox(this);
    ComboBox5->setObjectName("ComboBox5");
    ComboBox5->addItem("(none)");
    for (int n = 1; n <= count; ++n) {
        QPixmap tile(32, 16);
        tile.fill(Qt::white);
        if (const TSymbolImages::TEntry* e = pad->Images->Fill(n)) {
            QPainter p(&tile);
            p.fillRect(tile.rect(), QBrush(e->Transparent));
        }
        ComboBox5->addItem(QIcon(tile), QString::number(n));
    }
    FGrid->addWidget(ComboBox5, 1, 2);
    const TFillChoice c = FillChoiceOf(Style.FillStyle, count);
    FShown = c.Button > 0 || c.Bitmap > 0;
    if (c.Bitmap > 0)
        ComboBox5->setCurrentIndex(c.Bitmap);
    else
        Check(c.Button > 0 ? c.Button : 1);
    // A bitmap and a brush exclude each other.
    connect(ComboBox5, &QComboBox::currentIndexChanged, this, [this](int i) {
        Changed = true;
        if (i > 0 && Group->checkedButton()) {
            Group->setExclusive(false);
            Group->checkedButton()->setChecked(false);
            Group->setExclusive(true);
        }
    });
    connect(Group, &QButtonGroup::idClicked, this, [this] {
        const QSignalBlocker block(ComboBox5);
        ComboBox5->setCurrentIndex(0);
    });
    Finish(int(FillBrushStyles.size()));
}

TPolygonStyle TFillPatternDB::Result() const
{
    TPolygonStyle s = FStyle;
    const int bitmap = ComboBox5->currentIndex();
    s.FillStyle = StoredChoice<uint8_t>(FStyle.FillStyle, FShown, Changed, FillStyleOf(Group->checkedId(), bitmap));
    return s;
}

// ---- "Border Line" ----

TBorderStyleDB::TBorderStyleDB(TSketchPadWindow& Pad, const TPolygonStyle& Style, QWidget* Parent)
    : TPickerDB(Pad, nullptr, Parent), FStyle(Style)
{
    setObjectName("BorderStyleDB");
    setWindowTitle("Border Line");
    for (int k = 1; k <= int(BorderPens.size()); ++k) {
        auto* s = new TSampleView(nullptr, QSize(64, 16));
        const TColorValue colour = ColorFromBgr(Style.Color);
        const TPenEntry pen = BorderPens[size_t(k - 1)];
        s->Paint = [colour, pen](TCanvas& c, int w, int h) {
            c.SetPen(colour, pen.Style, pen.Width);
            c.Line(4, h / 2, w - 4, h / 2);
        };
        AddRow(k, QString(), s, k - 1);
    }
    const int shown = BorderButtonOf(Style.PenStyle, Style.PenWidth);
    Check(shown > 0 ? shown : BorderButtonOf(0, 1));
    Finish(int(BorderPens.size()));
}

TPolygonStyle TBorderStyleDB::Result() const
{
    TPolygonStyle s = FStyle;
    const bool shown = BorderButtonOf(FStyle.PenStyle, FStyle.PenWidth) > 0;
    const int k = Group->checkedId();
    if ((shown || Changed) && k >= 1 && k <= int(BorderPens.size())) {
        s.PenStyle = BorderPens[size_t(k - 1)].Style;
        s.PenWidth = BorderPens[size_t(k - 1)].Width;
    }
    return s;
}

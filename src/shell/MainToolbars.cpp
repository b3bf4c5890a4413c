#include "shell/MainToolbars.h"

#include <algorithm>
#include <map>
#include <vector>

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

TUpDown::TUpDown(const QString& Name, const QString& Hint, bool Horizontal, QWidget* Parent) : QWidget(Parent)
{
    setObjectName(Name);
    setToolTip(Hint);
    QBoxLayout* l = Horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(this)) : new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    Up = new QToolButton(this);
    Down = new QToolButton(this);
    Up->setObjectName(Name + "Up");
    Down->setObjectName(Name + "Down");
    Up->setArrowType(Horizontal ? Qt::RightArrow : Qt::UpArrow);
    Down->setArrowType(Horizontal ? Qt::LeftArrow : Qt::DownArrow);
    for (QToolButton* b : {Up, Down}) {
        b->setToolTip(Hint);
        b->setFixedSize(Horizontal ? QSize(14, 22) : QSize(18, 11));
        l->addWidget(b);
    }
    connect(Up, &QToolButton::clicked, this, [this] { emit Clicked(true); });
    connect(Down, &QToolButton::clicked, this, [this] { emit Clicked(false); });
}

TButtonBar::TButtonBar(const QString& Name, const QString& Caption, QWidget* Parent) : QFrame(Parent)
{
    setObjectName(Name);
    setWindowTitle(Caption);
    setToolTip(Caption);
    setFrameShape(QFrame::StyledPanel);
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(2, 1, 2, 1);
    l->setSpacing(1);
}

QToolButton* TButtonBar::AddButton(const QString& Name, const QString& Hint, const QString& Glyph, bool Checkable)
{
    auto* b = new QToolButton(this);
    b->setObjectName(Name);
    b->setToolTip(Hint);
    b->setText(Glyph);
    b->setCheckable(Checkable);
    b->setAutoRaise(true);
    b->setMinimumSize(24, 22);
    layout()->addWidget(b);
    return b;
}

void TButtonBar::AddSeparator()
{
    auto* s = new QFrame(this);
    s->setFrameShape(QFrame::VLine);
    s->setFrameShadow(QFrame::Sunken);
    layout()->addWidget(s);
}

void TButtonBar::AddWidget(QWidget* W) { layout()->addWidget(W); }

void TMainToolbars::Build(QWidget* Parent)
{
    Bars[0] = new TButtonBar("Toolbar1", "Sketch Modes", Parent);
    Bars[1] = new TButtonBar("Toolbar2", "Sketch Operations", Parent);
    Bars[2] = new TButtonBar("Toolbar3", "Labels", Parent);
    Bars[3] = new TButtonBar("Toolbar4", "Widths and Sizes", Parent);
    Bars[4] = new TButtonBar("Toolbar5", "Snap Controls", Parent);
    // Home places on the top dock.
    Bars[0]->Place = {0, 0};
    Bars[1]->Place = {1, 0};
    Bars[2]->Place = {2, 0};
    Bars[3]->Place = {2, 234};
    Bars[4]->Place = {1, 266};

    for (int m = 0; m < SketchModeCount; ++m) {
        const TSketchModeInfo& info = SketchModes[m];
        if (!info.ButtonName) continue;
        ModeButtons[size_t(m)] = Bars[0]->AddButton(info.ButtonName, info.Name, info.Glyph, true);
    }

    TButtonBar* ops = Bars[1];
    WestButton = ops->AddButton("WestButton", "East Space", QString::fromUtf8("\u2192"));
    NorthButton = ops->AddButton("NorthButton", "South Space", QString::fromUtf8("\u2193"));
    SouthButton = ops->AddButton("SouthButton", "North Space", QString::fromUtf8("\u2191"));
    EastButton = ops->AddButton("EastButton", "West Space", QString::fromUtf8("\u2190"));
    ops->AddSeparator();
    UndeleteButton = ops->AddButton("UndeleteButton", "Undelete Node/Link", "Und");
    UndeleteButton->setEnabled(false);
    RefreshButton = ops->AddButton("RefreshButton", "Refresh", "Ref");
    ZoomOutButton = ops->AddButton("ZoomOutButton", "Zoom Out", "Z-", true);
    ZoomInButton = ops->AddButton("ZoomInButton", "Zoom In", "Z+", true);
    SpeedButton1 = ops->AddButton("SpeedButton1", "Save Network", "Sav");
    RightClickButton = ops->AddButton("RightClickButton", "Finish Node Plot", "Fin");

    struct B {
        int n;
        const char* hint;
        const char* glyph;
    };
    const B labels[] = {{1, "Reset All Entity Labels", "RL"}, {2, "Node Labels", "NL"}, {3, "Link Labels", "LL"},
                        {4, "Format", "Fmt"},                 {5, "Clear Labels", "CL"}};
    for (const B& b : labels)
        ToolbarButtons[size_t(b.n)] = Bars[2]->AddButton(QString("ToolbarButton%1").arg(b.n), b.hint, b.glyph);
    const B widths[] = {{6, "Width Status", "WS"},       {7, "Node Expressions", "NE"},
                        {8, "Link Expressions", "LE"},   {14, "Desire Line Expressions", "DE"},
                        {9, "Node Intervals", "NI"},     {10, "Link Intervals", "LI"},
                        {11, "Put Widths", "Put"},       {12, "Clear Widths", "CW"},
                        {13, "Get Widths", "Get"}};
    for (const B& b : widths)
        ToolbarButtons[size_t(b.n)] = Bars[3]->AddButton(QString("ToolbarButton%1").arg(b.n), b.hint, b.glyph);

    TButtonBar* snap = Bars[4];
    NSSnapButton = new TUpDown("NSSnapButton", "Move Cursor", false, snap);
    EWSnapButton = new TUpDown("EWSnapButton", "Move Cursor", true, snap);
    SnapDistanceEdit = new QLineEdit("10", snap);
    SnapDistanceEdit->setObjectName("SnapDistanceEdit");
    SnapDistanceEdit->setToolTip("Snap Distance");
    SnapDistanceEdit->setReadOnly(true);
    SnapDistanceEdit->setFixedWidth(40);
    SnapAdjustButton = new TUpDown("SnapAdjustButton", "Adjust Snap Distance", false, snap);
    snap->AddWidget(NSSnapButton);
    snap->AddWidget(EWSnapButton);
    snap->AddWidget(SnapDistanceEdit);
    snap->AddWidget(SnapAdjustButton);

    for (TButtonBar* b : Bars) b->hide();
}

TToolbarHost::TToolbarHost(QWidget* Parent) : QWidget(Parent)
{
    setObjectName("Dock1");
    FRows = new QVBoxLayout(this);
    FRows->setContentsMargins(0, 0, 0, 0);
    FRows->setSpacing(1);
}

void TToolbarHost::Arrange(const std::array<TButtonBar*, ToolbarCount>& Bars)
{
    // Take every row apart (the toolbars stay alive, reparented to the host).
    while (QLayoutItem* item = FRows->takeAt(0)) {
        if (QLayout* row = item->layout()) {
            while (QLayoutItem* inner = row->takeAt(0)) delete inner;
        }
        delete item;
    }
    std::map<int, std::vector<TButtonBar*>> rows;
    for (TButtonBar* b : Bars)
        if (b && !b->isHidden()) rows[b->Place.Row].push_back(b);
    for (auto& [row, bars] : rows) {
        std::stable_sort(bars.begin(), bars.end(),
                         [](TButtonBar* a, TButtonBar* b) { return a->Place.Position < b->Place.Position; });
        auto* h = new QHBoxLayout;
        h->setSpacing(2);
        for (TButtonBar* b : bars) h->addWidget(b);
        h->addStretch(1);
        FRows->addLayout(h);
    }
    setVisible(!rows.empty());
}

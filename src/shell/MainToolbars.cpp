#include "shell/MainToolbars.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "toolbars/DockButton.h"
#include "toolbars/DockToolbar.h"
#include "toolbars/ToolDock.h"

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
    setFixedSize(Horizontal ? QSize(28, 22) : QSize(18, 22));
    connect(Up, &QToolButton::clicked, this, [this] { emit Clicked(true); });
    connect(Down, &QToolButton::clicked, this, [this] { emit Clicked(false); });
}

namespace {
TDockButton* Button(TDockToolbar* Bar, const QString& Name, const QString& Hint, QSize Size = QSize(23, 22))
{
    auto* b = new TDockButton(Bar);
    b->setObjectName(Name);
    b->setToolTip(Hint);
    b->resize(Size);
    b->SetGlyph(QImage(":/glyphs/" + Name + ".bmp"));
    return b;
}

void Separator(TDockToolbar* Bar) { new TDockSeparator(Bar); }
} // namespace

void TMainToolbars::Build(QWidget* Form, QWidget* Host, QWidget* Centre)
{
    const TDockPosition sides[4] = {dpTop, dpRight, dpLeft, dpBottom};
    for (int i = 0; i < 4; ++i) {
        Docks[size_t(i)] = new TToolDock(Form, sides[i]);
        Docks[size_t(i)]->setObjectName(QString("Dock%1").arg(i + 1));
        Docks[size_t(i)]->PlaceIn(Host);
    }
    auto* v = new QVBoxLayout(Host);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto* h = new QHBoxLayout;
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    v->addWidget(Docks[0]);
    h->addWidget(Docks[2]);
    h->addWidget(Centre, 1);
    h->addWidget(Docks[1]);
    v->addLayout(h, 1);
    v->addWidget(Docks[3]);

    const char* captions[ToolbarCount] = {"Sketch Modes", "Sketch Operations", "Labels", "Widths and Sizes",
                                          "Snap Controls"};
    for (int k = 0; k < ToolbarCount; ++k) {
        auto* t = new TDockToolbar(Form);
        t->setObjectName(QString("Toolbar%1").arg(k + 1));
        t->SetCaption(captions[k]);
        t->SetDefaultDock(Docks[0]);
        Bars[size_t(k)] = t;
    }

    // Sketch Modes: one button per mode, in groups of nodes, links, polygons,
    // shape points and reinitializing; one of them is down at a time.
    const std::initializer_list<int> groups[] = {
        {0}, {1, 3, 5, 9, 11, 24}, {2, 4, 8, 10, 14, 16, 12, 25}, {6, 7, 26}, {17, 19, 22, 23, 27}, {20, 21}};
    bool first = true;
    for (const auto& g : groups) {
        if (!first) Separator(Bars[0]);
        first = false;
        for (int m : g) {
            const TSketchModeInfo& info = SketchModes[m];
            TDockButton* b = Button(Bars[0], info.ButtonName, info.Name);
            b->SetGroupIndex(1);
            b->SetAllowAllUp(true); // SetButtons lets them all up before pressing one
            ModeButtons[size_t(m)] = b;
        }
    }

    TDockToolbar* ops = Bars[1];
    WestButton = Button(ops, "WestButton", "East Space");
    NorthButton = Button(ops, "NorthButton", "South Space");
    SouthButton = Button(ops, "SouthButton", "North Space");
    EastButton = Button(ops, "EastButton", "West Space");
    Separator(ops);
    UndeleteButton = Button(ops, "UndeleteButton", "Undelete Node/Link");
    UndeleteButton->setEnabled(false);
    RefreshButton = Button(ops, "RefreshButton", "Refresh");
    ZoomOutButton = Button(ops, "ZoomOutButton", "Zoom Out");
    ZoomInButton = Button(ops, "ZoomInButton", "Zoom In");
    for (TDockButton* b : {ZoomOutButton, ZoomInButton}) {
        b->SetGroupIndex(2);
        b->SetAllowAllUp(true);
    }
    SpeedButton1 = Button(ops, "SpeedButton1", "Save Network");
    RightClickButton = Button(ops, "RightClickButton", "Finish Node Plot");

    struct B {
        int n;
        const char* hint;
    };
    const B labels[] = {{1, "Reset All Entity Labels"}, {2, "Node Labels"}, {3, "Link Labels"}, {4, "Format"},
                        {5, "Clear Labels"}};
    for (const B& b : labels)
        ToolbarButtons[size_t(b.n)] = Button(Bars[2], QString("ToolbarButton%1").arg(b.n), b.hint, QSize(44, 24));
    const B widths[] = {{6, "Width Status"},     {7, "Node Expressions"}, {8, "Link Expressions"},
                        {14, "Desire Line Expressions"}, {9, "Node Intervals"},   {10, "Link Intervals"},
                        {11, "Put Widths"},      {12, "Clear Widths"},     {13, "Get Widths"}};
    for (const B& b : widths)
        ToolbarButtons[size_t(b.n)] = Button(Bars[3], QString("ToolbarButton%1").arg(b.n), b.hint,
                                             b.n == 14 ? QSize(44, 22) : QSize(44, 24));

    TDockToolbar* snap = Bars[4];
    NSSnapButton = new TUpDown("NSSnapButton", "Move Cursor", false, snap);
    EWSnapButton = new TUpDown("EWSnapButton", "Move Cursor", true, snap);
    Separator(snap);
    SnapDistanceEdit = new QLineEdit("10", snap);
    SnapDistanceEdit->setObjectName("SnapDistanceEdit");
    SnapDistanceEdit->setToolTip("Snap Distance");
    SnapDistanceEdit->setReadOnly(true);
    SnapDistanceEdit->setFixedSize(40, 22);
    SnapAdjustButton = new TUpDown("SnapAdjustButton", "Adjust Snap Distance", false, snap);

    // Home places on the top dock; hidden until a window shows them.
    const int homes[ToolbarCount][2] = {{0, 0}, {1, 0}, {2, 0}, {2, 234}, {1, 266}};
    for (int k = 0; k < ToolbarCount; ++k) {
        TDockToolbar* t = Bars[size_t(k)];
        t->setVisible(false);
        t->SetDockRow(homes[k][0]);
        t->SetDockPos(homes[k][1]);
        t->SetDockedTo(Docks[0]);
    }
}

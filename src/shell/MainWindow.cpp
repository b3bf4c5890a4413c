#include "shell/MainWindow.h"

#include <malloc.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include "core/edit/Tiling.h"
#include "platform/Cursors.h"
#include "platform/HelpViewer.h"
#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"
#include "platform/Registry.h"
#include "platform/WindowPlacement.h"
#include "shell/DocumentIO.h"
#include "shell/EditingMouse.h"
#include "shell/PadCommands.h"
#include "shell/PrintTarget.h"
#include "shell/SketchPad.h"
#include "shell/SmallDialogs.h"
#include "toolbars/DockButton.h"
#include "toolbars/DockToolbar.h"
#include "toolbars/ToolDock.h"

TZOKMainWindow::TZOKMainWindow(const TMainOptions& Options, QWidget* Parent)
    : QMainWindow(Parent), FOptions(Options)
{
    setObjectName("ZOKMainWindow");
    setWindowTitle("Tarvex");

    std::unique_ptr<TSplash> splash;
    if (FOptions.ShowSplash) {
        splash = std::make_unique<TSplash>();
        splash->ShowNow();
    }

    // Every dialog of the program shows its texts whole.
    InstallDialogFitter(this);
    FOwnBoxes = std::make_unique<TQtMessageBoxes>(this);
    Boxes = FOwnBoxes.get();
    FOwnFiles = std::make_unique<TQtFileChooser>();
    Files = FOwnFiles.get();
    ScreenWidth = [] {
        QScreen* s = QGuiApplication::primaryScreen();
        return s ? s->geometry().width() : 1024;
    };
    ScreenArea = [this] {
        const QScreen* s = screen();
        return s ? s->availableGeometry() : QRect();
    };

    // Frame layout: the four docks around the window area.
    auto* central = new QWidget(this);
    Mdi = new QMdiArea(central);
    Mdi->setObjectName("MdiArea");
    Toolbars.Build(this, central, Mdi);
    setCentralWidget(central);
    ConnectToolbars();
    connect(Mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (!sub) return;
        if (auto* pad = qobject_cast<TSketchPadWindow*>(sub->widget())) PadActivated(pad);
    });

    CurrentYear = QDate::currentDate().year();
    const int labelPositionIds[7] = {62, 63, 64, 65, 66, 67, 226};
    for (size_t i = 0; i < LabelPositionNames.size(); ++i) LabelPositionNames[i] = MessageText(labelPositionIds[i]);

    // Brushes and pens.
    const Qt::BrushStyle brushStyles[9] = {Qt::NoBrush,        Qt::SolidPattern,   Qt::BDiagPattern,
                                           Qt::CrossPattern,   Qt::DiagCrossPattern, Qt::FDiagPattern,
                                           Qt::HorPattern,     Qt::VerPattern,     Qt::Dense4Pattern};
    for (int i = 0; i < 9; ++i) Brushes[size_t(i)] = QBrush(Qt::black, brushStyles[i]);
    Pens[0] = QPen(Qt::NoPen);
    for (int i = 1; i <= 6; ++i) Pens[size_t(i)] = QPen(Qt::black, i, Qt::SolidLine);
    const Qt::PenStyle penStyles[4] = {Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};
    for (int i = 0; i < 4; ++i) Pens[size_t(7 + i)] = QPen(Qt::black, 1, penStyles[i]);

    // Colour tables.
    for (int i = 0; i < 26; ++i) ColorPalette[size_t(i)] = QColor::fromRgb(ProgramPaletteRgb[size_t(i)]);
    ColorPalette[0] = QApplication::palette().color(QPalette::Base); // the system window colour
    for (int i = 0; i < 26; ++i) PaletteRGB[size_t(i)] = ColorPalette[size_t(i)].rgb() & 0xFFFFFFu;
    const int basic[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                              {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
                              {192, 192, 192}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                              {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 16; ++i) BasicColors[size_t(i)] = QColor(basic[i][0], basic[i][1], basic[i][2]);

    BuildStatusBar();

    ProgramDir = FOptions.ProgramDir.empty() ? ProgramDirectory() : FOptions.ProgramDir;
    Symbols.Load(ProgramDir);
    SymbolImages = TSymbolImages::From(Symbols);

    FRegistry = FOptions.IniFile.empty() ? std::make_unique<TRegistry>() : std::make_unique<TRegistry>(FOptions.IniFile);
    ReadRecentFiles();

    StatusHint = MessageText(SketchModes[0].HintId);
    statusBar()->setToolTip(Latin1(StatusHint));
    BuildFrameMenus();
    ShowMenusOf(nullptr);
    UpdateReopenMenu();

    AutoSaveTimer.setInterval(AutoSaveInterval);
    connect(&AutoSaveTimer, &QTimer::timeout, this, [this] { AutoSaveTimerTimer(); });
    AutoSaveTimer.start();
    HintTimer.setInterval(500);
    connect(&HintTimer, &QTimer::timeout, this, [this] { HintTimerTimer(); });
    HintTimer.start();

    // The commands of the network windows' menus that the frame runs itself,
    // and how a long run enables and disables them; the features enter
    // theirs when the program registers them.
    RegisterShellPadItems(*this);
    qApp->installEventFilter(this);
    Gate.Changed = [this] {
        for (TSketchPadWindow* p : SketchPads) UpdatePadItems(*p);
    };
    MakePrintTarget = [](QPrinter& printer, const std::string& file) { return MakePrinterTarget(printer, file); };
    ScreenPpi = [] {
        QScreen* s = QGuiApplication::primaryScreen();
        return s ? s->logicalDotsPerInch() : 96.0;
    };

    KeepFrameOnScreen(DesignSize);
    FOpeningSize = size();
    for (TToolDock* d : Toolbars.Docks) connect(d, &TToolDock::OnResize, this, [this] { HoldDockedToolbars(); });
    if (splash) splash->close();
}

TZOKMainWindow::~TZOKMainWindow()
{
    // Windows go first: they refer to the frame while they are freed.
    FClosing = true;
    while (!SketchPads.empty()) DestroyPad(*SketchPads.back());
    for (QMenu* m : FrameMenus) delete m;
}

void TZOKMainWindow::SetMessageBoxes(TMessageSink* B) { Boxes = B ? B : FOwnBoxes.get(); }

// ---- frame menu, status bar, toolbars ----

void TZOKMainWindow::BuildFrameMenus()
{
    auto item = [this](QMenu* m, const char* name, const char* caption, const char* key = nullptr) {
        auto* a = new QAction(QString::fromLatin1(caption), this);
        a->setObjectName(name);
        if (key) a->setShortcut(QKeySequence(QString::fromLatin1(key)));
        m->addAction(a);
        return a;
    };
    auto* file = new QMenu("&File");
    QMenu* newMenu = file->addMenu("&New");
    connect(item(newMenu, "NewSchemaM", "&Schema"), &QAction::triggered, this, [this] { NewSchema(); });
    connect(item(file, "OpenM", "&Open", "Ctrl+O"), &QAction::triggered, this, [this] { OpenMClick(); });
    FrameReopenMenu = file->addMenu("&Reopen");
    for (int k = 1; k <= 4; ++k) {
        QAction* a = item(FrameReopenMenu, QString("filename%1").arg(k).toLatin1().constData(), "");
        FrameReopenItems[size_t(k)] = a;
        connect(a, &QAction::triggered, this, [this, k] { ReopenFile(k); });
    }
    file->addSeparator();
    connect(item(file, "ExitM", "E&xit"), &QAction::triggered, this, &QWidget::close);
    auto* help = new QMenu("&Help");
    connect(item(help, "HelpContentsM", "&Help Contents", "F1"), &QAction::triggered, this,
            [this] { HelpContents("Contents"); });
    connect(item(help, "About1", "&About"), &QAction::triggered, this, [this] { ShowAbout(); });
    FrameMenus = {file, help};
}

void TZOKMainWindow::ShowMenusOf(TSketchPadWindow* Pad)
{
    menuBar()->clear();
    for (QMenu* m : Pad ? Pad->Menus : FrameMenus) menuBar()->addMenu(m);
}

void TZOKMainWindow::BuildStatusBar()
{
    auto* host = new QWidget(statusBar());
    host->setObjectName("StatusBar1");
    auto* h = new QHBoxLayout(host);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    const int widths[StatusPanelCount] = {180, 40, 40, 70, 140, 50};
    for (int i = 0; i < StatusPanelCount; ++i) {
        auto* l = new QLabel(host);
        l->setObjectName(QString("Panel%1").arg(i));
        l->setFixedWidth(widths[i]);
        l->setAlignment(i < StatusPanelCount - 1 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        if (i < StatusPanelCount - 1) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->installEventFilter(this);
        Panels[size_t(i)] = l;
        h->addWidget(l);
    }
    h->addStretch(1);
    host->installEventFilter(this);
    statusBar()->addWidget(host, 1);
    statusBar()->setSizeGripEnabled(true);
}

// ---- the frame on its screen ----

QMargins TZOKMainWindow::FrameMargins() const
{
    if (isVisible()) {
        const QRect outer = frameGeometry(), inner = geometry();
        return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                outer.bottom() - inner.bottom()};
    }
    const int edge = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    return {edge, style()->pixelMetric(QStyle::PM_TitleBarHeight) + edge, edge, edge};
}

void TZOKMainWindow::KeepFrameOnScreen(QSize Wanted)
{
    const QRect area = ScreenArea ? ScreenArea() : QRect();
    if (area.isEmpty() || isMaximized() || isFullScreen()) return;
    // Until the frame is shown the window system chooses where it opens:
    // only its size counts then.
    const bool placed = isVisible();
    const QMargins m = FrameMargins();
    const QRect outer(placed ? pos() : area.topLeft(), Wanted.grownBy(m));
    const TTileRect r =
        FitIntoArea({outer.x() - area.x(), outer.y() - area.y(), outer.width(), outer.height()}, area.width(),
                    area.height());
    const QRect fitted(area.x() + r.Left, area.y() + r.Top, r.Width, r.Height);
    const QSize client = fitted.size().shrunkBy(m).expandedTo(QSize(1, 1));
    if (client != size()) resize(client);
    // A frame made smaller fills the area from its corner.
    if (placed ? fitted.topLeft() != pos() : fitted.size() != outer.size()) move(fitted.topLeft());
}

void TZOKMainWindow::HoldDockedToolbars()
{
    if (FHolding) return;
    FHolding = true;
    // The longest toolbar along each kind of dock, and what the frame holds
    // beside a dock's length.
    int along = 0, down = 0;
    for (const TToolDock* d : Toolbars.Docks)
        for (const TDockToolbar* b : d->DockList()) {
            if (!b->isVisibleTo(this)) continue;
            if (d->Vertical())
                down = std::max(down, b->height());
            else
                along = std::max(along, b->width());
        }
    QSize wanted = layout() ? layout()->minimumSize() : QSize();
    if (along > 0) wanted.setWidth(std::max(wanted.width(), along + width() - Toolbars.Docks[0]->ClientLength()));
    if (down > 0) wanted.setHeight(std::max(wanted.height(), down + height() - Toolbars.Docks[2]->ClientLength()));
    // Never more than the screen has room for.
    if (const QRect area = ScreenArea ? ScreenArea() : QRect(); !area.isEmpty())
        wanted = wanted.boundedTo(area.size().shrunkBy(FrameMargins())).expandedTo(QSize(0, 0));
    if (wanted != minimumSize()) setMinimumSize(wanted);
    FHolding = false;
}

bool TZOKMainWindow::eventFilter(QObject* Watched, QEvent* Event)
{
    // Shown and decorated by the window system: the frame, if it still has
    // the size it opened at, is fitted to its screen with its real edges.
    if (Watched == this && Event->type() == QEvent::WindowActivate && !FOpeningSize.isEmpty()) {
        if (size() == FOpeningSize) KeepFrameOnScreen(DesignSize);
        FOpeningSize = QSize();
    }
    // An open menu takes plain letters as its own mnemonics: the window's
    // one-letter short cuts (the sketch modes, Refresh) wait until it closes.
    if (Event->type() == QEvent::ShortcutOverride && QApplication::activePopupWidget()) {
        auto* k = static_cast<QKeyEvent*>(Event);
        if ((k->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0 && !k->text().isEmpty()) {
            Event->accept();
            return true;
        }
    }
    // The pointer over the frame, out of the network windows: panel 4 no
    // longer shows a position. (Every move passes the application's
    // filters, also over widgets that do not track the mouse.)
    if (Event->type() == QEvent::MouseMove && !Panels[4]->text().isEmpty())
        if (auto* w = qobject_cast<QWidget*>(Watched); w && w->window() == this) {
            bool inPad = false;
            for (QWidget* p = w; p && p != this && !inPad; p = p->parentWidget())
                inPad = qobject_cast<QMdiSubWindow*>(p) != nullptr;
            if (!inPad) Panels[4]->clear();
        }
    if (Event->type() == QEvent::MouseButtonDblClick) {
        auto* w = qobject_cast<QWidget*>(Watched);
        QWidget* host = Panels[0] ? Panels[0]->parentWidget() : nullptr;
        if (w && host && (w == host || w->parentWidget() == host)) {
            auto* me = static_cast<QMouseEvent*>(Event);
            QPoint p = w->mapTo(host, me->position().toPoint());
            StatusBarDblClick(p.x());
            return true;
        }
    }
    return QMainWindow::eventFilter(Watched, Event);
}

std::string TZOKMainWindow::PanelText(int Panel) const
{
    if (Panel < 0 || Panel >= StatusPanelCount) return {};
    return Bytes(Panels[size_t(Panel)]->text());
}

void TZOKMainWindow::ShowToolbar(int K, bool Show)
{
    if (K < 0 || K >= ToolbarCount) return;
    Toolbars.Bars[size_t(K)]->setVisible(Show);
}

void TZOKMainWindow::ToolbarClose(int K)
{
    if (K < 0 || K >= ToolbarCount || !CurrentPad) return;
    CurrentPad->View.ToolbarShown[size_t(K)] = 0;
    if (QAction* a = CurrentPad->ToolbarItems[size_t(K)]) a->setChecked(false);
}

void TZOKMainWindow::ConnectToolbars()
{
    TMainToolbars& t = Toolbars;
    for (int k = 0; k < ToolbarCount; ++k)
        connect(t.Bars[size_t(k)], &TDockToolbar::OnClose, this, [this, k] { ToolbarClose(k); });
    for (int m = 0; m < SketchModeCount; ++m) {
        TDockButton* b = t.ModeButtons[size_t(m)];
        if (!b) continue;
        connect(b, &TDockButton::OnClick, this, [this, m, b] {
            if (!CurrentPad) {
                b->SetDown(false);
                return;
            }
            SetButtonsCursor(m, *CurrentPad, true);
            // Select Object starts with nothing selected.
            if (m == 0) {
                CurrentPad->View.PickedNode = nullptr;
                CurrentPad->View.PickedShapePoint = nullptr;
            }
        });
    }
    auto extend = [this](TDockButton* b, TSketchPadWindow::TSide side) {
        connect(b, &TDockButton::OnClick, this, [this, side] { ExtendSpace(side); });
    };
    extend(t.WestButton, TSketchPadWindow::SideRight);
    extend(t.NorthButton, TSketchPadWindow::SideDown);
    extend(t.SouthButton, TSketchPadWindow::SideUp);
    extend(t.EastButton, TSketchPadWindow::SideLeft);
    connect(t.RefreshButton, &TDockButton::OnClick, this, [this] {
        if (CurrentPad) CurrentPad->InvalidatePad();
    });
    auto zoomState = [this](bool in) {
        if (!CurrentPad) return;
        CurrentPad->HidePointMarker();
        CurrentPad->HideObjectMarks();
        TPadView& v = CurrentPad->View;
        if (in) {
            v.ZoomInState = v.ZoomInState ? 0 : 1;
            v.ZoomOutState = 0;
        } else {
            v.ZoomOutState = v.ZoomOutState ? 0 : 1;
            v.ZoomInState = 0;
        }
        Toolbars.ZoomInButton->SetDown(v.ZoomInState != 0);
        Toolbars.ZoomOutButton->SetDown(v.ZoomOutState != 0);
        QCursor c = v.ZoomInState ? ZoomInCursor() : v.ZoomOutState ? ZoomOutCursor() : PadCrossCursor();
        CurrentPad->viewport()->setCursor(c);
    };
    connect(t.ZoomInButton, &TDockButton::OnClick, this, [zoomState] { zoomState(true); });
    connect(t.ZoomOutButton, &TDockButton::OnClick, this, [zoomState] { zoomState(false); });
    connect(t.SpeedButton1, &TDockButton::OnClick, this, [this] {
        if (CurrentPad) SaveM(*CurrentPad);
    });
    for (int k = 1; k < int(t.ToolbarButtons.size()); ++k)
        if (TDockButton* b = t.ToolbarButtons[size_t(k)])
            connect(b, &TDockButton::OnClick, this, [this, k] {
                const TPadItem* button = ToolbarCommands.Find(k);
                TSketchPadWindow* pad = CurrentPad;
                // A long run holds the network: its labels and widths wait.
                if (!button || !pad || !Gate.Lets(button->Access, pad->Network.get())) return;
                button->Command(*pad);
                UpdateNetworkItems(*pad);
            });
    connect(t.NSSnapButton, &TUpDown::Clicked, this, [this](bool up) {
        if (CurrentPad) CurrentPad->NudgeByKey(up ? 53 : 54);
    });
    connect(t.EWSnapButton, &TUpDown::Clicked, this, [this](bool up) {
        if (CurrentPad) CurrentPad->NudgeByKey(up ? 51 : 52);
    });
    connect(t.SnapAdjustButton, &TUpDown::Clicked, this,
            [this](bool up) { setsnap(up ? std::min(1000, SnapStep + 1) : std::max(1, SnapStep - 1)); });
}

// ---- modes and status ----

void TZOKMainWindow::SetButtons(int Mode, TSketchPadWindow& Pad, bool PressButton)
{
    if (Mode < 0 || Mode >= SketchModeCount) return;
    TPadEditor::Of(Pad).ChooseMode(uint8_t(Mode));
    Pad.HidePointMarker();
    Pad.HideObjectMarks();
    StatusHint = MessageText(SketchModes[Mode].HintId);
    statusBar()->setToolTip(Latin1(StatusHint));
    for (int k = 0; k < SketchModeCount; ++k) {
        if (IsSubState(k)) continue;
        if (TDockButton* b = Toolbars.ModeButtons[size_t(k)]) b->SetDown(false);
        if (QAction* a = Pad.ModeItems[size_t(k)]) a->setChecked(false);
    }
    if (QAction* a = Pad.ModeItems[size_t(Mode)]) a->setChecked(true);
    if (PressButton)
        if (TDockButton* b = Toolbars.ModeButtons[size_t(Mode)]) b->SetDown(true);
    Toolbars.ZoomInButton->SetDown(false);
    Toolbars.ZoomOutButton->SetDown(false);
    Pad.InvalidatePad(); // the crosshair shows in its modes only
    if (!ShowsCoordinates(Mode))
        WriteSketchState(Mode);
    else if (CurrentPad)
        WriteCoordinates(CurrentPad->View.CursorX, CurrentPad->View.CursorY);
}

void TZOKMainWindow::SetButtonsCursor(int Mode, TSketchPadWindow& Pad, bool PressButton)
{
    SetButtons(Mode, Pad, PressButton);
    Pad.View.ZoomInState = Pad.View.ZoomOutState = 0;
    Pad.viewport()->setCursor(PadCrossCursor());
}

void TZOKMainWindow::WriteSketchState(int Mode)
{
    if (Mode < 0 || Mode >= SketchModeCount) return;
    Panels[0]->setText(Latin1(std::string(SketchModes[Mode].Name).substr(0, 30)));
    const bool red = Mode == 20 || Mode == 21;
    Panels[0]->setStyleSheet(red ? "color: red" : "");
}

void TZOKMainWindow::WriteCoordinates(int32_t X, int32_t Y)
{
    Panels[0]->setText(QString("%1,%2").arg(X).arg(Y));
    Panels[0]->setStyleSheet("");
}

void TZOKMainWindow::ShowMousePosition(int32_t X, int32_t Y) { Panels[4]->setText(QString("%1, %2").arg(X).arg(Y)); }

void TZOKMainWindow::setsnap(int Value)
{
    SnapStep = std::clamp(Value, 1, 1000);
    Panels[1]->setText(QString::number(SnapStep));
    Toolbars.SnapDistanceEdit->setText(QString::number(SnapStep));
}

void TZOKMainWindow::SetZoomLevel(TSketchPadWindow& Pad, int Level)
{
    if (!ValidZoomLevel(Level)) return;
    for (int i = 1; i <= MaxZoomLevel; ++i)
        if (QAction* a = Pad.ZoomItems[size_t(i)]) a->setChecked(i == Level);
    Pad.View.ZoomIndex = Level;
    Pad.ApplyZoom(Level, 0, false, 0);
    Panels[2]->setText(Latin1(ZoomRatioText(Level)));
}

void TZOKMainWindow::StatusBarDblClick(int X)
{
    const bool snap = X > 130 && X < 220;
    const bool mode = X > 0 && X < 180;
    const bool plot = X >= 261 && X < 330;
    if (PadCount() == 0) return;
    if (snap) ShowSnapDialog();
    if (mode && CurrentPad) {
        const int m = CurrentPad->View.SketchMode;
        if (m == 1 || m == 9 || m == 13 || m == 15)
            ShowCoordinates(*CurrentPad);
        else if (m == 16)
            ShowSpliceRules(*CurrentPad);
        else if (m == 20 || m == 21)
            ShowReinitializeOptions(*CurrentPad);
    }
    if (plot) Gate.RequestStop(TBusyKind::Print);
}

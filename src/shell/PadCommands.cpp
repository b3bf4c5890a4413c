#include "shell/PadCommands.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSize>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStyle>
#include <QStyleOption>

#include "core/edit/BulkDelete.h"
#include "core/edit/Tiling.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/Undo.h"
#include "platform/HelpViewer.h"
#include "shell/EditingMouse.h"
#include "shell/MainWindow.h"
#include "shell/PadHandles.h"
#include "shell/PlotOutput.h"
#include "shell/SketchPad.h"
#include "toolbars/DockButton.h"

namespace {

bool HasNodeClasses(TSketchPadWindow& p) { return CountEntityTypes(*p.Network->NodeClasses) > 0; }
bool HasLinkClasses(TSketchPadWindow& p) { return CountEntityTypes(*p.Network->LinkClasses) > 0; }
bool HasNodes(TSketchPadWindow& p) { return p.Network->NodeCount > 0; }

// A display toggle of one window: only that window becomes modified.
void Toggle(TSketchPadWindow& p, uint8_t& flag)
{
    flag = flag ? 0 : 1;
    p.View.Saved = 0;
    p.InvalidatePad();
}

// After a bulk deletion: the Undelete button, the modified mark, every view
// repainted, and no view keeps a selection on what went.
void AfterBulkDelete(TSketchPadWindow& p, const TBulkDeleteResult& r)
{
    TZOKMainWindow& main = p.Main;
    for (TSketchPadWindow* w : main.SketchPads)
        if (w->Network == p.Network && DropInactivePicks(w->View)) w->ShowPointMarker();
    if (!r.Any()) return;
    p.Network->SetAllowClose(false);
    TPadEditor::Of(p).UpdateCommands();
    main.InvalidateNetworkViews(p);
}

void DeleteLayers(TSketchPadWindow& p)
{
    if (ShowMessageBox(*p.Main.Boxes, 261, 260, MB_STOP_OKCANCEL) != IDOK) return;
    AfterBulkDelete(p, DeleteUnseenLayers(*p.Network, p.View, p.Settings));
}

void DeleteBySearchCommand(TSketchPadWindow& p)
{
    if (ShowMessageBox(*p.Main.Boxes, 293, 292, MB_STOP_OKCANCEL) != IDOK) return;
    AfterBulkDelete(p, DeleteBySearch(*p.Network, p.Settings));
}

void RegisterFile(TZOKMainWindow& m, TPadItemTable& t)
{
    t.SetCommand("NewSchemaM", GateCreate, [&m](TSketchPadWindow&) { m.NewSchema(); });
    t.SetCommand("NewViewM", GateChange, [&m](TSketchPadWindow&) { m.NewView(); });
    t.SetCommand("OpenM", GateCreate, [&m](TSketchPadWindow&) { m.OpenMClick(); });
    for (int k = 1; k <= 4; ++k)
        t.SetCommand("filename" + std::to_string(k), GateCreate, [&m, k](TSketchPadWindow&) { m.ReopenFile(k); });
    t.SetCommand("SaveM", GateFile, [&m](TSketchPadWindow& p) { m.SaveM(p); });
    t.SetCommand("SaveAsM", GateFile, [&m](TSketchPadWindow& p) { m.SaveAs(p); });
    t.SetCommand("AppendM", GateChange, [&m](TSketchPadWindow& p) { m.Append(p); });
    t.SetCommand("Close1", GateClose, [](TSketchPadWindow& p) {
        if (p.SubWindow) p.SubWindow->close();
    });
    t.SetCommand("Preferences1", GateChange, [&m](TSketchPadWindow& p) { m.ShowPreferences(p); });
    t.SetCommand("PageSetupM", GateDisplay, [](TSketchPadWindow& p) { PageSetup(p); });
    t.SetCommand("PlotM", GateStart, [](TSketchPadWindow& p) { PenPlot(p); });
    t.SetCommand("ClipboardPlot1", GateView, [](TSketchPadWindow& p) { ClipboardPlot(p); });
    t.SetCommand("FileWMFPlot1", GateView, [](TSketchPadWindow& p) { MetafilePlot(p); });
    t.SetCommand("PlotterSetupM", GateView, [&m](TSketchPadWindow&) { PlotterSetup(m); });
    t.SetCommand("AutoSave1", GateView, [](TSketchPadWindow& p) { p.View.AutoBackup = p.View.AutoBackup ? 0 : 1; });
    t.SetCheck("AutoSave1", [](TSketchPadWindow& p) { return p.View.AutoBackup != 0; });
    // Exit reaches every network: nothing may hold one.
    t.SetCommand("ExitM", GateView, [&m](TSketchPadWindow&) {
        if (m.Gate.LetsAll(GateClose)) m.close();
    });
}

void RegisterView(TZOKMainWindow& m, TPadItemTable& t)
{
    t.SetRule("NodeSearchM", HasNodeClasses);
    t.SetRule("LinkSearchM", HasLinkClasses);
    t.SetRule("PolygonNodesM", HasNodeClasses);
    // Ghost links change only the look of this window; it stays saved.
    t.SetCommand("PaleLinksM", GateDisplay, [](TSketchPadWindow& p) {
        uint8_t& thin = p.Settings.Display.ShowFilteredLinksThin;
        thin = thin ? 0 : 1;
        p.InvalidatePad();
    });
    t.SetCheck("PaleLinksM", [](TSketchPadWindow& p) { return p.Settings.Display.ShowFilteredLinksThin != 0; });
    t.SetCommand("Clear1", GateChange, [&m](TSketchPadWindow& p) {
        ClearSearch(*p.Network, p.Settings);
        m.InvalidateNetworkViews(p);
    });
    t.SetCommand("AfterNodesM", GateDisplay, [](TSketchPadWindow& p) { Toggle(p, p.Settings.Display.PolygonsFirst); });
    t.SetCheck("AfterNodesM", [](TSketchPadWindow& p) { return p.Settings.Display.PolygonsFirst == 0; });
    t.SetCommand("OpaqueM", GateDisplay, [](TSketchPadWindow& p) { Toggle(p, p.Settings.Display.OpaquePolygons); });
    t.SetCheck("OpaqueM", [](TSketchPadWindow& p) { return p.Settings.Display.OpaquePolygons != 0; });
    t.SetCommand("JPEGonTop1", GateDisplay,
                 [](TSketchPadWindow& p) { Toggle(p, p.Settings.Backgrounds.MetafilesOnTop); });
    t.SetCheck("JPEGonTop1", [](TSketchPadWindow& p) { return p.Settings.Backgrounds.MetafilesOnTop == 0; });
    t.SetCommand("SuppressAllM", GateDisplay, [](TSketchPadWindow& p) {
        Toggle(p, p.Settings.Backgrounds.SuppressAll);
        if (p.Settings.Backgrounds.SuppressAll) p.Handles->ShowBackgroundFrame(false);
    });
    t.SetCheck("SuppressAllM", [](TSketchPadWindow& p) { return p.Settings.Backgrounds.SuppressAll != 0; });
    for (int k = 0; k < ToolbarCount; ++k) {
        t.SetCommand(ToolbarItemNames[k], GateView, [&m, k](TSketchPadWindow& p) {
            uint8_t& shown = p.View.ToolbarShown[size_t(k)];
            shown = shown ? 0 : 1;
            if (m.CurrentPad == &p) m.ShowToolbar(k, shown != 0);
        });
        t.SetCheck(ToolbarItemNames[k], [k](TSketchPadWindow& p) { return p.View.ToolbarShown[size_t(k)] != 0; });
    }
    for (int level = 1; level <= MaxZoomLevel; ++level) {
        t.SetCommand(ZoomItemNames[level], GateView, [&m, level](TSketchPadWindow& p) { m.SetZoomLevel(p, level); });
        t.SetCheck(ZoomItemNames[level], [level](TSketchPadWindow& p) { return p.View.ZoomIndex == level; });
    }
    t.SetCommand("DarkCursorM", GateDisplay, [](TSketchPadWindow& p) { Toggle(p, p.View.DarkCursor); });
    t.SetCheck("DarkCursorM", [](TSketchPadWindow& p) { return p.View.DarkCursor != 0; });
    t.SetCommand("ShowPlotMarginsM", GateDisplay, [](TSketchPadWindow& p) {
        p.View.ShowPlotMargins = p.View.ShowPlotMargins ? 0 : 1;
        p.Handles->PlaceMarginHandles();
        p.InvalidatePad();
    });
    t.SetCheck("ShowPlotMarginsM", [](TSketchPadWindow& p) { return p.View.ShowPlotMargins != 0; });
    t.SetCommand("RefreshM", GateView, [](TSketchPadWindow& p) { p.InvalidatePad(); });
}

void RegisterModes(TZOKMainWindow& m, TPadItemTable& t)
{
    for (int mode = 0; mode < SketchModeCount; ++mode) {
        const char* item = SketchModes[mode].MenuItem;
        if (!item) continue;
        // Insert and Remove Shape Point set the mode without pressing a button.
        const bool press = mode != 17 && mode != 19;
        t.SetCommand(item, GateView, [&m, mode, press](TSketchPadWindow& p) {
            if (press)
                if (TDockButton* b = m.Toolbars.ModeButtons[size_t(mode)]) b->SetDown(true);
            m.SetButtons(mode, p, true);
        });
        t.SetCheck(item, [mode](TSketchPadWindow& p) { return p.View.SketchMode == mode; });
    }
    t.SetCommand("UndoShapeRemoveM", GateChange, [](TSketchPadWindow& p) { TPadEditor::Of(p).UndoShapeRemove(); });
    t.SetRule("UndoShapeRemoveM",
              [](TSketchPadWindow& p) { return TPadEditor::Of(p).Edit.RemovedShapePointRecord.Filled(); });
    t.SetCommand("ReinitializeUndoM", GateChange, [](TSketchPadWindow& p) { TPadEditor::Of(p).ReinitializeUndo(); });
    t.SetRule("ReinitializeUndoM", [](TSketchPadWindow& p) { return !p.Network->ReinitializeUndo.Empty(); });
    t.SetCommand("Options1", GateView, [&m](TSketchPadWindow& p) { m.ShowReinitializeOptions(p); });
    t.SetCommand("LinkSpliceRules1", GateView, [&m](TSketchPadWindow& p) { m.ShowSpliceRules(p); });
}

void RegisterTools(TZOKMainWindow& m, TPadItemTable& t)
{
    t.SetCommand("Clear", GateChange, [](TSketchPadWindow& p) { ClearInitialAttributes(*p.Network); });
    t.SetCommand("Nodes4", GateChange, [](TSketchPadWindow& p) { TPadEditor::Of(p).ReinitializeUndefined(false); });
    t.SetCommand("Links4", GateChange, [](TSketchPadWindow& p) { TPadEditor::Of(p).ReinitializeUndefined(true); });
    // Class-dependent items whose dialogs come with their own part of the program.
    t.SetRule("SystemAttributesM", [](TSketchPadWindow& p) { return CountAttributes(*p.Network->SystemClass) > 0; });
    t.SetRule("NodeStylesM", HasNodeClasses);
    t.SetRule("LinkStylesM", HasLinkClasses);
}

void RegisterTransform(TZOKMainWindow& m, TPadItemTable& t)
{
    for (const char* name : {"ScaleM", "TranslateM", "RotateM", "ScalebyTwoM", "ScalebyHalfM"}) t.SetRule(name, HasNodes);
    t.SetCommand("DeleteLayers1", GateChange, DeleteLayers);
    t.SetCommand("DeletebySearch1", GateChange, DeleteBySearchCommand);
    t.SetCommand("UndoTransformM", GateChange, [](TSketchPadWindow& p) {
        TTransformParams params;
        TPadEditor::Of(p).Transform(TransformUndoLast, params);
    });
    t.SetRule("UndoTransformM", [](TSketchPadWindow& p) { return !p.Network->TransformUndo.Empty(); });
    t.SetCommand("ScalebyTwoM", GateChange, [](TSketchPadWindow& p) { TPadEditor::Of(p).QuickScale(2.0); });
    t.SetCommand("ScalebyHalfM", GateChange, [](TSketchPadWindow& p) { TPadEditor::Of(p).QuickScale(0.5); });
    t.SetCommand("TrimM", GateDisplay, [&m](TSketchPadWindow& p) { m.TrimToExtents(p); });
    t.SetCommand("Extents1", GateDisplay, [&m](TSketchPadWindow& p) { m.ShowExtents(p); });
    t.SetCommand("NetworkStatus1", GateView, [&m](TSketchPadWindow& p) { m.ShowNetworkStatus(p); });
}

void RegisterWindowAndHelp(TZOKMainWindow& m, TPadItemTable& t)
{
    t.SetCommand("Tile1", GateView, [&m](TSketchPadWindow&) { TileSubWindows(m, true); });
    t.SetCommand("Tile2", GateView, [&m](TSketchPadWindow&) { TileSubWindows(m, false); });
    t.SetCommand("Arrange1", GateView, [&m](TSketchPadWindow&) { ArrangeSubWindows(m); });
    t.SetCommand("Cascade1", GateView, [&m](TSketchPadWindow&) { CascadeSubWindows(m); });
    t.SetCommand("HelpContentsM", GateView, [&m](TSketchPadWindow&) { m.HelpContents("Index"); });
    t.SetCommand("About1", GateView, [&m](TSketchPadWindow&) { m.ShowAbout(); });
}

// The windows of the frame in window-list order.
std::vector<QMdiSubWindow*> SubWindowsInOrder(TZOKMainWindow& m)
{
    std::vector<QMdiSubWindow*> r;
    for (TSketchPadWindow* p : m.SketchPads)
        if (p->SubWindow && p->SubWindow->isVisible()) r.push_back(p->SubWindow);
    return r;
}

} // namespace

void RegisterShellPadItems(TZOKMainWindow& Main)
{
    TPadItemTable& t = Main.PadItems;
    RegisterFile(Main, t);
    RegisterView(Main, t);
    RegisterModes(Main, t);
    RegisterTools(Main, t);
    RegisterTransform(Main, t);
    RegisterWindowAndHelp(Main, t);
}

void TileSubWindows(TZOKMainWindow& Main, bool Horizontal)
{
    std::vector<QMdiSubWindow*> open, icons;
    for (QMdiSubWindow* s : SubWindowsInOrder(Main)) (s->isMinimized() ? icons : open).push_back(s);
    const QSize area = Main.Mdi->viewport()->size();
    const int reserve = icons.empty() ? 0 : icons.front()->height();
    const std::vector<TTileRect> places =
        TileWindows(int(open.size()), area.width(), area.height(), Horizontal, reserve);
    for (size_t i = 0; i < open.size(); ++i) {
        if (open[i]->isMaximized()) open[i]->showNormal();
        const TTileRect& r = places[i];
        open[i]->setGeometry(r.Left, r.Top, r.Width, r.Height);
    }
}

int CascadeStep(const TZOKMainWindow& Main)
{
    const QStyle* style = Main.Mdi->style();
    return std::max(16, style->pixelMetric(QStyle::PM_TitleBarHeight) +
                            style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth));
}

int CaptionTitleWidth(const QString& Title)
{
    // The title bar's font, bold as the active window shows it, and a pixel
    // on either side.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(Title) + 2;
}

TCaption CascadeCaption(const TZOKMainWindow& Main, int TitleWidth)
{
    // Where the style puts the caption's title: between the system menu and
    // the buttons of a window's title bar, inside its frame.
    // The bar lies inside the frame, as a window paints it.
    const QStyle* style = Main.Mdi->style();
    const int frame = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    constexpr int Width = 1000;
    QStyleOptionTitleBar bar;
    bar.rect = QRect(frame, frame, Width - 2 * frame, style->pixelMetric(QStyle::PM_TitleBarHeight) - frame);
    bar.titleBarFlags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
    bar.subControls = QStyle::SC_All;
    QRect label = style->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarLabel, nullptr);
    if (!label.isValid()) label = bar.rect;
    const int left = label.left(), right = Width - label.right() - 1;
    TCaption c;
    c.Step = CascadeStep(Main);
    c.TitleWidth = TitleWidth;
    c.TitleShift = (right - left) / 2;
    // Fusion centres the title; the other styles may put it at the left.
    c.Left = left + 2;
    c.AtLeft = style->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0;
    // Besides the label's margins, a style leaves some of it free of the
    // title (it shortens one that does not fit).
    c.Room = left + right + 14;
    return c;
}

void CascadeSubWindows(TZOKMainWindow& Main, QMdiSubWindow* Last, int LastTitleWidth)
{
    // The lowest window first, so that each lies one step right of every
    // window beneath it and every title stays in view; the stacking, and so
    // the active window on top, stays as it is.
    const std::vector<QMdiSubWindow*> pads = SubWindowsInOrder(Main);
    std::vector<QMdiSubWindow*> open;
    for (QMdiSubWindow* s : Main.Mdi->subWindowList(QMdiArea::StackingOrder))
        if (s != Last && !s->isMinimized() && std::find(pads.begin(), pads.end(), s) != pads.end()) open.push_back(s);
    int titleWidth = LastTitleWidth;
    for (const QMdiSubWindow* s : open) titleWidth = std::max(titleWidth, CaptionTitleWidth(s->windowTitle()));
    if (Last) open.push_back(Last);
    const QSize area = Main.Mdi->viewport()->size();
    const std::vector<TTileRect> places = CascadeWindows(int(open.size()), area.width(), area.height(),
                                                         CascadeCaption(Main, titleWidth), MinPadWidth, MinPadHeight);
    for (size_t i = 0; i < open.size(); ++i) {
        if (open[i]->isMaximized()) open[i]->showNormal();
        const TTileRect& r = places[i];
        open[i]->setGeometry(r.Left, r.Top, r.Width, r.Height);
    }
}

void ArrangeSubWindows(TZOKMainWindow& Main)
{
    std::vector<QMdiSubWindow*> icons;
    for (QMdiSubWindow* s : SubWindowsInOrder(Main))
        if (s->isMinimized()) icons.push_back(s);
    if (icons.empty()) return;
    const QSize area = Main.Mdi->viewport()->size();
    const QSize icon = icons.front()->size();
    const std::vector<TTileRect> places =
        ArrangeIcons(int(icons.size()), area.width(), area.height(), icon.width(), icon.height());
    for (size_t i = 0; i < icons.size(); ++i) icons[i]->move(places[i].Left, places[i].Top);
}

// ---------------------------------------------------------------- the main window's side

void TZOKMainWindow::RunPadItem(TSketchPadWindow& Pad, const std::string& Name)
{
    const TPadItem* item = PadItems.Find(Name);
    if (!item || !item->Command || !Pad.Network || Pad.Destroying) return;
    if ((item->Enabled && !item->Enabled(Pad)) || !Gate.Lets(item->Access, Pad.Network.get())) {
        UpdatePadItems(Pad);
        return;
    }
    const auto command = item->Command; // the table may change while it runs
    QPointer<TSketchPadWindow> guard(&Pad);
    command(Pad);
    if (guard && !guard->Destroying && guard->Network) UpdateNetworkItems(*guard);
    if (CurrentPad && CurrentPad != guard) UpdatePadItems(*CurrentPad);
}

void TZOKMainWindow::UpdatePadItems(TSketchPadWindow& Pad)
{
    if (!Pad.Network || Pad.Destroying) return;
    for (QAction* a : Pad.ItemActions) {
        const TPadItem* item = PadItems.Find(a->objectName().toStdString());
        const bool on = item && item->Command && (!item->Enabled || item->Enabled(Pad)) &&
                        Gate.Lets(item->Access, Pad.Network.get());
        a->setEnabled(on);
        if (item && item->Checked) {
            a->setCheckable(true);
            a->setChecked(item->Checked(Pad));
        }
    }
    if (CurrentPad != &Pad) return;
    // The label and expression buttons of a kind show while it has classes.
    const bool nodes = HasNodeClasses(Pad), links = HasLinkClasses(Pad);
    const std::pair<int, bool> buttons[] = {{2, nodes}, {7, nodes}, {3, links}, {8, links}};
    for (auto [k, show] : buttons)
        if (TDockButton* b = Toolbars.ToolbarButtons[size_t(k)]) b->setVisible(show);
}

void TZOKMainWindow::UpdateNetworkItems(TSketchPadWindow& Pad)
{
    for (TSketchPadWindow* p : SketchPads)
        if (p->Network == Pad.Network) UpdatePadItems(*p);
}

void TZOKMainWindow::DefinitionsChanged(TSketchPadWindow& Pad) { UpdateNetworkItems(Pad); }

void TZOKMainWindow::ExtendSpace(int Side)
{
    if (!CurrentPad || !Gate.Lets(GateDisplay, CurrentPad->Network.get())) return;
    CurrentPad->ExtendArea(TSketchPadWindow::TSide(Side));
    CurrentPad->View.Saved = 0;
}

void TZOKMainWindow::HintTimerTimer()
{
    if (CurrentPad && CurrentPad->IsActivePad()) CurrentPad->ShowHoverHint();
}

QPrinter& TZOKMainWindow::Printer()
{
    if (!FPrinter) {
        FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        FPrinter->setPageSize(QPageSize(QPageSize::Letter));
        // No printer here: plots go to a PDF file.
        if (QPrinterInfo::availablePrinterNames().isEmpty()) FPrinter->setOutputFormat(QPrinter::PdfFormat);
    }
    return *FPrinter;
}

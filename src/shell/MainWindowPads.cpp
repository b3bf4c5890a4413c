// The main window's window list: creating, opening, saving and closing
// network windows, the recent-files list and the automatic backup.
#include <malloc.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>

#include "core/edit/Tiling.h"
#include "core/file/NetworkFile.h"
#include "core/file/VersionLosses.h"
#include "core/shapes/BatchScript.h"
#include "platform/Cursors.h"
#include "platform/FileNames.h"
#include "platform/HelpViewer.h"
#include "platform/Latin1.h"
#include "platform/MessageBoxes.h"
#include "platform/Registry.h"
#include "shell/DocumentIO.h"
#include "shell/EditingMouse.h"
#include "shell/MainWindow.h"
#include "shell/PadCommands.h"
#include "shell/SketchPad.h"
#include "shell/SmallDialogs.h"
#include "toolbars/DockToolbar.h"
#include "toolbars/ToolDock.h"

namespace {
// Hourglass on the frame for the length of a file step.
struct TBusyCursor {
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};
// An opened window's caption: its file's name without the folder, at most
// 80 characters.
std::string OpenedCaption(const std::string& FileName)
{
    constexpr qsizetype MaxCaption = 80;
    return DiskName(ShownName(CaptionOfPath(FileName)).left(MaxCaption));
}

// A network file step holds every network for its length: events let
// through meanwhile may paint, but not close a window or start another step.
TBusyGate::TRun FileStep(TBusyGate& Gate, TSketchPadWindow* Pad)
{
    return Gate.Begin(TBusyKind::FileStep, nullptr, Pad, GateView);
}
} // namespace

// ---- creation ----

TSketchPadWindow* TZOKMainWindow::CreatePad()
{
    if (PadCount() >= MaxPads) return nullptr;
    auto* pad = new TSketchPadWindow(*this);
    SketchPads.push_back(pad);
    pad->WindowNumber = PadCount();
    pad->Network->WindowNumber = pad->Network->NodeHash.WindowNumber = pad->WindowNumber;
    CurrentPad = pad;
    pad->FileName = CurrentFileName.empty() ? DefaultFileName : CurrentFileName;
    QMdiSubWindow* sub = Mdi->addSubWindow(pad);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    pad->SubWindow = sub;
    pad->SetCaption(pad->FileName);
    PlaceNewSubWindow(sub);
    pad->RefreshReopenMenu();
    FirstPad = 0;
    sub->show();
    PadActivated(pad);
    return pad;
}

void TZOKMainWindow::PlaceNewSubWindow(QMdiSubWindow* Sub)
{
    // The next free place of a cascade after the windows already open, which
    // stay where they are: the new window covers none of their titles.
    std::vector<TPlacedWindow> open;
    for (QMdiSubWindow* s : Mdi->subWindowList(QMdiArea::CreationOrder))
        if (s != Sub && s->isVisible() && !s->isMinimized() && !s->isMaximized()) {
            const QRect g = s->geometry();
            open.push_back({{g.x(), g.y(), g.width(), g.height()}, CaptionTitleWidth(s->windowTitle())});
        }
    // The new window's title as it will read: a file's name without its folder.
    const int titleWidth = CaptionTitleWidth(ShownName(CaptionOfPath(DiskName(Sub->windowTitle()))));
    const QSize area = Mdi->viewport()->size();
    const std::optional<TTileRect> r = NextCascadePlace(open, area.width(), area.height(),
                                                        CascadeCaption(*this, titleWidth), MinPadWidth, MinPadHeight);
    if (r)
        Sub->setGeometry(r->Left, r->Top, r->Width, r->Height);
    else
        // The area has no such place left: all the windows cascade afresh,
        // the new one last, so that every title stays in view.
        CascadeSubWindows(*this, Sub, titleWidth);
}

void TZOKMainWindow::KeepInsideWindowArea(QMdiSubWindow* Sub)
{
    if (!Sub || Sub->isMinimized() || Sub->isMaximized()) return;
    const QSize area = Mdi->viewport()->size();
    const QRect g = Sub->geometry();
    const TTileRect r = FitIntoArea({g.x(), g.y(), g.width(), g.height()}, area.width(), area.height());
    if (QRect(r.Left, r.Top, r.Width, r.Height) != g) Sub->setGeometry(r.Left, r.Top, r.Width, r.Height);
}

void TZOKMainWindow::FreeUntouchedPads(TSketchPadWindow& Except)
{
    std::vector<TSketchPadWindow*> gone;
    for (TSketchPadWindow* p : SketchPads) {
        if (p == &Except || p->WindowNumber >= Except.WindowNumber) continue;
        if (p == PlottingPad()) continue;
        if (p->IsUntouched() && p->View.Saved) gone.push_back(p);
    }
    for (TSketchPadWindow* p : gone) DestroyPad(*p);
}

void TZOKMainWindow::CreateFirstPad()
{
    CurrentFileName = DefaultFileName;
    std::string name = FOptions.CommandLineFile;
    for (int i = 0; i < 2; ++i)
        if (size_t q = name.find('"'); q != std::string::npos) name.erase(q, 1);
    TSketchPadWindow* pad = CreatePad();
    if (!pad) return;
    if (!name.empty() && QFileInfo(ShownName(name)).isFile()) {
        // The full name, so that the recent-files list reopens it from any folder.
        name = DiskName(QFileInfo(ShownName(name)).absoluteFilePath());
        pad->FileName = name;
        bool ok = false;
        {
            TBusyCursor busy;
            TBusyGate::TRun step = FileStep(Gate, pad);
            ok = IO && IO->Open(*pad, name, false, false, *Boxes);
        }
        if (ok) {
            AfterOpen(*pad);
            // The window named on the command line shows its whole name.
            pad->SetCaption(pad->FileName);
        } else {
            // Keep the window, empty and untitled.
            pad->NewNetwork();
            pad->InitPadDefaults();
            pad->SetCaption(pad->FileName);
        }
    }
}

void TZOKMainWindow::TrimToExtents(TSketchPadWindow& Pad)
{
    Pad.HideObjectMarks();
    RecomputeExtents(*Pad.Network);
    const TNetwork& n = *Pad.Network;
    Pad.View.SetExtents(n.MinX, n.MinY, n.MaxX, n.MaxY);
    Pad.SetScrollRanges();
    Pad.SetScrollPositions(0, 0);
    Pad.InvalidatePad();
}

void TZOKMainWindow::BroadcastToViews(TSketchPadWindow& Pad, bool Enabled)
{
    TSketchPadWindow* owner = Pad.IsView && Pad.MasterPad ? Pad.MasterPad : &Pad;
    for (TSketchPadWindow* p : SketchPads)
        if (p == owner || p->MasterPad == owner) p->setEnabled(Enabled);
}

void TZOKMainWindow::AfterOpen(TSketchPadWindow& Pad)
{
    const TNetwork& n = *Pad.Network;
    if (n.NodeCount > 0 && n.MinX <= n.MaxX && n.MinY <= n.MaxY)
        Pad.View.SetExtents(n.MinX, n.MinY, n.MaxX, n.MaxY);
    else
        Pad.View.SetOriginFromExtents();
    Pad.View.CursorX = Pad.View.MinX + 10;
    Pad.View.CursorY = Pad.View.MinY + 10;
    Pad.View.CreatedTime = Now().toMSecsSinceEpoch();
    Pad.View.Saved = 1;
    Pad.SetCaption(OpenedCaption(Pad.FileName));
    Pad.SetScrollRanges();
    Pad.InvalidatePad();
    UpdateNetworkItems(Pad);
}

TSketchPadWindow* TZOKMainWindow::NewSchema()
{
    if (PadCount() >= MaxPads || !Gate.Lets(GateCreate, nullptr)) return nullptr;
    CurrentFileName = DefaultFileName;
    TSketchPadWindow* pad = CreatePad();
    if (pad) FreeUntouchedPads(*pad);
    return pad;
}

TSketchPadWindow* TZOKMainWindow::NewView()
{
    TSketchPadWindow* source = CurrentPad;
    if (!source || PadCount() < 1 || PadCount() >= MaxPads) return nullptr;
    // A new window on a network that prints could change it.
    if (!Gate.Lets(GateChange, source->Network.get())) return nullptr;
    TSketchPadWindow* pad = CreatePad();
    if (!pad) return nullptr;
    pad->CopyViewSettings(*source);
    PadActivated(pad);
    return pad;
}

void TZOKMainWindow::OpenMClick()
{
    std::vector<std::string> names = Files->OpenFiles(this, "Open");
    if (!names.empty()) OpenFiles(names);
}

std::vector<TSketchPadWindow*> TZOKMainWindow::OpenFiles(const std::vector<std::string>& Names)
{
    std::vector<TSketchPadWindow*> opened;
    if (!Gate.Lets(GateCreate, nullptr)) return opened;
    for (const std::string& name : Names) {
        CurrentFileName = name;
        TSketchPadWindow* pad = CreatePad();
        if (!pad) break;
        bool ok = false;
        {
            TBusyCursor busy;
            TBusyGate::TRun step = FileStep(Gate, pad);
            if (IO)
                ok = IO->Open(*pad, name, false, false, *Boxes);
            else
                Boxes->MessageBox("Network will be closed.", "Open", MB_STOP_OK);
        }
        if (ok) {
            AfterOpen(*pad);
            FreeUntouchedPads(*pad);
            opened.push_back(pad);
        } else {
            // The reader has reported; the new window goes, the others stay as they were.
            DestroyPad(*pad);
        }
    }
    CurrentFileName = DefaultFileName;
    return opened;
}

void TZOKMainWindow::ReopenFile(int N)
{
    if (N < 1 || N > Recent.Count) return;
    const std::string name = Recent.Files[size_t(N)];
    const std::string state = Recent.ViewStates[size_t(N)];
    if (!QFileInfo(ShownName(name)).isFile()) return;
    std::vector<TSketchPadWindow*> opened = OpenFiles({name});
    if (!opened.empty()) ApplyViewState(*opened.front(), state);
}

// ---- saving ----

void TZOKMainWindow::PutBackHeldElements(TSketchPadWindow& Pad)
{
    for (TSketchPadWindow* p : SketchPads)
        if (p->Network == Pad.Network) TPadEditor::Of(*p).PutBackHeld();
}

bool TZOKMainWindow::SaveTo(TSketchPadWindow& Pad, const std::string& Name, int Version)
{
    PutBackHeldElements(Pad);
    bool ok = false;
    {
        TBusyCursor busy;
        TBusyGate::TRun step = FileStep(Gate, &Pad);
        if (IO)
            ok = IO->Save(Pad, Name, Version, *Boxes);
        else
            Boxes->MessageBox("Cannot save the network.", "Save", MB_STOP_OK);
    }
    if (!ok) return false;
    // The network now lives under Name: its owner and every view know it.
    TSketchPadWindow* owner = Pad.IsView && Pad.MasterPad ? Pad.MasterPad : &Pad;
    Pad.Network->FileName = Name;
    for (TSketchPadWindow* p : SketchPads)
        if (p == owner || p->MasterPad == owner) p->FileName = Name;
    SetAllowClose(Pad, 1);
    Pad.View.CreatedTime = Now().toMSecsSinceEpoch();
    return true;
}

bool TZOKMainWindow::SaveM(TSketchPadWindow& Pad)
{
    if (!Gate.Lets(GateFile, Pad.Network.get())) return false;
    if (Pad.FileName != DefaultFileName) return SaveTo(Pad, Pad.FileName);
    return SaveAs(Pad);
}

bool TZOKMainWindow::SaveAs(TSketchPadWindow& Pad)
{
    if (!Gate.Lets(GateFile, Pad.Network.get())) return false;
    // The filter chosen says the file version written; every other save
    // writes the newest.
    const TSaveChoice choice = Files->SaveFile(this, "Save As", Pad.FileName);
    const std::string& name = choice.Name;
    if (name.empty()) return false;
    const int version = WriteVersionOfFilter(choice.Filter);
    // An older version that cannot keep all the network holds is written
    // only when the user, told what it drops, says so.
    PutBackHeldElements(Pad);
    const std::vector<TVersionLoss> losses = WhatVersionDrops(*Pad.Network, Pad.Settings, version);
    if (!losses.empty() &&
        Boxes->MessageBox(VersionLossQuestion(NetworkFileVersionName(version), losses), "Save As",
                          MB_EXCLAMATION_OKCANCEL) != IDOK)
        return false;
    return SaveAsTo(Pad, name, version);
}

bool TZOKMainWindow::SaveAsTo(TSketchPadWindow& Pad, const std::string& Name, int Version)
{
    if (!SaveTo(Pad, Name, Version)) return false;
    // The network's windows take the new name: its file part, and the views
    // their own captions of it.
    TSketchPadWindow* owner = Pad.IsView && Pad.MasterPad ? Pad.MasterPad : &Pad;
    for (TSketchPadWindow* p : SketchPads)
        if (p == owner || p->MasterPad == owner) p->SetCaption(p->IsView ? p->ViewCaption() : CaptionOfPath(Name));
    return true;
}

bool TZOKMainWindow::Append(TSketchPadWindow& Pad)
{
    if (!Gate.Lets(GateFile, Pad.Network.get()) || !Gate.Lets(GateChange, Pad.Network.get())) return false;
    TSystemDispositionDB disposition(this);
    const bool useAppended = ExecDialog(disposition) == QDialog::Accepted;
    std::string name = Files->OpenFile(this, "Append");
    if (name.empty()) return false;
    return AppendFile(Pad, name, useAppended);
}

bool TZOKMainWindow::AppendFile(TSketchPadWindow& Pad, const std::string& Name, bool UseAppendedValues)
{
    bool ok = false;
    {
        TBusyCursor busy;
        TBusyGate::TRun step = FileStep(Gate, &Pad);
        if (IO) ok = IO->Open(Pad, Name, true, UseAppendedValues, *Boxes);
    }
    // A failed append has reported and left the network as it was; the
    // window stays open either way.
    if (!ok) return false;
    TrimToExtents(Pad);
    InvalidateNetworkViews(Pad);
    SetAllowClose(Pad, 0);
    UpdateNetworkItems(Pad);
    return true;
}

// ---- closing ----

bool TZOKMainWindow::FormCloseQuery(TSketchPadWindow& Pad)
{
    // A window system's close request arriving while a file is read or
    // written waits: the step still uses the network. So does one while the
    // network prints (the print is stopped from the status bar).
    if (!Gate.Lets(GateClose, Pad.Network.get())) {
        if (Gate.Running(TBusyKind::Calculate) && !Gate.Running(TBusyKind::FileStep))
            ShowMessageBox(*Boxes, 242, 218, MB_STOP_OK);
        return false;
    }
    if (Pad.View.Saved) return true;
    const QString question = Latin1(MessageText(19)) + " " + Pad.windowTitle();
    const int answer = ShowMessageNamingFiles(*Boxes, question, MessageText(18), MB_STOP_YESNOCANCEL);
    if (answer == IDNO) return true;
    if (answer != IDYES) return false;
    if (!Pad.IsView && Pad.FileName != DefaultFileName) return SaveTo(Pad, Pad.FileName);
    return SaveAs(Pad);
}

void TZOKMainWindow::FormClose(TSketchPadWindow& Pad)
{
    UpdateRecentFiles(Pad);
    DestroyPad(Pad);
}

void TZOKMainWindow::DestroyPad(TSketchPadWindow& Pad)
{
    auto it = std::find(SketchPads.begin(), SketchPads.end(), &Pad);
    if (it == SketchPads.end()) return;
    TPadEditor::Of(Pad).DropHeldNode();
    Pad.Destroying = true;

    // Views first: they share this window's network.
    if (Pad.HasViews) {
        std::vector<TSketchPadWindow*> views;
        for (TSketchPadWindow* p : SketchPads)
            if (p != &Pad && p->MasterPad == &Pad) views.push_back(p);
        for (TSketchPadWindow* v : views) DestroyPad(*v);
    }
    if (Pad.IsView && Pad.MasterPad) {
        bool others = false;
        for (TSketchPadWindow* p : SketchPads)
            if (p != &Pad && p->MasterPad == Pad.MasterPad) others = true;
        if (!others) Pad.MasterPad->HasViews = 0;
    }

    // Underlay numbers follow the list: the closing window's number names no
    // window any more, and the windows after it move down one place.
    const int gone = Pad.WindowNumber;
    for (TSketchPadWindow* p : SketchPads) {
        int32_t& underlay = p->Settings.Backgrounds.Underlay;
        if (underlay == gone)
            underlay = 0;
        else if (underlay > gone)
            --underlay;
    }
    it = std::find(SketchPads.begin(), SketchPads.end(), &Pad);
    SketchPads.erase(it);
    for (size_t i = 0; i < SketchPads.size(); ++i) SketchPads[i]->WindowNumber = int(i + 1);
    // A network's hash carries the number of the window that owns it.
    for (TSketchPadWindow* p : SketchPads)
        if (!p->IsView && p->Network) p->Network->WindowNumber = p->Network->NodeHash.WindowNumber = p->WindowNumber;
    if (!Pad.IsView && Pad.Network) Pad.Network->OnAllowClose = nullptr;
    Pad.Network.reset();
    Pad.MasterPad = nullptr;
    Gate.Forget(&Pad);

    if (CurrentPad == &Pad) CurrentPad = nullptr;
    if (SketchPads.empty()) {
        CurrentPad = nullptr;
        for (TDockToolbar* b : Toolbars.Bars) b->setVisible(false);
        for (int i = 0; i <= 3; ++i) Panels[size_t(i)]->clear();
        if (!FClosing) ShowMenusOf(nullptr);
    } else if (!CurrentPad) {
        CurrentPad = SketchPads.back();
    }

    if (Pad.SubWindow) {
        QMdiSubWindow* sub = Pad.SubWindow;
        Pad.SubWindow = nullptr;
        sub->hide();
        Mdi->removeSubWindow(sub);
        sub->deleteLater();
    }
    if (CurrentPad && !FClosing) {
        if (CurrentPad->SubWindow) Mdi->setActiveSubWindow(CurrentPad->SubWindow);
        PadActivated(CurrentPad);
    }
}

bool TZOKMainWindow::CloseAll()
{
    for (TSketchPadWindow* p : std::vector<TSketchPadWindow*>(SketchPads))
        if (!FormCloseQuery(*p)) return false;
    for (TSketchPadWindow* p : std::vector<TSketchPadWindow*>(SketchPads)) UpdateRecentFiles(*p);
    FClosing = true;
    while (!SketchPads.empty()) DestroyPad(*SketchPads.front());
    FClosing = false;
    ShowMenusOf(nullptr);
    return true;
}

void TZOKMainWindow::closeEvent(QCloseEvent* Event)
{
    if (!CloseAll()) {
        Event->ignore();
        return;
    }
    if (!WriteRecentFiles())
        ShowMessageNamingFiles(*Boxes,
                               "Cannot write the list of recent files to " + ShownName(Registry().FileName()) + ".",
                               "Tarvex", MB_EXCLAMATION_OK);
    if (FHelp) FHelp->CloseHelp();
    Event->accept();
}

void TZOKMainWindow::SetAllowClose(TSketchPadWindow& Pad, uint8_t Value)
{
    Pad.View.Saved = Value;
    TSketchPadWindow* owner = Pad.HasViews ? &Pad : (Pad.IsView ? Pad.MasterPad : nullptr);
    if (!owner) return;
    owner->View.Saved = Value;
    for (TSketchPadWindow* p : SketchPads)
        if (p->MasterPad == owner) p->View.Saved = Value;
}

void TZOKMainWindow::InvalidateNetworkViews(TSketchPadWindow& Pad)
{
    TSketchPadWindow* owner = Pad.IsView && Pad.MasterPad ? Pad.MasterPad : &Pad;
    auto ofNetwork = [owner](const TSketchPadWindow* p) { return p == owner || p->MasterPad == owner; };
    // A node that Node Move holds is deleted only until it is put down.
    auto held = [&](const TNode* n) {
        for (TSketchPadWindow* p : SketchPads)
            if (ofNetwork(p) && TPadEditor::Of(*p).Edit.MovingNode == n) return true;
        return false;
    };
    for (TSketchPadWindow* p : SketchPads) {
        if (!ofNetwork(p)) continue;
        TPolygonCriterion& criterion = p->Settings.Search.PolygonCriterion;
        if (criterion.Owner && !criterion.Owner->Active && !held(criterion.Owner)) criterion.Owner = nullptr;
        p->InvalidatePad();
    }
}

void TZOKMainWindow::PadActivated(TSketchPadWindow* Pad)
{
    if (!Pad || Pad->Destroying) return;
    if (CurrentPad && CurrentPad != Pad) {
        CurrentPad->View.ZoomInState = CurrentPad->View.ZoomOutState = 0;
        CurrentPad->viewport()->setCursor(PadCrossCursor());
    }
    CurrentPad = Pad;
    ShowMenusOf(Pad);
    SetButtons(Pad->View.SketchMode, *Pad, true);
    SetZoomLevel(*Pad, Pad->View.ZoomIndex);
    UpdatePadItems(*Pad);
    Panels[1]->setText(QString::number(SnapStep));
    // The Undelete button and the undo items follow the network of this pad.
    TPadEditor::Of(*Pad).UpdateCommands();
    for (int k = 0; k < ToolbarCount; ++k) Toolbars.Bars[size_t(k)]->setVisible(Pad->View.ToolbarShown[size_t(k)] != 0);
}

// ---- recent files and view state ----

TViewState TZOKMainWindow::ViewStateOf(TSketchPadWindow& Pad) const
{
    TViewState s;
    s.ZoomLevel = Pad.View.ZoomIndex;
    s.DarkCursor = Pad.View.DarkCursor;
    s.ShowPlotMargins = Pad.View.ShowPlotMargins;
    s.HorzPos = Pad.HorzPos();
    s.VertPos = Pad.VertPos();
    s.SnapStep = SnapStep;
    s.SketchMode = Pad.View.SketchMode;
    for (int k = 0; k < ViewStateToolbars; ++k) {
        s.ToolbarVisible[size_t(k)] = Pad.View.ToolbarShown[size_t(k)] != 0;
        s.ToolbarRow[size_t(k)] = Toolbars.Bars[size_t(k)]->DockRow();
        s.ToolbarPos[size_t(k)] = Toolbars.Bars[size_t(k)]->DockPos();
        const TDockToolbar* bar = Toolbars.Bars[size_t(k)];
        if (const TToolDock* dock = bar->DockedTo()) {
            for (size_t d = 0; d < Toolbars.Docks.size(); ++d)
                if (Toolbars.Docks[d] == dock) s.ToolbarDock[size_t(k)] = ToolbarOnTop + int(d);
        } else {
            s.ToolbarDock[size_t(k)] = ToolbarFloating;
            const TRect r = bar->FloatRect.Empty() ? bar->WindowRect() : bar->FloatRect;
            s.FloatLeft[size_t(k)] = r.Left;
            s.FloatTop[size_t(k)] = r.Top;
        }
    }
    s.AutoBackup = Pad.View.AutoBackup ? 1 : 0;
    return s;
}

std::string TZOKMainWindow::BuildViewState(TSketchPadWindow& Pad) const { return ::BuildViewState(ViewStateOf(Pad)); }

void TZOKMainWindow::ApplyViewState(TSketchPadWindow& Pad, const std::string& Text)
{
    const TViewState s = ParseViewState(Text);
    SetZoomLevel(Pad, s.ZoomLevel);
    Pad.View.DarkCursor = uint8_t(s.DarkCursor);
    if (Pad.DarkCursorM) Pad.DarkCursorM->setChecked(s.DarkCursor != 0);
    Pad.View.ShowPlotMargins = uint8_t(s.ShowPlotMargins);
    Pad.SetScrollPositions(s.HorzPos, s.VertPos);
    setsnap(s.SnapStep);
    if (s.SketchMode != 0) SetButtons(s.SketchMode, Pad, true);
    for (int k = 0; k < ViewStateToolbars; ++k) {
        const bool on = s.ToolbarVisible[size_t(k)];
        TDockToolbar* bar = Toolbars.Bars[size_t(k)];
        if (on) PlaceToolbar(*bar, s, k);
        Pad.View.ToolbarShown[size_t(k)] = on ? 1 : 0;
        if (QAction* a = Pad.ToolbarItems[size_t(k)]) a->setChecked(on);
        if (CurrentPad == &Pad) bar->setVisible(on);
    }
    Pad.View.AutoBackup = s.AutoBackup ? 1 : 0;
    if (Pad.AutoSave1) Pad.AutoSave1->setChecked(s.AutoBackup != 0);
    // Every restored toggle shows its check mark (Show Plot Margins too).
    UpdatePadItems(Pad);
    KeepInsideWindowArea(Pad.SubWindow);
    Pad.InvalidatePad();
}

void TZOKMainWindow::PlaceToolbar(TDockToolbar& Bar, const TViewState& S, int K)
{
    const int place = S.ToolbarDock[size_t(K)];
    if (place == ToolbarFloating) {
        if (Bar.DockedTo()) Bar.SetDockedTo(nullptr);
        if (TFloatParent* f = Bar.FloatParent()) {
            const TRect r = Bar.FloatRect.Empty() ? Bar.WindowRect() : Bar.FloatRect;
            Bar.FloatRect = r.Moved(S.FloatLeft[size_t(K)] - r.Left, S.FloatTop[size_t(K)] - r.Top);
            f->setGeometry(Bar.FloatRect.ToQRect());
            Bar.KeepOnWorkArea(false); // wholly on the work area, whatever the screen now
        }
        return;
    }
    TToolDock* dock = Toolbars.Docks[size_t(std::clamp(place - ToolbarOnTop, 0, 3))];
    // The dock arranges the row: a place beyond its end comes back within
    // it, and a row too long for it wraps.
    const int length = dock->ClientLength();
    dock->BeginUpdate();
    if (Bar.DockedTo() != dock) Bar.SetDockedTo(dock);
    Bar.SetDockRow(S.ToolbarRow[size_t(K)]);
    Bar.SetDockPos(length > 0 ? std::min(S.ToolbarPos[size_t(K)], length) : S.ToolbarPos[size_t(K)]);
    dock->EndUpdate();
}

void TZOKMainWindow::UpdateRecentFiles(TSketchPadWindow& Pad)
{
    Recent.Update(Pad.FileName, BuildViewState(Pad), DefaultFileName);
    UpdateReopenMenu();
}

void TZOKMainWindow::UpdateReopenMenu()
{
    ShowReopenItems(FrameReopenItems, FrameReopenMenu, Recent);
    for (TSketchPadWindow* p : SketchPads) p->RefreshReopenMenu();
}

void TZOKMainWindow::ReadRecentFiles()
{
    Registry().OpenKey(RecentFilesKey);
    std::vector<std::pair<std::string, std::string>> values;
    for (const std::string& name : Registry().GetValueNames())
        values.emplace_back(name, RecentFileValue(name) ? Registry().ReadFileName(name) : Registry().ReadString(name));
    Recent.Read(values);
}

bool TZOKMainWindow::WriteRecentFiles()
{
    Registry().OpenKey(RecentFilesKey);
    for (const auto& [name, value] : Recent.Values())
        if (RecentFileValue(name))
            Registry().WriteFileName(name, value);
        else
            Registry().WriteString(name, value);
    return Registry().Flush();
}

// ---- automatic backup ----

std::string TZOKMainWindow::BackupFileName(const std::string& FileName, const std::string& DefaultName)
{
    if (FileName == DefaultName || FileName.empty()) return "noname.dt~";
    // The last letter, however many bytes the disk spells it with.
    QString r = ShownName(FileName);
    r.chop(r.size() >= 2 && r.back().isLowSurrogate() ? 2 : 1);
    return DiskName(r + u'~');
}

void TZOKMainWindow::AutoSaveTimerTimer()
{
    TSketchPadWindow* pad = CurrentPad;
    if (!pad || !IO) return;
    // Never write while another long operation holds the network.
    if (Gate.Busy()) return;
    const int64_t elapsed = Now().toMSecsSinceEpoch() - pad->View.CreatedTime;
    if (elapsed <= AutoSaveInterval) return;
    if (!pad->View.AutoBackup || pad->View.Saved != 0) return;

    const std::string name = BackupFileName(pad->FileName, DefaultFileName);
    PutBackHeldElements(*pad);
    Panels[3]->setText("Backup");
    std::vector<std::pair<TSketchPadWindow*, uint8_t>> flags;
    for (TSketchPadWindow* p : SketchPads) flags.emplace_back(p, p->View.Saved);
    TNetwork& net = *pad->Network;
    const std::string netName = net.FileName;
    const bool modified = net.Modified;
    {
        TBusyCursor busy;
        TBusyGate::TRun step = FileStep(Gate, pad);
        IO->Save(*pad, name, 9, *Boxes);
    }
    // A backup is not a save: the network keeps its name and every window
    // its modified flag.
    net.FileName = netName;
    net.Modified = modified;
    for (auto& [p, saved] : flags) p->View.Saved = saved;
    Panels[3]->setText("");
}

// ---- small dialogs and help ----

void TZOKMainWindow::HelpContents(const std::string& Keyword)
{
    if (!FHelp) FHelp = new THelpViewer(ProgramDir + "/help", this);
    FHelp->ShowKeyword(Keyword);
}

void TZOKMainWindow::ShowHelpTopic(int Context)
{
    if (!FHelp) FHelp = new THelpViewer(ProgramDir + "/help", this);
    FHelp->ShowTopic(Context);
}

void TZOKMainWindow::ShowAbout()
{
    TAboutDialog d(this);
    ExecDialog(d);
}

void TZOKMainWindow::ShowPreferences(TSketchPadWindow& Pad)
{
    TWindowSettings& s = Pad.Settings;
    TUnitsSettings units{s.UnitsFactor, s.UnitsCode, s.UnitsName, s.LongLat.AutoLongLat};
    TPreferencesDB d(units, *Boxes, this);
    connect(d.Button3, &QPushButton::clicked, &d, [this, &Pad] {
        if (Hooks.ComputeLongLat) Hooks.ComputeLongLat(Pad);
    });
    if (ExecDialog(d) != QDialog::Accepted) return;
    // Units are saved with the network.
    Pad.Network->SetAllowClose(false);
    s.UnitsFactor = units.UnitsFactor;
    s.UnitsCode = units.UnitsCode;
    s.UnitsName = units.UnitsName;
    s.LongLat.AutoLongLat = units.UpdateLongLat;
}

void TZOKMainWindow::ShowExtents(TSketchPadWindow& Pad)
{
    TExtentsDB d({Pad.View.MinX, Pad.View.MinY, Pad.View.MaxX, Pad.View.MaxY}, this);
    if (ExecDialog(d) != QDialog::Accepted) return;
    const TExtents e = d.Result();
    Pad.View.SetExtents(e.MinX, e.MinY, e.MaxX, e.MaxY);
    Pad.SetScrollRanges();
    Pad.InvalidatePad();
}

void TZOKMainWindow::ShowNetworkStatus(TSketchPadWindow& Pad)
{
    struct mallinfo2 mi = mallinfo2();
    const std::string br(MessageLineBreak);
    const std::string text = "Node Count = " + std::to_string(Pad.Network->NodeCount) + br + "Link Count = " +
                             std::to_string(Pad.Network->LinkCount) + br + "Allocated Memory = " +
                             std::to_string(mi.uordblks + mi.hblkhd);
    ShowMessageText(*Boxes, text, MessageText(56), MB_OK);
}

void TZOKMainWindow::ShowSpliceRules(TSketchPadWindow& Pad)
{
    TLinkSpliceRulesDB d(Pad.Settings.SpliceRules, this);
    ExecDialog(d);
}

void TZOKMainWindow::ShowReinitializeOptions(TSketchPadWindow& Pad)
{
    TReinitializeOptionsDB d(Pad.Settings.Reinitialize, this);
    ExecDialog(d);
}

void TZOKMainWindow::ShowSnapDialog()
{
    TSnapDB d(SnapStep, this);
    if (ExecDialog(d) == QDialog::Accepted) setsnap(d.SnapEB->value());
}

void TZOKMainWindow::ShowCoordinates(TSketchPadWindow& Pad)
{
    TCoordinates d(Pad.View.CursorX, Pad.View.CursorY, this);
    if (ExecDialog(d) != QDialog::Accepted) return;
    Pad.View.CursorX = d.XCoord->value();
    Pad.View.CursorY = d.YCoord->value();
    Pad.InvalidatePad();
    WriteCoordinates(Pad.View.CursorX, Pad.View.CursorY);
}

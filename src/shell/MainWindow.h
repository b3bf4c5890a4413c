// TZOKMainWindow: the frame. It holds the list of network windows, the five
// toolbars, the status bar, the timers, the recent-files list and the shared
// drawing resources, and runs the commands that create and close windows.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QDialog>
#include <QMainWindow>
#include <QPen>
#include <QTimer>

#include "platform/ProgramFolder.h"
#include "shell/BusyGate.h"
#include "shell/MainToolbars.h"
#include "shell/NodeLinkDraw.h"
#include "shell/PadItems.h"
#include "shell/RecentFiles.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class THelpViewer;
class TMessageSink;
class TNetworkIO;
class TFileChooser;
class TRegistry;
class TSketchPadWindow;
class TPrintTarget;

constexpr int MaxPads = 100;
constexpr int AutoSaveInterval = 900000; // ms
constexpr int StatusPanelCount = 6;

struct TMainOptions {
    std::string IniFile;     // empty: the user's configuration folder
    std::string ProgramDir;  // empty: the program folder
    bool ShowSplash = true;
    std::string CommandLineFile; // opened by the first window when it exists
};

class TZOKMainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit TZOKMainWindow(const TMainOptions& Options = {}, QWidget* Parent = nullptr);
    ~TZOKMainWindow() override;

    // Creates the first window (and opens the command-line file into it).
    void CreateFirstPad();

    // ---- services; tests replace them ----
    TMessageSink* Boxes = nullptr;
    TNetworkIO* IO = nullptr;
    TFileChooser* Files = nullptr;
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
    std::function<int()> ScreenWidth;
    // The area of the frame's screen that windows may take (without its
    // panels and docks).
    std::function<QRect()> ScreenArea;
    // Runs a modal dialog; returns its result.
    std::function<int(QDialog&)> ExecDialog = [](QDialog& d) { return d.exec(); };
    void SetMessageBoxes(TMessageSink* B);
    void SetNetworkIO(TNetworkIO* I) { IO = I; }
    void SetFileChooser(TFileChooser* F) { Files = F; }

    // ---- window list ----
    std::vector<TSketchPadWindow*> SketchPads; // entry k - 1 holds window number k
    TSketchPadWindow* CurrentPad = nullptr;
    uint8_t FirstPad = 1;
    int PadCount() const { return int(SketchPads.size()); }
    std::string DefaultFileName = "noname.DTA";
    std::string CurrentFileName;
    QMdiArea* Mdi = nullptr;

    // Long runs under way (file steps, printing, Calculate, imports, path
    // and coverage searches) and what they let through meanwhile.
    TBusyGate Gate;
    // The window being printed; nullptr when none.
    TSketchPadWindow* PlottingPad() const { return Gate.PadOf(TBusyKind::Print); }

    // ---- where features attach (see PadItems.h) ----
    // The network window's menu items.
    TPadItemTable PadItems;
    // The toolbar buttons that features serve.
    TToolbarButtonTable ToolbarCommands;
    // The dialogs of features that the frame and its presses open.
    TFeatureHooks Hooks;
    // Runs an item's command on the window when the item is part of this
    // build, its rule enables it and the busy gate lets it through.
    void RunPadItem(TSketchPadWindow& Pad, const std::string& Name);
    // Enables and checks the window's items by the table's rules; for the
    // current window also shows the toolbar buttons that need classes.
    void UpdatePadItems(TSketchPadWindow& Pad);
    // The same for every window of Pad's network.
    void UpdateNetworkItems(TSketchPadWindow& Pad);
    // After the node, link or system definitions of Pad's network changed.
    void DefinitionsChanged(TSketchPadWindow& Pad);
    // The functions behind the "East Space", "South Space", "North Space"
    // and "West Space" buttons: room on one side of the current window
    // (0 right, 1 down, 2 left, 3 up, as TSketchPadWindow::TSide).
    void ExtendSpace(int Side);

    // ---- shared resources ----
    std::array<QColor, 26> ColorPalette;
    std::array<uint32_t, 26> PaletteRGB{};
    std::array<QColor, 16> BasicColors;
    std::array<QBrush, 9> Brushes;
    std::array<QPen, 11> Pens;
    std::array<std::string, 7> LabelPositionNames;
    std::string ProgramDir;
    TSymbolBitmaps Symbols;
    TSymbolImages SymbolImages; // the same symbols as the drawing pass uses them
    int CurrentYear = 0;

    // ---- commands ----
    TSketchPadWindow* NewSchema();
    TSketchPadWindow* NewView();
    void OpenMClick();
    // Opens each file into a new window; returns the windows that opened.
    std::vector<TSketchPadWindow*> OpenFiles(const std::vector<std::string>& Names);
    void ReopenFile(int N);
    bool SaveM(TSketchPadWindow& Pad);
    bool SaveAs(TSketchPadWindow& Pad);
    bool Append(TSketchPadWindow& Pad);
    // Appends the file (no question); the window refits and is modified.
    bool AppendFile(TSketchPadWindow& Pad, const std::string& Name, bool UseAppendedValues);
    void HelpContents(const std::string& Keyword);
    // The help page of a dialog's help context (its Help button and F1).
    void ShowHelpTopic(int Context);
    void ShowAbout();
    void ShowPreferences(TSketchPadWindow& Pad);
    void ShowExtents(TSketchPadWindow& Pad);
    void ShowNetworkStatus(TSketchPadWindow& Pad);
    void ShowSpliceRules(TSketchPadWindow& Pad);
    void ShowReinitializeOptions(TSketchPadWindow& Pad);
    void ShowSnapDialog();
    void ShowCoordinates(TSketchPadWindow& Pad);

    // ---- window lifecycle ----
    // The close question of a window; true when it may close.
    bool FormCloseQuery(TSketchPadWindow& Pad);
    // A window closed by the user: remember it, then free it.
    void FormClose(TSketchPadWindow& Pad);
    // Frees a window: its views first, then its network; renumbers the list.
    void DestroyPad(TSketchPadWindow& Pad);
    void SetAllowClose(TSketchPadWindow& Pad, uint8_t Value);
    void PadActivated(TSketchPadWindow* Pad);
    // Every window of the pad's network repaints. One whose polygon
    // criterion names a node deleted meanwhile (from any of them, by any
    // operation, and not only held by a Node Move) has no criterion any more.
    void InvalidateNetworkViews(TSketchPadWindow& Pad);
    // Enables or disables every window of the pad's network (while it prints).
    void BroadcastToViews(TSketchPadWindow& Pad, bool Enabled);
    // Extents and origin from the network's points; scroll to the top left.
    void TrimToExtents(TSketchPadWindow& Pad);

    // ---- modes and status bar ----
    TMainToolbars Toolbars;
    void SetButtons(int Mode, TSketchPadWindow& Pad, bool PressButton);
    void SetButtonsCursor(int Mode, TSketchPadWindow& Pad, bool PressButton);
    void WriteSketchState(int Mode);
    void WriteCoordinates(int32_t X, int32_t Y);
    void ShowMousePosition(int32_t X, int32_t Y);
    void setsnap(int Value);
    void SetZoomLevel(TSketchPadWindow& Pad, int Level);
    int SnapStep = 10;
    std::array<QLabel*, StatusPanelCount> Panels{};
    std::string PanelText(int Panel) const;
    std::string StatusHint;
    // A double click on the status bar at X (pixels from its left edge).
    void StatusBarDblClick(int X);
    void ShowToolbar(int K, bool Show);
    // The close box of toolbar K: the current window no longer shows it.
    void ToolbarClose(int K);

    // ---- recent files ----
    TRecentFiles Recent;
    TViewState ViewStateOf(TSketchPadWindow& Pad) const;
    std::string BuildViewState(TSketchPadWindow& Pad) const;
    void ApplyViewState(TSketchPadWindow& Pad, const std::string& Text);
    void UpdateRecentFiles(TSketchPadWindow& Pad);
    void UpdateReopenMenu();
    void ReadRecentFiles();
    bool WriteRecentFiles();
    TRegistry& Registry() { return *FRegistry; }

    // ---- plotting and printing ----
    // The printer the plots go to, with the settings of Plotter Setup
    // (Letter paper unless changed; a PDF file where no printer is installed).
    QPrinter& Printer();
    // The target of one printed copy: the printer itself, or the file named
    // (a PDF file of the printer). Tests put a recorder in place.
    std::function<std::unique_ptr<TPrintTarget>(QPrinter&, const std::string& FileName)> MakePrintTarget;
    // Screen pixels per inch of the pictures plotted to files and the clipboard.
    std::function<double()> ScreenPpi;

    // ---- timers ----
    QTimer AutoSaveTimer;
    void AutoSaveTimerTimer();
    // Every 500 ms: the hover hint of the current window.
    QTimer HintTimer;
    void HintTimerTimer();
    static std::string BackupFileName(const std::string& FileName, const std::string& DefaultName);

    // The frame's own menu (shown while no window is open).
    std::vector<QMenu*> FrameMenus;
    std::array<QAction*, 5> FrameReopenItems{};
    QMenu* FrameReopenMenu = nullptr;
    void ShowMenusOf(TSketchPadWindow* Pad);

    // Closes every window (asking about modified ones) and records them;
    // false when one of them stays open.
    bool CloseAll();

    // ---- the frame on its screen ----
    // The size the frame opens at where its screen has room for it.
    static constexpr QSize DesignSize{1024, 768};
    // Gives the frame the client size Wanted where the available area of its
    // screen has room for it, decorations included, else as much as it has;
    // a frame that lies partly outside the area is moved into it.
    void KeepFrameOnScreen(QSize Wanted);
    // Holds the frame at least as wide as the longest toolbar on the top or
    // bottom dock and as high as the longest on a side dock needs (a docked
    // toolbar keeps its controls in one line), within its screen's area.
    void HoldDockedToolbars();

protected:
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

public:
    // The steps of the window commands, without their questions, for a run
    // that opens, saves and closes windows as the commands do (the batch
    // import): a new empty window; after a file is read into a window; the
    // untouched windows freed; the window written to Name in Version (9 the
    // newest; an older one only for a Save As that chose it).
    TSketchPadWindow* CreatePad();
    void AfterOpen(TSketchPadWindow& Pad);
    void FreeUntouchedPads(TSketchPadWindow& Except);
    bool SaveTo(TSketchPadWindow& Pad, const std::string& Name, int Version = 9);
    // Save As past its questions: SaveTo, then every window of the network
    // captioned by the new name.
    bool SaveAsTo(TSketchPadWindow& Pad, const std::string& Name, int Version = 9);

private:
    // A new window's place: the next free place of a cascade after the
    // windows already open, covering none of their titles.
    void PlaceNewSubWindow(QMdiSubWindow* Sub);
    // A window that lies partly outside the window area is moved (and, when
    // larger, made smaller) into it.
    void KeepInsideWindowArea(QMdiSubWindow* Sub);
    // Puts toolbar K back where the view state S keeps it.
    void PlaceToolbar(TDockToolbar& Bar, const TViewState& S, int K);
    void BuildFrameMenus();
    void BuildStatusBar();
    void ConnectToolbars();
    // Every window of Pad's network puts back what Node Move or Link Split
    // holds, before the network is written.
    void PutBackHeldElements(TSketchPadWindow& Pad);

    TMainOptions FOptions;
    std::unique_ptr<TRegistry> FRegistry;
    std::unique_ptr<TMessageSink> FOwnBoxes;
    std::unique_ptr<TFileChooser> FOwnFiles;
    THelpViewer* FHelp = nullptr;
    bool FClosing = false;
    std::unique_ptr<QPrinter> FPrinter;
    // The size the frame opened at, until the window system has shown it
    // with its decorations (then they are known and the frame, unless
    // resized meanwhile, is fitted to its screen once more); empty after.
    QSize FOpeningSize;
    bool FHolding = false;
    // The frame's decorations: as the window system reports them once the
    // frame is shown, else as the style draws a window's title bar and edges.
    QMargins FrameMargins() const;
};

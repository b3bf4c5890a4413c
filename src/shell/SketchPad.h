// TSketchPadWindow: one network window. It owns a network (or views the
// network of its master window), keeps its per-window state in a TPadView,
// carries the program's full menu, and paints the network's background.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractScrollArea>

#include "core/analysis/PolygonCoverage.h"
#include "core/geo/Delaunay.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "shell/BackgroundImages.h"
#include "shell/PadView.h"
#include "shell/SketchModes.h"

class QAction;
class QMenu;
class QMdiSubWindow;
class TZOKMainWindow;
class TPadHandles;
struct TRecentFiles;

// Shows the recent files in the Reopen items 1..4 ("&1  name"), hides the
// items without a file, and enables the menu when there is one.
void ShowReopenItems(const std::array<QAction*, 5>& Items, QMenu* Menu, const TRecentFiles& Recent);

// objectNames (and captions) of the toolbar items by toolbar 0..4 and of the
// zoom items by level 1..18.
extern const char* const ToolbarItemNames[ToolbarCount];
extern const char* const ToolbarItemCaptions[ToolbarCount];
extern const char* const ZoomItemNames[MaxZoomLevel + 1];

class TSketchPadWindow : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TSketchPadWindow(TZOKMainWindow& Main);
    ~TSketchPadWindow() override;

    TZOKMainWindow& Main;
    // What this window keeps of its network: every setting a new view copies
    // (layers, labels, widths, display, backgrounds, ...). Read by the file
    // open and written by the save of this window.
    TWindowSettings Settings;
    TPadView View; // View.Settings is &Settings
    // The Polygon Coverage dialog's choices: this window's own while the
    // program runs (not in the file, not copied by a new view).
    TPolygonCoverageSettings PolygonCoverageSettings;
    std::shared_ptr<TNetwork> Network; // shared with the views of this network
    // The pictures of this window's background slots. A view starts with its
    // source's pictures (the same images, which are never changed in place)
    // and loads or drops its own afterwards.
    std::shared_ptr<TBackgroundImageSet> BackgroundImages;
    // (Re)loads the window's background pictures after an open (the file
    // read) or an append (empty: the network file of the last load).
    void LoadBackgroundImages(const std::string& NetworkFile);
    // Fresh empty network for this window (owners only).
    void NewNetwork();
    // Every pick and editing pointer of this window into its network is dropped.
    void ForgetNetwork();
    // Nothing defined and nothing drawn: an untitled window that may give way.
    bool IsUntouched() const;
    int WindowNumber = 0;
    std::string FileName; // as the disk spells it (platform/FileNames.h)

    TSketchPadWindow* MasterPad = nullptr;
    uint8_t IsView = 0;
    uint8_t HasViews = 0;
    int ViewCount = 0;  // views made from this window so far
    int ViewNumber = 0; // a view: its number among its master's views
    // A view's caption: "View " + its number + " of " + the master's file
    // name without its folder.
    std::string ViewCaption() const;

    QMdiSubWindow* SubWindow = nullptr;
    bool Destroying = false; // being freed: close without asking

    // ---- menu ----
    std::vector<QMenu*> Menus; // File, View, Modes, Tools, Schema, Transform, Window, Help
    std::array<QAction*, SketchModeCount> ModeItems{};
    std::array<QAction*, MaxZoomLevel + 1> ZoomItems{};
    std::array<QAction*, ToolbarCount> ToolbarItems{};
    std::array<QAction*, 5> ReopenItems{}; // filename1..filename4
    QMenu* ReopenMenu = nullptr;
    QMenu* WindowMenu = nullptr;
    QAction *AutoSave1 = nullptr, *DarkCursorM = nullptr;
    // Every item of the menus that the item table runs (the Window menu's
    // own items aside).
    std::vector<QAction*> ItemActions;
    QAction* Action(const char* Name) const;

    // Puts every per-window setting to its default (new or reset network).
    void InitPadDefaults();
    // Makes this fresh window a view of Source's network.
    void CopyViewSettings(TSketchPadWindow& Source);
    // The caption: a file's name (without its folder, or a view's "View n of
    // ..."), as the disk spells it; the window shows it whole.
    void SetCaption(const std::string& Caption);
    std::string Caption() const;

    // ---- viewport ----
    int HorzPos() const;
    int VertPos() const;
    void SetScrollPositions(int H, int V);
    void SetScrollRanges();
    int32_t HorzRange() const { return FHorzRange; }
    int32_t VertRange() const { return FVertRange; }
    void ApplyZoom(int Level, int32_t X, bool ByPoint, int32_t Y);
    // A click of a zoom cursor at world point X, Y.
    void StepZoom(int32_t X, int32_t Y, bool Out);
    bool CheckZoomLimit(int Level);
    void InvalidatePad();
    // The pixels of a world rectangle grown by Margin world units on every side.
    QRect WorldRectPixels(const TBox& Rect, int32_t Margin) const;
    void InvalidateWorldRect(const TBox& Rect, int32_t Margin);
    enum TSide { SideRight, SideDown, SideLeft, SideUp };
    void ExtendArea(TSide Side);
    // 51 right, 52 left, 53 up, 54 down, by the snap step.
    void NudgeByKey(int Code);
    // World coordinates of a pixel of the window.
    int32_t WorldX(int PixelX) const;
    int32_t WorldY(int PixelY) const;
    int32_t PixelX(int32_t WorldX) const;
    int32_t PixelY(int32_t WorldY) const;

    void RefreshReopenMenu();

    // ---- the point marker of Select Object ----
    // A small circle centred on the selected node or shape point
    // (View.PickedNode or View.PickedShapePoint), hinted with the node's name.
    QWidget* ShapeNode = nullptr;
    // Marks the selected point; hides the marker when nothing active is selected.
    void ShowPointMarker();
    void HidePointMarker();
    // The background frame, the title block and legend marker and the margin
    // handles of the plot page.
    TPadHandles* Handles = nullptr;
    // Select Object after its pick at the cursor: a miss tries the pictures,
    // the title block and the legends.
    void SelectOther(bool PointHit);
    // The background frame and the object marker go (mode change, zoom).
    void HideObjectMarks();
    // Page Setup is open: no page rectangle, no margin handles.
    bool HidePageRectangle = false;

    // ---- the triangulation of elevations ----
    // The triangles' edges of the last triangulation, drawn over the network
    // in palette colour 20 until the window's next repaint.
    std::vector<TDEdge> Triangles;
    void ShowTriangles(std::vector<TDEdge> Edges);

    // ---- keyboard and hints ----
    // The Delete key of Select Object: the selected picture, node or shape
    // point goes; the network is marked modified.
    void DeleteKey();
    // The hover hint: the name and position of the point under the mouse
    // (View.MouseX, View.MouseY), shown as the window's hint.
    std::string HoverHint;
    void ShowHoverHint();
    // This window is the current one and its frame is the active window.
    bool IsActivePad() const;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void BuildMenus();
    void FillWindowMenu();
    int32_t FHorzRange = 0, FVertRange = 0;
    std::weak_ptr<TNetwork> MarkedNetwork; // the network of the marked point
    void PlacePointMarker();
};

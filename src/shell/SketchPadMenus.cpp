// The sketch pad's menu bar and the commands it wires to the main window.
#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "platform/Latin1.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"
#include "toolbars/DockButton.h"

namespace {
struct TMenuBuilder {
    TSketchPadWindow* Pad;
    QAction* Item(QMenu* m, const char* name, const char* caption, const char* key = nullptr)
    {
        auto* a = new QAction(QString::fromLatin1(caption), Pad);
        a->setObjectName(name);
        if (key && *key) {
            a->setShortcut(QKeySequence(QString::fromLatin1(key)));
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            Pad->addAction(a);
        }
        m->addAction(a);
        return a;
    }
    // A command whose work is not part of this build: shown, but disabled.
    QAction* Later(QMenu* m, const char* name, const char* caption, const char* key = nullptr)
    {
        QAction* a = Item(m, name, caption, key);
        a->setEnabled(false);
        return a;
    }
};
} // namespace

void TSketchPadWindow::BuildMenus()
{
    TMenuBuilder b{this};
    TZOKMainWindow& M = Main;
    auto top = [&](const char* caption) {
        auto* m = new QMenu(QString::fromLatin1(caption));
        Menus.push_back(m);
        return m;
    };

    // File
    QMenu* file = top("&File");
    QMenu* newMenu = file->addMenu("&New");
    connect(b.Item(newMenu, "NewSchemaM", "&Schema"), &QAction::triggered, this, [&M] { M.NewSchema(); });
    connect(b.Item(newMenu, "NewViewM", "&View"), &QAction::triggered, this, [&M] { M.NewView(); });
    connect(b.Item(file, "OpenM", "&Open", "Ctrl+O"), &QAction::triggered, this, [&M] { M.OpenMClick(); });
    ReopenMenu = file->addMenu("&Reopen");
    for (int k = 1; k <= 4; ++k) {
        QAction* a = b.Item(ReopenMenu, QString("filename%1").arg(k).toLatin1().constData(), "");
        ReopenItems[size_t(k)] = a;
        connect(a, &QAction::triggered, this, [&M, k] { M.ReopenFile(k); });
    }
    connect(b.Item(file, "SaveM", "&Save", "Ctrl+S"), &QAction::triggered, this, [this] { Main.SaveM(*this); });
    connect(b.Item(file, "SaveAsM", "Save &As"), &QAction::triggered, this, [this] { Main.SaveAs(*this); });
    connect(b.Item(file, "AppendM", "Appen&d"), &QAction::triggered, this, [this] { Main.Append(*this); });
    connect(b.Item(file, "Close1", "&Close"), &QAction::triggered, this, [this] {
        if (SubWindow) SubWindow->close();
    });
    file->addSeparator();
    connect(b.Item(file, "Preferences1", "Preferences..."), &QAction::triggered, this,
            [this] { Main.ShowPreferences(*this); });
    b.Later(file, "Description1", "&Description...");
    b.Later(file, "PageSetupM", "Pa&ge Setup...");
    QMenu* plot = file->addMenu("&Plot/Print");
    b.Later(plot, "PlotM", "&Pen Plot/Print", "Ctrl+P");
    b.Later(plot, "ClipboardPlot1", "C&lipboard Plot");
    b.Later(plot, "FileWMFPlot1", "&Metafile Plot");
    b.Later(file, "PlotterSetupM", "P&lotter Setup...");
    AutoSave1 = b.Item(file, "AutoSave1", "Auto Backup");
    AutoSave1->setCheckable(true);
    connect(AutoSave1, &QAction::toggled, this, [this](bool on) { View.AutoBackup = on ? 1 : 0; });
    file->addSeparator();
    connect(b.Item(file, "ExitM", "E&xit"), &QAction::triggered, &M, &QWidget::close);

    // View
    QMenu* view = top("&View");
    QMenu* search = view->addMenu("&Search");
    b.Later(search, "NodeSearchM", "&Nodes...");
    b.Later(search, "LinkSearchM", "&Links...");
    b.Later(search, "PolygonSearchM", "&Polygon...");
    b.Later(search, "PaleLinksM", "&Ghost Links");
    b.Later(search, "Clear1", "&Clear");
    QMenu* polys = view->addMenu("&Polygons");
    b.Later(polys, "PolygonStylesM", "&Styles...");
    b.Later(polys, "PolygonNodesM", "&Nodes...");
    b.Later(polys, "AfterNodesM", "&After Nodes");
    b.Later(polys, "OpaqueM", "&Opaque");
    b.Later(view, "Shapes1", "S&hapes...");
    b.Later(view, "LayersM", "&Layers...");
    b.Later(view, "Loop1", "Loop...");
    QMenu* backs = view->addMenu("&Backgrounds");
    b.Later(backs, "BackgroundGraphics1", "&JPEG...");
    b.Later(backs, "WMF1", "&Metafile...");
    b.Later(backs, "Underlay1", "&Network Underlay...");
    b.Later(backs, "JPEGonTop1", "JPEG on &Top");
    b.Later(backs, "SuppressAllM", "&Suppress All");
    QMenu* bars = view->addMenu("&Tool Bars");
    const char* barItems[ToolbarCount][2] = {{"SketchModesM", "Sketch &Modes"},
                                             {"SketchOperationsM", "Sketch &Operations"},
                                             {"LabelsBarM", "&Labels"},
                                             {"WidthsBarM", "&Widths"},
                                             {"MoveCursor1", "Snap &Controls"}};
    // Menu order: Sketch Modes, Sketch Operations, Snap Controls, Labels, Widths.
    const int barOrder[ToolbarCount] = {0, 1, 4, 2, 3};
    for (int i : barOrder) {
        QAction* a = b.Item(bars, barItems[i][0], barItems[i][1]);
        a->setCheckable(true);
        ToolbarItems[size_t(i)] = a;
        connect(a, &QAction::triggered, this, [this, i](bool on) {
            View.ToolbarShown[size_t(i)] = on ? 1 : 0;
            Main.ShowToolbar(i, on);
        });
    }
    QMenu* zoom = view->addMenu("&Zoom");
    const char* zoomNames[MaxZoomLevel + 1] = {nullptr, "N1721", "N1481", "N1361", "N1241", "N1181", "N1121",
                                               "N191",  "N161",  "N141",  "N131",  "N121",  "N341",  "N111",
                                               "N321",  "N211",  "N311",  "N411",  "N611"};
    for (int i = 1; i <= MaxZoomLevel; ++i) {
        std::string caption = ZoomRatioText(i);
        if (i == 4) caption = "1.24";
        QAction* a = b.Item(zoom, zoomNames[i], caption.c_str());
        a->setCheckable(true);
        ZoomItems[size_t(i)] = a;
        connect(a, &QAction::triggered, this, [this, i] { Main.SetZoomLevel(*this, i); });
    }
    DarkCursorM = b.Item(view, "DarkCursorM", "&Dark Cursor");
    DarkCursorM->setCheckable(true);
    connect(DarkCursorM, &QAction::triggered, this, [this](bool on) {
        View.DarkCursor = on ? 1 : 0;
        View.Saved = 0;
        InvalidatePad();
    });
    b.Later(view, "ShowPlotMarginsM", "Show Plot &Margins");
    connect(b.Item(view, "RefreshM", "&Refresh", "W"), &QAction::triggered, this, [this] { InvalidatePad(); });
    b.Later(view, "UsePolygonColorsM", "Color Palettes...");

    // Modes
    QMenu* modes = top("&Modes");
    auto modeItem = [&](QMenu* m, int mode, bool press) {
        const TSketchModeInfo& info = SketchModes[mode];
        QAction* a = b.Item(m, info.MenuItem, info.MenuCaption, info.MenuKey);
        a->setCheckable(true);
        ModeItems[size_t(mode)] = a;
        connect(a, &QAction::triggered, this, [this, mode, press] {
            if (press && Main.Toolbars.ModeButtons[size_t(mode)])
                Main.Toolbars.ModeButtons[size_t(mode)]->SetDown(true);
            Main.SetButtons(mode, *this, true);
        });
    };
    for (int mode : {1, 3, 5, 9, 11, 24}) modeItem(modes, mode, true);
    modes->addSeparator();
    for (int mode : {2, 4, 8, 10, 14, 16, 12, 25}) modeItem(modes, mode, true);
    modes->addSeparator();
    for (int mode : {6, 7, 26}) modeItem(modes, mode, true);
    modes->addSeparator();
    modeItem(modes, 17, false);
    modeItem(modes, 19, false);
    b.Later(modes, "UndoShapeRemoveM", "&Undo Shape Remove");
    for (int mode : {22, 23, 27}) modeItem(modes, mode, true);
    modes->addSeparator();
    QMenu* reinit = modes->addMenu("&ReInitialize");
    modeItem(reinit, 20, true);
    modeItem(reinit, 21, true);
    b.Later(reinit, "ReinitializeUndoM", "&Undo");
    connect(b.Item(reinit, "Options1", "&Options..."), &QAction::triggered, this,
            [this] { Main.ShowReinitializeOptions(*this); });
    connect(b.Item(modes, "LinkSpliceRules1", "Link Splice &Rules..."), &QAction::triggered, this,
            [this] { Main.ShowSpliceRules(*this); });
    modes->addSeparator();
    modeItem(modes, 0, true);

    // Tools
    QMenu* tools = top("&Tools");
    b.Later(tools, "Calculate1", "&Calculate...");
    b.Later(tools, "ExtractUpdate1", "&Extract/Update...");
    QMenu* import = tools->addMenu("&Import");
    b.Later(import, "TIGER20001", "&TIGER 2000");
    b.Later(import, "ArcViewShape1", "&ArcGIS Shapefile");
    b.Later(tools, "Export1", "Export Shapefile...");
    b.Later(tools, "PolygonCoverage1", "Polygon Coverage...");
    b.Later(tools, "OverlayArea1", "&Overlay Area...");
    QMenu* geo = tools->addMenu("Compute Geography");
    b.Later(geo, "CalculateLongLat1", "Compute Long/Lat...");
    b.Later(geo, "CalculateElevations1", "Compute Elevations...");
    b.Later(tools, "MarkShortestPath1", "&Mark Shortest Path...");
    QMenu* init = tools->addMenu("Initialize &Attributes");
    b.Later(init, "Nodes1", "&Nodes...");
    b.Later(init, "Links1", "&Links...");
    b.Later(init, "Clear", "&Clear");
    QMenu* undef = tools->addMenu("Reinitialize All &Undefined");
    b.Later(undef, "Nodes4", "Nodes");
    b.Later(undef, "Links4", "Links");
    QMenu* openEntity = tools->addMenu("&Open Entity");
    b.Later(openEntity, "Nodes3", "&Nodes...");
    b.Later(openEntity, "Links3", "&Links...");
    QMenu* replace = tools->addMenu("Name Replace");
    b.Later(replace, "Nodes5", "Nodes...");
    b.Later(replace, "Links5", "Links...");

    // Schema
    QMenu* schema = top("&Schema");
    b.Later(schema, "SystemAttributesM", "&System Attributes");
    b.Later(schema, "NodeStylesM", "&Node Styles...");
    b.Later(schema, "LinkStylesM", "&Link Styles...");
    QMenu* defs = schema->addMenu("&Definitions");
    b.Later(defs, "Nodes2", "&Nodes...");
    b.Later(defs, "Links2", "&Links...");
    b.Later(defs, "System1", "&System...");

    // Transform
    QMenu* transform = top("T&ransform");
    b.Later(transform, "ScaleM", "&Scale...");
    b.Later(transform, "TranslateM", "&Translate...");
    b.Later(transform, "RotateM", "&Rotate...");
    b.Later(transform, "DeleteLayers1", "&Delete Layers...");
    b.Later(transform, "DeletebySearch1", "Delete by Sear&ch");
    b.Later(transform, "MovetoLayer1", "&Move to Layer...");
    b.Later(transform, "UndoTransformM", "&Undo Transform");
    b.Later(transform, "ScalebyTwoM", "Scale by T&wo");
    b.Later(transform, "ScalebyHalfM", "Scale by &Half");
    connect(b.Item(transform, "TrimM", "Tri&m"), &QAction::triggered, this, [this] { Main.TrimToExtents(*this); });
    connect(b.Item(transform, "Extents1", "Extents..."), &QAction::triggered, this,
            [this] { Main.ShowExtents(*this); });
    connect(b.Item(transform, "NetworkStatus1", "&Network Status..."), &QAction::triggered, this,
            [this] { Main.ShowNetworkStatus(*this); });

    // Window
    WindowMenu = top("&Window");
    connect(WindowMenu, &QMenu::aboutToShow, this, [this] { FillWindowMenu(); });
    FillWindowMenu();

    // Help
    QMenu* help = top("&Help");
    QAction* contents = b.Item(help, "HelpContentsM", "&Help Contents", "F1");
    connect(contents, &QAction::triggered, this, [&M] { M.HelpContents("Index"); });
    connect(b.Item(help, "About1", "&About"), &QAction::triggered, this, [&M] { M.ShowAbout(); });
}

void TSketchPadWindow::FillWindowMenu()
{
    WindowMenu->clear();
    QMdiArea* mdi = Main.Mdi;
    auto add = [&](const char* name, const char* caption, auto fn) {
        QAction* a = WindowMenu->addAction(QString::fromLatin1(caption));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, fn);
    };
    add("Tile1", "Tile &Horizontal", [mdi] { mdi->tileSubWindows(); });
    add("Tile2", "Tile &Vertical", [mdi] { mdi->tileSubWindows(); });
    add("Arrange1", "&Arrange", [mdi] { mdi->tileSubWindows(); });
    add("Cascade1", "&Cascade", [mdi] { mdi->cascadeSubWindows(); });
    WindowMenu->addSeparator();
    int n = 0;
    for (TSketchPadWindow* pad : Main.SketchPads) {
        ++n;
        QAction* a = WindowMenu->addAction(QString("&%1 %2").arg(n).arg(pad->windowTitle()));
        a->setCheckable(true);
        a->setChecked(pad == Main.CurrentPad);
        connect(a, &QAction::triggered, this, [mdi, pad] {
            if (pad->SubWindow) mdi->setActiveSubWindow(pad->SubWindow);
        });
    }
}

void ShowReopenItems(const std::array<QAction*, 5>& Items, QMenu* Menu, const TRecentFiles& Recent)
{
    for (int k = 1; k <= 4; ++k) {
        QAction* a = Items[size_t(k)];
        if (!a) continue;
        if (k <= Recent.Count) {
            a->setText(QString("&%1  ").arg(k) + Latin1(Recent.Files[size_t(k)]));
            a->setVisible(true);
        } else {
            a->setText(QString());
            a->setVisible(false);
        }
    }
    if (Menu) Menu->setEnabled(Recent.Count > 0);
}

void TSketchPadWindow::RefreshReopenMenu() { ShowReopenItems(ReopenItems, ReopenMenu, Main.Recent); }

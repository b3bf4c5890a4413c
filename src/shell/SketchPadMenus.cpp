// The sketch pad's menu bar and the commands it wires to the main window.
#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolButton>

#include "platform/FileNames.h"
#include "platform/Latin1.h"
#include "shell/MainWindow.h"
#include "shell/SketchPad.h"

const char* const ToolbarItemNames[ToolbarCount] = {"SketchModesM", "SketchOperationsM", "LabelsBarM", "WidthsBarM",
                                                    "MoveCursor1"};
const char* const ToolbarItemCaptions[ToolbarCount] = {"Sketch &Modes", "Sketch &Operations", "&Labels", "&Widths",
                                                       "Snap &Controls"};
const char* const ZoomItemNames[MaxZoomLevel + 1] = {nullptr, "N1721", "N1481", "N1361", "N1241", "N1181", "N1121",
                                                     "N191",  "N161",  "N141",  "N131",  "N121",  "N341",  "N111",
                                                     "N321",  "N211",  "N311",  "N411",  "N611"};

namespace {
// Every item runs its command from the main window's item table, which also
// decides whether it is enabled and checked.
struct TMenuBuilder {
    TSketchPadWindow* Pad;
    QAction* Item(QMenu* m, const char* name, const char* caption, const char* key = nullptr)
    {
        auto* a = new QAction(QString::fromLatin1(caption), Pad);
        a->setObjectName(name);
        a->setEnabled(false);
        if (key && *key) {
            a->setShortcut(QKeySequence(QString::fromLatin1(key)));
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            Pad->addAction(a);
        }
        m->addAction(a);
        TSketchPadWindow* pad = Pad;
        const std::string item = name;
        QObject::connect(a, &QAction::triggered, Pad, [pad, item] { pad->Main.RunPadItem(*pad, item); });
        Pad->ItemActions.push_back(a);
        return a;
    }
    QAction* Check(QMenu* m, const char* name, const char* caption, const char* key = nullptr)
    {
        QAction* a = Item(m, name, caption, key);
        a->setCheckable(true);
        return a;
    }
};
} // namespace

void TSketchPadWindow::BuildMenus()
{
    TMenuBuilder b{this};
    auto top = [&](const char* caption) {
        auto* m = new QMenu(QString::fromLatin1(caption));
        Menus.push_back(m);
        return m;
    };

    // File
    QMenu* file = top("&File");
    QMenu* newMenu = file->addMenu("&New");
    b.Item(newMenu, "NewSchemaM", "&Schema");
    b.Item(newMenu, "NewViewM", "&View");
    b.Item(file, "OpenM", "&Open", "Ctrl+O");
    ReopenMenu = file->addMenu("&Reopen");
    for (int k = 1; k <= 4; ++k)
        ReopenItems[size_t(k)] = b.Item(ReopenMenu, QString("filename%1").arg(k).toLatin1().constData(), "");
    b.Item(file, "SaveM", "&Save", "Ctrl+S");
    b.Item(file, "SaveAsM", "Save &As");
    b.Item(file, "AppendM", "Appen&d");
    b.Item(file, "Close1", "&Close");
    file->addSeparator();
    b.Item(file, "Preferences1", "Preferences...");
    b.Item(file, "Description1", "&Description...");
    b.Item(file, "PageSetupM", "Pa&ge Setup...");
    QMenu* plot = file->addMenu("&Plot/Print");
    b.Item(plot, "PlotM", "&Pen Plot/Print", "Ctrl+P");
    b.Item(plot, "ClipboardPlot1", "C&lipboard Plot");
    b.Item(plot, "FileWMFPlot1", "&Metafile Plot");
    b.Item(file, "PlotterSetupM", "P&lotter Setup...");
    AutoSave1 = b.Check(file, "AutoSave1", "Auto Backup");
    file->addSeparator();
    b.Item(file, "ExitM", "E&xit");

    // View
    QMenu* view = top("&View");
    QMenu* search = view->addMenu("&Search");
    b.Item(search, "NodeSearchM", "&Nodes...");
    b.Item(search, "LinkSearchM", "&Links...");
    b.Item(search, "PolygonSearchM", "&Polygon...");
    b.Check(search, "PaleLinksM", "&Ghost Links");
    b.Item(search, "Clear1", "&Clear");
    QMenu* polys = view->addMenu("&Polygons");
    b.Item(polys, "PolygonStylesM", "&Styles...");
    b.Item(polys, "PolygonNodesM", "&Nodes...");
    b.Check(polys, "AfterNodesM", "&After Nodes");
    b.Check(polys, "OpaqueM", "&Opaque");
    b.Item(view, "Shapes1", "S&hapes...");
    b.Item(view, "LayersM", "&Layers...");
    b.Item(view, "Loop1", "Loop...");
    QMenu* backs = view->addMenu("&Backgrounds");
    b.Item(backs, "BackgroundGraphics1", "&JPEG...");
    b.Item(backs, "WMF1", "&Metafile...");
    b.Item(backs, "Underlay1", "&Network Underlay...");
    b.Check(backs, "JPEGonTop1", "JPEG on &Top");
    b.Check(backs, "SuppressAllM", "&Suppress All");
    QMenu* bars = view->addMenu("&Tool Bars");
    // Menu order: Sketch Modes, Sketch Operations, Snap Controls, Labels, Widths.
    const int barOrder[ToolbarCount] = {0, 1, 4, 2, 3};
    for (int i : barOrder) ToolbarItems[size_t(i)] = b.Check(bars, ToolbarItemNames[i], ToolbarItemCaptions[i]);
    QMenu* zoom = view->addMenu("&Zoom");
    for (int i = 1; i <= MaxZoomLevel; ++i) {
        std::string caption = ZoomRatioText(i);
        if (i == 4) caption = "1.24";
        ZoomItems[size_t(i)] = b.Check(zoom, ZoomItemNames[i], caption.c_str());
    }
    DarkCursorM = b.Check(view, "DarkCursorM", "&Dark Cursor");
    b.Check(view, "ShowPlotMarginsM", "Show Plot &Margins");
    b.Item(view, "RefreshM", "&Refresh", "W");
    b.Item(view, "UsePolygonColorsM", "Color Palettes...");

    // Modes
    QMenu* modes = top("&Modes");
    auto modeItem = [&](QMenu* m, int mode) {
        const TSketchModeInfo& info = SketchModes[mode];
        ModeItems[size_t(mode)] = b.Check(m, info.MenuItem, info.MenuCaption, info.MenuKey);
    };
    for (int mode : {1, 3, 5, 9, 11, 24}) modeItem(modes, mode);
    modes->addSeparator();
    for (int mode : {2, 4, 8, 10, 14, 16, 12, 25}) modeItem(modes, mode);
    modes->addSeparator();
    for (int mode : {6, 7, 26}) modeItem(modes, mode);
    modes->addSeparator();
    modeItem(modes, 17);
    modeItem(modes, 19);
    b.Item(modes, "UndoShapeRemoveM", "&Undo Shape Remove");
    for (int mode : {22, 23, 27}) modeItem(modes, mode);
    modes->addSeparator();
    QMenu* reinit = modes->addMenu("&ReInitialize");
    modeItem(reinit, 20);
    modeItem(reinit, 21);
    b.Item(reinit, "ReinitializeUndoM", "&Undo");
    b.Item(reinit, "Options1", "&Options...");
    b.Item(modes, "LinkSpliceRules1", "Link Splice &Rules...");
    modes->addSeparator();
    modeItem(modes, 0);

    // Tools
    QMenu* tools = top("&Tools");
    b.Item(tools, "Calculate1", "&Calculate...");
    b.Item(tools, "ExtractUpdate1", "&Extract/Update...");
    QMenu* import = tools->addMenu("&Import");
    b.Item(import, "TIGER20001", "&TIGER 2000");
    b.Item(import, "ArcViewShape1", "&ArcGIS Shapefile");
    b.Item(tools, "Export1", "Export Shapefile...");
    b.Item(tools, "PolygonCoverage1", "Polygon Coverage...");
    b.Item(tools, "OverlayArea1", "&Overlay Area...");
    QMenu* geo = tools->addMenu("Compute Geography");
    b.Item(geo, "CalculateLongLat1", "Compute Long/Lat...");
    b.Item(geo, "CalculateElevations1", "Compute Elevations...");
    b.Item(tools, "MarkShortestPath1", "&Mark Shortest Path...");
    QMenu* init = tools->addMenu("Initialize &Attributes");
    b.Item(init, "Nodes1", "&Nodes...");
    b.Item(init, "Links1", "&Links...");
    b.Item(init, "Clear", "&Clear");
    QMenu* undef = tools->addMenu("Reinitialize All &Undefined");
    b.Item(undef, "Nodes4", "Nodes");
    b.Item(undef, "Links4", "Links");
    QMenu* openEntity = tools->addMenu("&Open Entity");
    b.Item(openEntity, "Nodes3", "&Nodes...");
    b.Item(openEntity, "Links3", "&Links...");
    QMenu* replace = tools->addMenu("Name Replace");
    b.Item(replace, "Nodes5", "Nodes...");
    b.Item(replace, "Links5", "Links...");

    // Schema
    QMenu* schema = top("&Schema");
    b.Item(schema, "SystemAttributesM", "&System Attributes");
    b.Item(schema, "NodeStylesM", "&Node Styles...");
    b.Item(schema, "LinkStylesM", "&Link Styles...");
    QMenu* defs = schema->addMenu("&Definitions");
    b.Item(defs, "Nodes2", "&Nodes...");
    b.Item(defs, "Links2", "&Links...");
    b.Item(defs, "System1", "&System...");

    // Transform
    QMenu* transform = top("T&ransform");
    b.Item(transform, "ScaleM", "&Scale...");
    b.Item(transform, "TranslateM", "&Translate...");
    b.Item(transform, "RotateM", "&Rotate...");
    b.Item(transform, "DeleteLayers1", "&Delete Layers...");
    b.Item(transform, "DeletebySearch1", "Delete by Sear&ch");
    b.Item(transform, "MovetoLayer1", "&Move to Layer...");
    b.Item(transform, "UndoTransformM", "&Undo Transform");
    b.Item(transform, "ScalebyTwoM", "Scale by T&wo");
    b.Item(transform, "ScalebyHalfM", "Scale by &Half");
    b.Item(transform, "TrimM", "Tri&m");
    b.Item(transform, "Extents1", "Extents...");
    b.Item(transform, "NetworkStatus1", "&Network Status...");

    // Window
    WindowMenu = top("&Window");
    connect(WindowMenu, &QMenu::aboutToShow, this, [this] { FillWindowMenu(); });
    FillWindowMenu();

    // Help
    QMenu* help = top("&Help");
    b.Item(help, "HelpContentsM", "&Help Contents", "F1");
    b.Item(help, "About1", "&About");
}

void TSketchPadWindow::FillWindowMenu()
{
    WindowMenu->clear();
    QMdiArea* mdi = Main.Mdi;
    auto add = [&](const char* name, const char* caption) {
        QAction* a = WindowMenu->addAction(QString::fromLatin1(caption));
        a->setObjectName(name);
        const std::string item = name;
        connect(a, &QAction::triggered, this, [this, item] { Main.RunPadItem(*this, item); });
        const TPadItem* it = Main.PadItems.Find(item);
        a->setEnabled(it && it->Command);
    };
    add("Tile1", "Tile &Horizontal");
    add("Tile2", "Tile &Vertical");
    add("Arrange1", "&Arrange");
    add("Cascade1", "&Cascade");
    WindowMenu->addSeparator();
    int n = 0;
    for (TSketchPadWindow* pad : Main.SketchPads) {
        ++n;
        // An '&' of the name is shown, not taken as the item's key.
        const QString title = QString(pad->windowTitle()).replace('&', "&&");
        QAction* a = WindowMenu->addAction(QString("&%1 %2").arg(n).arg(title));
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
            a->setText(QString("&%1  ").arg(k) + ShownName(Recent.Files[size_t(k)]).replace('&', "&&"));
            a->setVisible(true);
        } else {
            a->setText(QString());
            a->setVisible(false);
        }
    }
    if (Menu) Menu->setEnabled(Recent.Count > 0);
}

void TSketchPadWindow::RefreshReopenMenu() { ShowReopenItems(ReopenItems, ReopenMenu, Main.Recent); }

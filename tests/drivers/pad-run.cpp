// pad-run NET OUT STEP...: opens the network file NET in a network window
// (offscreen, 96 pixels per inch, every message box answered with its
// default button and printed as its text and then its caption), paints it
// once, runs the steps and saves the window's network to OUT in version 9.
//
// Steps:
//   NAME            triggers the menu item of that objectName ("disabled NAME"
//                   when it is disabled; "unknown NAME" and exit code 2 when
//                   there is none)
//   key=SEQ         presses keys ("+", "Z", "Ctrl+Right", "Del", "Shift+Return")
//   select=X,Y      a click of Select Object at world point X, Y; prints
//                   "selected node NAME", "selected shape K LINK",
//                   "selected raster K", "selected metafile K", "selected title",
//                   "selected nodelegend", "selected linklegend" or "selected none"
//   hint=X,Y        the hover hint with the mouse at world point X, Y: "hint TEXT",
//                   or "hint" when there is none
//   copies=N        the copies the print dialog answers (below 1: 1)
//   PlotM=F.pdf     Pen Plot/Print to the PDF file F; prints "job TITLE" per copy
//                   (copy k of N > 1 goes to F with "-k" before ".pdf")
//   FileWMFPlot1=F.svg   Metafile Plot to F; prints "svg W H" when F was written
// A plot whose page setup fails opens Page Setup, which is answered with OK;
// when it refuses, "page setup refused" is printed.
// The last line: "nodes N links L deleted D saved S zoom Z snap P".
// A step whose value is no number or point, a point outside the world
// (-512000..512000 each way), or keys that are none of those a keyboard
// presses here (a printable ASCII character, a named editing, navigation or
// function key, each with modifiers), prints "bad STEP" and ends the run
// with code 2.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include "app/Features.h"
#include "core/edit/EditingInternal.h"
#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/Undo.h"
#include "platform/Latin1.h"
#include "shell/DocumentIO.h"
#include "shell/MainWindow.h"
#include "shell/NetworkFileIO.h"
#include "shell/PadHandles.h"
#include "shell/PlotDialog.h"
#include "shell/PrintTarget.h"
#include "shell/SketchPad.h"

namespace {

void Out(const std::string& line) { std::cout << line << '\n' << std::flush; }

// Message boxes: text (each LF CR as one line break), then the caption.
class TPrintedBoxes : public TMessageSink {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override
    {
        Out(MessageTextForDisplay(text));
        Out(caption);
        return DefaultButton(flags);
    }
};

// File names the steps give.
class TStepFiles : public TFileChooser {
public:
    std::string Picture;
    std::vector<std::string> OpenFiles(QWidget*, const std::string&) override { return {}; }
    std::string OpenFile(QWidget*, const std::string&) override { return {}; }
    TSaveChoice SaveFile(QWidget*, const std::string&, const std::string&) override { return {}; }
    std::string SavePicture(QWidget*, const std::string&, const std::string&, const std::string&) override
    {
        return Picture;
    }
};

// The printer's target, telling each job it begins.
class TTellingTarget : public TPrintTarget {
public:
    explicit TTellingTarget(std::unique_ptr<TPrintTarget> inner) : Inner(std::move(inner)) {}
    TPrintDevice Device() const override { return Inner->Device(); }
    bool Begin(const std::string& title) override
    {
        Out("job " + title);
        return Inner->Begin(title);
    }
    TCanvas& Canvas() override { return Inner->Canvas(); }
    void SetClip(int32_t l, int32_t t, int32_t r, int32_t b) override { Inner->SetClip(l, t, r, b); }
    void Abort() override { Inner->Abort(); }
    bool End() override { return Inner->End(); }

private:
    std::unique_ptr<TPrintTarget> Inner;
};

// A whole decimal number that fits V, nothing before or after it.
bool ParseInt(std::string_view s, int32_t& v)
{
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size();
}

// A world point "X,Y", both within the world's limits.
bool ParsePoint(const std::string& s, int32_t& x, int32_t& y)
{
    const size_t comma = s.find(',');
    if (comma == std::string::npos) return false;
    const std::string_view v(s);
    return ParseInt(v.substr(0, comma), x) && ParseInt(v.substr(comma + 1), y) && x >= -WorldLimit &&
           x <= WorldLimit && y >= -WorldLimit && y <= WorldLimit;
}

QAction* FindItem(TSketchPadWindow& pad, const std::string& name)
{
    if (QAction* a = pad.Action(name.c_str())) return a;
    if (pad.WindowMenu)
        for (QAction* a : pad.WindowMenu->actions())
            if (a->objectName().toStdString() == name) return a;
    return nullptr;
}

// A click at a world point, the window scrolled so that it is in view.
void ClickAt(TSketchPadWindow& pad, int32_t x, int32_t y)
{
    QWidget* vp = pad.viewport();
    int px = pad.PixelX(x), py = pad.PixelY(y);
    if (px < 0 || py < 0 || px >= vp->width() || py >= vp->height()) {
        // A far point at a large zoom may lie beyond the reach of an int.
        const auto scroll = [](int pos, int pixel, int size) {
            return int(std::clamp<int64_t>(int64_t(pos) + pixel - size / 2, INT32_MIN, INT32_MAX));
        };
        pad.SetScrollPositions(scroll(pad.HorzPos(), px, vp->width()), scroll(pad.VertPos(), py, vp->height()));
        px = pad.PixelX(x);
        py = pad.PixelY(y);
    }
    QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(px, py));
}

std::string Selected(TSketchPadWindow& pad)
{
    if (const TNode* n = pad.View.PickedNode) return "node " + n->Name;
    if (const TShapePoint* sp = pad.View.PickedShapePoint) {
        const TLinkValues* lv = sp->Link ? sp->Link->LinkValues.get() : nullptr;
        return "shape " + std::to_string(editing::ShapeIndex(sp) + 1) + " " + (lv ? lv->Name.str() : std::string());
    }
    const TPadHandles& h = *pad.Handles;
    if (h.SelectedRaster) return "raster " + std::to_string(h.SelectedRaster);
    if (h.SelectedMetafile) return "metafile " + std::to_string(h.SelectedMetafile);
    switch (h.SelectedObject) {
    case ObjectTitle: return "title";
    case ObjectNodeLegend: return "nodelegend";
    case ObjectLinkLegend: return "linklegend";
    default: return "none";
    }
}

// The keys of a key step; false when it names none, or one that is not a
// printable ASCII character or a named editing, navigation or function key
// (the test library stops the program at any other).
bool KeysOf(const std::string& seq, std::vector<QKeyCombination>& keys)
{
    keys.clear();
    if (seq.size() == 1) return seq[0] >= ' ' && seq[0] <= '~';
    const QKeySequence ks = QKeySequence::fromString(QString::fromUtf8(seq));
    for (int i = 0; i < ks.count(); ++i) {
        const int key = ks[i].key();
        const bool ascii = key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde && !(key >= 'a' && key <= 'z');
        const bool editing = key >= Qt::Key_Escape && key <= Qt::Key_Clear;     // Esc, Tab, Return, Del...
        const bool moving = key >= Qt::Key_Home && key <= Qt::Key_PageDown;     // Home, End, arrows, pages
        const bool function = key >= Qt::Key_F1 && key <= Qt::Key_F35;
        if (!ascii && !editing && !moving && !function) return false;
        keys.push_back(ks[i]);
    }
    return !keys.empty();
}

void PressKeys(TSketchPadWindow& pad, const std::string& seq, const std::vector<QKeyCombination>& keys)
{
    if (seq.size() == 1) {
        QTest::keyClick(&pad, seq[0]);
        return;
    }
    for (const QKeyCombination& c : keys) QTest::keyClick(&pad, c.key(), c.keyboardModifiers());
}

QByteArray ReadAll(const std::string& name)
{
    QFile f(QString::fromStdString(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: pad-run NET OUT STEP...\n");
        return 1;
    }
    QTemporaryDir home;
    TMainOptions options;
    options.IniFile = home.filePath("tarvex.ini").toStdString();
    options.ProgramDir = home.path().toStdString();
    options.ShowSplash = false;
    options.CommandLineFile = argv[1];

    TPrintedBoxes boxes;
    TStepFiles files;
    TNetworkFileIO io;
    TZOKMainWindow main(options);
    RegisterFeatures(main);
    main.SetMessageBoxes(&boxes);
    main.SetFileChooser(&files);
    main.SetNetworkIO(&io);
    main.ScreenWidth = [] { return 1280; };
    main.ScreenPpi = [] { return 96.0; };
    int copies = 1;
    std::string printFile;
    main.MakePrintTarget = [](QPrinter& printer, const std::string& file) {
        return std::make_unique<TTellingTarget>(MakePrinterTarget(printer, file));
    };
    main.ExecDialog = [&](QDialog& d) {
        if (auto* pd = qobject_cast<QPrintDialog*>(&d)) {
            QPrinter* printer = pd->printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(QString::fromStdString(printFile));
            printer->setCopyCount(copies);
            return int(QDialog::Accepted);
        }
        if (qobject_cast<QPageSetupDialog*>(&d)) return int(QDialog::Accepted);
        if (auto* setup = qobject_cast<TPlotDB*>(&d)) {
            setup->accept();
            if (setup->result() != QDialog::Accepted) {
                Out("page setup refused");
                return int(QDialog::Rejected);
            }
            return int(QDialog::Accepted);
        }
        d.accept();
        return d.result();
    };
    main.resize(1000, 760);
    main.show();
    main.CreateFirstPad();
    QCoreApplication::processEvents();
    if (TSketchPadWindow* pad = main.CurrentPad) {
        if (pad->SubWindow) pad->SubWindow->showMaximized();
        QCoreApplication::processEvents();
        pad->viewport()->grab(); // one paint: the title block and legends are placed
    }

    for (int i = 3; i < argc; ++i) {
        TSketchPadWindow* pad = main.CurrentPad;
        if (!pad) break;
        const std::string step = argv[i];
        const size_t eq = step.find('=');
        const std::string name = step.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : step.substr(eq + 1);
        int32_t x = 0, y = 0, n = 0;
        std::vector<QKeyCombination> keys;
        const bool given = eq != std::string::npos;
        if ((given && (name == "select" || name == "hint") && !ParsePoint(value, x, y)) ||
            (given && name == "copies" && !ParseInt(value, n)) || (given && name == "key" && !KeysOf(value, keys))) {
            Out("bad " + step);
            return 2;
        }
        if (name == "key" && given) {
            PressKeys(*pad, value, keys);
        } else if (name == "select" && given) {
            if (pad->View.SketchMode != 0) main.SetButtons(0, *pad, true);
            ClickAt(*pad, x, y);
            Out("selected " + Selected(*pad));
        } else if (name == "hint" && given) {
            pad->View.MouseX = x;
            pad->View.MouseY = y;
            pad->ShowHoverHint();
            Out(pad->HoverHint.empty() ? "hint" : "hint " + pad->HoverHint);
        } else if (name == "copies" && given) {
            copies = std::max(1, n);
        } else {
            QAction* a = FindItem(*pad, name);
            if (!a) {
                Out("unknown " + name);
                return 2;
            }
            if (!a->isEnabled()) {
                Out("disabled " + name);
                continue;
            }
            if (name == "PlotM") printFile = value;
            QByteArray before;
            if (name == "FileWMFPlot1") {
                files.Picture = value;
                before = ReadAll(value);
            }
            a->trigger();
            if (name == "FileWMFPlot1" && !value.empty()) {
                const QByteArray after = ReadAll(value);
                if (!after.isEmpty() && after != before) {
                    const QRectF box = QSvgRenderer(after).viewBoxF();
                    Out("svg " + std::to_string(int(box.width())) + " " + std::to_string(int(box.height())));
                }
            }
        }
        QCoreApplication::processEvents();
        if (main.CurrentPad) main.CurrentPad->viewport()->grab();
    }

    TSketchPadWindow* pad = main.CurrentPad;
    if (!pad) return 0;
    TNetwork& net = *pad->Network;
    int64_t nodes = 0, links = 0;
    for (const THashEntry* cell : net.NodeHash)
        for (const TNetworkPoint* p : cell->Points) {
            const TNode* n = p->AsNode();
            if (!n || !n->Active) continue;
            ++nodes;
            for (const TLink* h : n->Links)
                if (h->AEnd() && h->LinkValues && h->LinkValues->Active) ++links;
        }
    const int saved = pad->View.Saved;
    SaveNetworkFile(net, pad->Settings, argv[2], 9, boxes);
    Out("nodes " + std::to_string(nodes) + " links " + std::to_string(links) + " deleted " +
        std::to_string(net.DeletedItems.GetCount()) + " saved " + std::to_string(saved) + " zoom " +
        std::to_string(pad->View.ZoomIndex) + " snap " + std::to_string(main.SnapStep));
    // Closing asks nothing: every window is freed as it is.
    while (!main.SketchPads.empty()) main.DestroyPad(*main.SketchPads.back());
    return 0;
}

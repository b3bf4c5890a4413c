#include "shell/PlotOutput.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSvgGenerator>
#include <QSvgRenderer>

#include "core/file/LegacyText.h"
#include "core/model/Messages.h"
#include "core/model/Rounding.h"
#include "platform/FileNames.h"
#include "shell/DocumentIO.h"
#include "shell/MainWindow.h"
#include "shell/NetworkDraw.h"
#include "shell/NetworkDrawPad.h"
#include "shell/PadHandles.h"
#include "shell/PlotDialog.h"
#include "shell/PrintTarget.h"
#include "shell/SketchPad.h"

namespace {

const char* PictureFilter = "Scalable Vector Graphics (*.svg)|*.svg|All Files|*.*";

TPlotExtents ExtentsOf(const TSketchPadWindow& pad)
{
    return {pad.View.MinX, pad.View.MinY, pad.View.MaxX, pad.View.MaxY};
}

void CannotWrite(TSketchPadWindow& pad)
{
    ShowMessageText(*pad.Main.Boxes, "File creation error", "Cannot Write File", MB_STOP_OK);
}

// Opens Page Setup in place of a plot whose setup fails; true when the plot may go on.
bool PageReady(TSketchPadWindow& pad)
{
    if (PlotPageValid(pad)) return true;
    PageSetup(pad);
    return false;
}

// The generator gives the picture's size in millimetres from a whole-number
// resolution, which readers turn back into pixels each at their own
// resolution (90 or 96 per inch); the size in pixels says exactly how large
// the picture is.
void SetPixelSize(QByteArray& svg, QSize size)
{
    const int open = svg.indexOf("<svg");
    const int close = open < 0 ? -1 : svg.indexOf('>', open);
    if (close < 0) return;
    QByteArray head = svg.mid(open, close - open);
    for (const auto& [name, value] : {std::pair{"width", size.width()}, std::pair{"height", size.height()}}) {
        const QByteArray key = QByteArray(" ") + name + "=\"";
        const int at = head.indexOf(key);
        if (at < 0) continue;
        const int end = head.indexOf('"', at + key.size());
        if (end < 0) continue;
        head.replace(at + key.size(), end - at - key.size(), QByteArray::number(value));
    }
    svg.replace(open, close - open, head);
}

} // namespace

// ---------------------------------------------------------------- page setup

bool PageSetup(TSketchPadWindow& Pad)
{
    TZOKMainWindow& main = Pad.Main;
    TDisplaySettings& d = Pad.Settings.Display;
    TPlotSetup setup;
    setup.Page = TPlotPage::From(d.PlotPage);
    setup.Title = d.PlotTitle;
    setup.TitleFont = d.PlotTitleFont;
    setup.TitleColor = d.PlotTitleColor;
    setup.Monochrome = d.PlotMonochrome != 0;
    setup.CenterTitle = d.PlotCenterTitle != 0;
    // The handles and the page rectangle stay away while the dialog is open.
    Pad.HidePageRectangle = true;
    TPadHandles::Of(Pad).PlaceMarginHandles();
    Pad.InvalidatePad();
    TPlotDB dialog(setup, ExtentsOf(Pad), *main.Boxes, main.ExecDialog, [&main](int c) { main.ShowHelpTopic(c); },
                   &main);
    const bool ok = main.ExecDialog(dialog) == QDialog::Accepted;
    Pad.HidePageRectangle = false;
    if (ok) {
        d.PlotPage = setup.Page.Values();
        d.PlotTitle = setup.Title;
        d.PlotTitleFont = setup.TitleFont;
        d.PlotTitleColor = setup.TitleColor;
        d.PlotMonochrome = setup.Monochrome ? 1 : 0;
        d.PlotCenterTitle = setup.CenterTitle ? 1 : 0;
        Pad.View.Saved = 0;
    }
    TPadHandles::Of(Pad).PlaceMarginHandles();
    Pad.InvalidatePad();
    return ok;
}

void PlotterSetup(TZOKMainWindow& Main)
{
    if (Main.Gate.Running(TBusyKind::Print)) return;
    QPageSetupDialog dialog(&Main.Printer(), &Main);
    dialog.setObjectName("PageSetupDialog");
    Main.ExecDialog(dialog);
}

// ---------------------------------------------------------------- printing

bool DrawPlotPage(TSketchPadWindow& Pad, TPrintTarget& Target, const std::function<bool()>& Abort)
{
    const TDisplaySettings& d = Pad.Settings.Display;
    const TPlotPage page = TPlotPage::From(d.PlotPage);
    const bool hasTitle = !d.PlotTitle.empty();
    const TPrintLayout l = PrintLayout(page, Target.Device(), hasTitle, d.PlotTitleFont.Height, d.PlotCenterTitle);
    TCanvas& c = Target.Canvas();
    c.SetZoomMapping(l.Ratio);
    if (hasTitle) {
        c.SetFont(d.PlotTitleFont);
        c.SetTextColor(d.PlotMonochrome ? 0 : ColorFromBgr(d.PlotTitleColor));
        c.SetBkMode(false);
        c.SetTextAlign(d.PlotCenterTitle ? (TA_CENTER | TA_TOP) : (TA_LEFT | TA_TOP));
        c.TextOut(l.TitleX, l.TitleY, d.PlotTitle);
    }
    Target.SetClip(l.ClipLeft, l.ClipTop, l.ClipRight, l.ClipBottom);
    // Every window drawn (the underlays too) moves by the image shift.
    std::vector<std::unique_ptr<TDrawPad>> pads = DrawPadsOf(Pad);
    for (auto& p : pads) {
        p->OriginX += l.ShiftX;
        p->OriginY += l.ShiftY;
    }
    const double r = l.Ratio > 0 ? l.Ratio : 1;
    const TCanvasRect clip{int32_t(std::floor(l.ClipLeft / r)), int32_t(std::floor(l.ClipTop / r)),
                           int32_t(std::ceil(l.ClipRight / r)), int32_t(std::ceil(l.ClipBottom / r))};
    TDrawRun run;
    run.PumpEvents = Abort;
    DrawNetwork(*pads.front(), c, clip, 1.0, 0, 0, true, true, run);
    return !run.Aborted;
}

namespace {

// What a print changes for its length, put back at its end: the cursor, the
// "Plotting" panel, the network's windows disabled and marked as printing.
struct TPrintState {
    TZOKMainWindow& Main;
    TSketchPadWindow& Pad;
    std::vector<TSketchPadWindow*> Windows;
    TPrintState(TZOKMainWindow& M, TSketchPadWindow& P) : Main(M), Pad(P)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QCoreApplication::processEvents();
        for (TSketchPadWindow* w : Main.SketchPads)
            if (w->Network == Pad.Network) Windows.push_back(w);
        for (TSketchPadWindow* w : Windows) w->View.Plotting = 1;
        if (Main.Panels[3]) Main.Panels[3]->setText("Plotting");
        Main.BroadcastToViews(Pad, false);
    }
    ~TPrintState()
    {
        // A window closed meanwhile is no longer in the list.
        for (TSketchPadWindow* w : Windows)
            if (std::find(Main.SketchPads.begin(), Main.SketchPads.end(), w) != Main.SketchPads.end())
                w->View.Plotting = 0;
        if (std::find(Main.SketchPads.begin(), Main.SketchPads.end(), &Pad) != Main.SketchPads.end())
            Main.BroadcastToViews(Pad, true);
        if (Main.Panels[3]) Main.Panels[3]->setText("");
        QApplication::restoreOverrideCursor();
    }
};

} // namespace

void PenPlot(TSketchPadWindow& Pad)
{
    TZOKMainWindow& main = Pad.Main;
    // A second print waits for the first; a busy network is not printed.
    if (main.Gate.Running(TBusyKind::Print) || !main.Gate.Lets(GateStart, Pad.Network.get())) return;
    if (!PageReady(Pad)) return;
    QPrinter& printer = main.Printer();
    printer.setCopyCount(1);
    // A PDF is offered beside the network, named after it.
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
        const QFileInfo net(ShownName(Pad.FileName));
        printer.setOutputFileName(net.absoluteDir().filePath(net.completeBaseName() + ".pdf"));
    }
    QPrintDialog dialog(&printer, &main);
    dialog.setObjectName("PrintDialog");
    if (main.ExecDialog(dialog) != QDialog::Accepted) return;
    const int copies = std::clamp(printer.copyCount(), 1, 999);
    Pad.View.PlotCopies = copies;
    printer.setCopyCount(1);
    const std::string file = printer.outputFormat() == QPrinter::PdfFormat ? DiskName(printer.outputFileName()) : "";
    if (printer.outputFormat() == QPrinter::PdfFormat && file.empty()) return;

    TBusyGate::TRun run = main.Gate.Begin(TBusyKind::Print, Pad.Network.get(), &Pad, GateView);
    TPrintState state(main, Pad);
    QElapsedTimer pumped;
    pumped.start();
    // Events go through about every 30 ms; the stop request is read per cell.
    auto abort = [&run, &pumped] {
        if (pumped.elapsed() >= 30) {
            QCoreApplication::processEvents();
            pumped.restart();
        }
        return run.StopRequested();
    };
    const std::string title = MessageText(26) + Pad.Caption();
    for (int k = 1; k <= copies; ++k) {
        std::unique_ptr<TPrintTarget> target = main.MakePrintTarget(printer, file.empty() ? "" : CopyFileName(file, k, copies));
        if (!target || !target->Begin(title)) {
            if (!file.empty()) CannotWrite(Pad);
            break;
        }
        const bool drawn = DrawPlotPage(Pad, *target, abort);
        if (!drawn || run.StopRequested()) {
            target->Abort();
            break;
        }
        if (!target->End()) {
            if (!file.empty()) CannotWrite(Pad);
            break;
        }
    }
}

// ---------------------------------------------------------------- pictures

bool PlotPicture(TSketchPadWindow& Pad, QByteArray& Svg, QSize& Size)
{
    if (!PlotPageValid(Pad)) return false;
    const TDisplaySettings& d = Pad.Settings.Display;
    const TPlotPage page = TPlotPage::From(d.PlotPage);
    const double gap = TitleGap(!d.PlotTitle.empty(), d.PlotTitleFont.Height, page.Ppi);
    const double screenPpi = Pad.Main.ScreenPpi ? Pad.Main.ScreenPpi() : 96.0;
    const TPictureArea a = PictureArea(page, Pad.View.ShowPlotMargins != 0, gap, ExtentsOf(Pad), Pad.View.OriginX,
                                       Pad.View.OriginY, screenPpi);
    Size = QSize(std::max(1, a.PixelWidth), std::max(1, a.PixelHeight));
    QBuffer buffer(&Svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator gen;
    gen.setOutputDevice(&buffer);
    gen.setSize(Size);
    gen.setViewBox(QRect(QPoint(0, 0), Size));
    gen.setResolution(int(pround(screenPpi)));
    gen.setTitle("ZOK");
    gen.setDescription(Pad.windowTitle());
    QPainter painter;
    if (!painter.begin(&gen)) return false;
    painter.setClipRect(QRect(QPoint(0, 0), Size));
    TQPainterCanvas canvas(painter);
    canvas.SetZoomMapping(a.Ratio);
    std::vector<std::unique_ptr<TDrawPad>> pads = DrawPadsOf(Pad);
    for (auto& p : pads) {
        p->OriginX -= a.Left;
        p->OriginY -= a.Top;
    }
    const TCanvasRect clip{0, 0, a.Width, a.Height};
    TDrawRun run;
    DrawNetwork(*pads.front(), canvas, clip, 1.0, 0, 0, false, true, run);
    painter.end();
    SetPixelSize(Svg, Size);
    return true;
}

QImage PictureImage(const QByteArray& Svg, QSize Size)
{
    QSize s = Size;
    if (s.width() > MaxClipboardSide || s.height() > MaxClipboardSide)
        s = s.scaled(MaxClipboardSide, MaxClipboardSide, Qt::KeepAspectRatio);
    s = s.expandedTo(QSize(1, 1));
    QImage image(s, QImage::Format_RGB32);
    image.fill(Qt::white);
    QSvgRenderer renderer(Svg);
    QPainter p(&image);
    renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(s)));
    return image;
}

bool ClipboardPlot(TSketchPadWindow& Pad)
{
    if (!PageReady(Pad)) return false;
    QByteArray svg;
    QSize size;
    if (!PlotPicture(Pad, svg, size)) return false;
    auto* data = new QMimeData;
    data->setData("image/svg+xml", svg);
    data->setImageData(PictureImage(svg, size));
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

bool MetafilePlot(TSketchPadWindow& Pad)
{
    if (!PageReady(Pad)) return false;
    TZOKMainWindow& main = Pad.Main;
    const std::string name = main.Files->SavePicture(&main, "Plot to Windows Metafile", "", PictureFilter);
    if (name.empty()) return false;
    QByteArray svg;
    QSize size;
    if (!PlotPicture(Pad, svg, size)) return false;
    std::string error;
    if (!AtomicWriteFile(name, std::string_view(svg.constData(), size_t(svg.size())), error)) {
        CannotWrite(Pad);
        return false;
    }
    return true;
}

// A window on paper or in a picture: Page Setup, Pen Plot/Print, Plotter
// Setup, the clipboard plot (SVG and PNG) and the metafile plot (an SVG
// file). Every plot first checks the window's page setup and opens Page
// Setup instead when it fails.
#pragma once

#include <functional>
#include <string>

#include <QByteArray>
#include <QImage>
#include <QSize>

class TPrintTarget;
class TSketchPadWindow;
class TZOKMainWindow;

// "Pa&ge Setup...": true when the setup was changed (OK).
bool PageSetup(TSketchPadWindow& Pad);
// "&Pen Plot/Print": the print dialog, then one job per copy.
void PenPlot(TSketchPadWindow& Pad);
// "P&lotter Setup...": the printer's page setup.
void PlotterSetup(TZOKMainWindow& Main);
// "C&lipboard Plot": the picture as SVG and as PNG on the clipboard.
bool ClipboardPlot(TSketchPadWindow& Pad);
// "&Metafile Plot": the picture as an SVG file chosen by the user.
bool MetafilePlot(TSketchPadWindow& Pad);

// Draws the plot page of a window on a print target: the title, then the
// network (and its underlays) at the page's scale, shifted by the image
// shift and clipped to the margins. Abort is asked once per hash cell; the
// result is false when it asked to stop.
bool DrawPlotPage(TSketchPadWindow& Pad, TPrintTarget& Target, const std::function<bool()>& Abort);

// The window's picture: SVG bytes titled "ZOK" with the window's caption as
// description, and its size in pixels. False when the page setup fails.
bool PlotPicture(TSketchPadWindow& Pad, QByteArray& Svg, QSize& Size);
// The picture as an image for the clipboard, at most MaxClipboardSide
// pixels a side (scaled down keeping its shape).
constexpr int MaxClipboardSide = 4096;
QImage PictureImage(const QByteArray& Svg, QSize Size);

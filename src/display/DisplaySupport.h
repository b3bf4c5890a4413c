// What the display-settings dialogs share: their text conversion, the sample
// views painted by the drawing routines, the pad those samples draw with, the
// one colour chooser, and the way a dialog is run and followed by repaints.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <QDialog>
#include <QSpinBox>
#include <QWidget>

#include "core/model/DisplaySettings.h"
#include "core/model/WidthSettings.h"
#include "shell/NodeLinkDraw.h"

class QBoxLayout;
class QPushButton;
class TSketchPadWindow;
class TZOKMainWindow;

// Text of the files (Windows-1252) for a control, and a control's text back
// to bytes, line breaks kept (as the schema's ShowText and TypedText): a
// dialog refuses a character Windows-1252 lacks before it takes the text.
QString WindowsText(std::string_view bytes);
std::string WindowsBytes(const QString& text);

// The file dialog of a display dialog (not the native one; run through the
// main window so tests can drive it, found by its object name). Filters are
// "Text (*.ext)" entries; a save dialog gives the first one's extension by the
// rule of TFileDialog. True with the chosen file.
bool ChooseFile(TSketchPadWindow& pad, QWidget* parent, const char* name, const QString& title,
                const QStringList& filters, bool save, QString& file, const QString& initial = {});

// Marks a control whose text failed (red) or takes the mark away.
void SetRed(QWidget* control, bool red);

// A spin edit over a stored value that may lie outside its range (read from
// a file): it shows the nearest value it can, and Stored() gives the stored
// value back until the user changes the edit.
class TStoredSpinBox : public QSpinBox {
    Q_OBJECT
public:
    TStoredSpinBox(QWidget* parent, const char* name, int minimum, int maximum);
    void SetStored(int32_t value);
    int32_t Stored() const;

private:
    int32_t FStored = 0;
    bool FChanged = false;
};

// A push button with its object name.
QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption);
// OK (the default button) and Cancel, wired to accept and reject, added to
// a row or column of buttons.
void AddOkCancel(QDialog& dialog, QBoxLayout* layout, const char* okName = "OKButton",
                 const char* cancelName = "CancelButton", QPushButton** ok = nullptr, QPushButton** cancel = nullptr);

// Runs a dialog of the window modally (through the main window, so tests
// can drive it); returns its result.
int RunDisplayDialog(TSketchPadWindow& pad, QDialog& dialog);
// A dialog's Help button and F1 show the page of its help context.
void AddHelp(QDialog& dialog, TZOKMainWindow& main, int context, QWidget* button);

// Repaints after a change of the window's own settings: the window and the
// windows that draw it as an underlay.
void RepaintWindow(TSketchPadWindow& pad);
// Repaints after a change of the network: all its views and the windows that
// draw any of them as an underlay.
void RepaintNetworkWindows(TSketchPadWindow& pad);

// The pad samples are drawn with: the window's network, view and settings,
// its symbol images and window colour, with the node and link style modes
// given here (class styles, mode 2, by default) instead of the window's, and
// the display settings a dialog is editing when it passes them. The window's
// own settings are never changed for a sample.
class TSamplePad {
public:
    TSamplePad(TSketchPadWindow& pad, const TDisplaySettings* display = nullptr, uint8_t styleMode = 2);
    TSamplePad(const TSamplePad&) = delete;
    TSamplePad& operator=(const TSamplePad&) = delete;
    // Follows a dialog's working copy of the display settings.
    void SetDisplay(const TDisplaySettings* display);
    const TDrawPad& Pad() const { return FPad; }

private:
    TWidthSettings FWidths;
    TDrawPad FPad;
};

// A small area painted through a canvas in its own pixels (1:1); a click
// (on release of the button) and a double click report themselves.
class TSampleView : public QWidget {
    Q_OBJECT
public:
    explicit TSampleView(QWidget* parent = nullptr, QSize size = QSize(48, 24));
    // Paints the sample: canvas, width, height. The background is filled with
    // Background first.
    std::function<void(TCanvas&, int, int)> Paint;
    QColor Background = Qt::white;
    QSize sizeHint() const override { return FSize; }

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QSize FSize;
};

// A polygon style drawn as a filled square with its border.
void DrawPolygonStyleSample(TCanvas& canvas, const TDrawPad& pad, const TPolygonStyle& style, int32_t left,
                            int32_t top, int32_t right, int32_t bottom);

// The colour chooser: a QColorDialog (not the native one) whose sixteen
// custom colours are set from colours[1..16] (as stored, $00BBGGRR) and whose
// current colour is colour. Whatever the user answers, the custom colours are
// read back into colours[1..16]; true (and colour set) when the user chose.
bool ChooseColor(TSketchPadWindow& pad, QWidget* parent, std::array<int32_t, 26>& colours, int32_t& colour);

// The symbol-image viewer, opened by "&Bitmap" of the node and link style
// dialogs: number is the image shown first and, when the user confirms, the
// image chosen.
bool ShowSymbolImages(TSketchPadWindow& pad, QWidget* parent, bool nodes, int& number);

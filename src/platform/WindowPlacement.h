// Where a box opens (over the window it belongs to, wholly on that window's
// screen) and how big a dialog is (big enough to show its texts whole).
#pragma once

#include <QRect>
#include <QSize>

class QLineEdit;
class QWidget;

// A box for a name (one that takes 20 characters or more) shows this many
// characters of a typical name without scrolling.
constexpr int TypicalNameChars = 20;
// The width of Box that shows Chars characters.
int NameBoxWidth(const QLineEdit& Box, int Chars);
// Gives every name box among Form's children at least the width of a
// typical name.
void WidenNameBoxes(QWidget& Form);

// The rectangle of a box of size Box centred over Owner and then moved into
// Available (made smaller only where it is larger than Available).
QRect CenteredOver(QSize Box, const QRect& Owner, const QRect& Available);

// Moves Box (a top-level window) so that its frame lies centred over
// Owner's window, on the screen's available area. Without an owner nothing
// moves.
void PlaceOver(QWidget* Box, const QWidget* Owner);

class QDialog;
class QObject;

// Makes a dialog show every control's whole text: name boxes (those that
// take 20 characters or more) wide enough for a typical name, every tab of
// a tab row in view without scroll arrows, a file dialog's columns as wide
// as what they show, and the dialog at least as wide as its controls ask.
void FitWholeText(QDialog& Dialog);

// Installed once on the application: fits every dialog as it is shown.
QObject* InstallDialogFitter(QObject* Owner);
